#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The player component hosted by the main window. Every caller reaches decoding, picture
// and sound only through these members; positions and durations are seconds.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    enum State { Stopped = 0, Paused = 1, Playing = 2 };
    enum Display { DoubleSize = 2, FullScreen = 3, FitToSize = 4 };
    static constexpr int BalanceFirstChannel = -10000;
    static constexpr int BalanceBoth = 0;
    static constexpr int BalanceSecondChannel = 10000;

    using QObject::QObject;
    ~MediaPlayer() override = default;

    // Opens the medium and, the player starting automatically, plays it.
    virtual void setFileName(const QString& path) = 0;
    virtual QString FileName() const = 0;

    // Starts or resumes; after Stop the medium starts again from its beginning.
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // Leaves the medium loaded, at 0 s, in state Stopped.
    virtual void Stop() = 0;

    virtual double Duration() const = 0;
    virtual double CurrentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    virtual State PlayState() const = 0;

    virtual Display DisplaySize() const = 0;
    virtual void setDisplaySize(Display size) = 0;
    virtual void setEnableFullScreenControls(bool enable) = 0;
    virtual bool ShowControls() const = 0;
    virtual void setShowControls(bool show) = 0;
    virtual int Balance() const = 0;
    virtual void setBalance(int balance) = 0;

    // Gives the player the keyboard; returns false when it could not take it.
    virtual bool SetFocus() = 0;

    // The next medium set stays on its last picture at its end, playing nothing more and
    // reporting no end (a disc's still picture, held as long as its owner wants); any medium
    // set after it ends as usual.
    virtual void setHoldLastPicture(bool hold) { Q_UNUSED(hold); }

    // The player's engine is still being started: a medium set now waits for it.
    virtual bool isStarting() const { return false; }

    // Draws the picture in `elsewhere`, a widget of another window (the singer screen), filling
    // it, and only there: videoWidget() shows black meanwhile. Null brings it back. A player
    // without a picture of its own leaves `elsewhere` as it is.
    virtual void setPictureElsewhere(QWidget* elsewhere) { Q_UNUSED(elsewhere); }

    // The widget the main window places where the picture goes. It is created once and
    // never reparented afterwards.
    virtual QWidget* videoWidget() = 0;

signals:
    void EndOfStream(long result);
    void PlayStateChange(long oldState, long newState);
    // The medium set by setFileName could not be opened or played (a disc taken away, a file
    // gone or damaged); `error` is the player's own code. A player that cannot tell may leave
    // it to the watchdog of the Play command.
    void loadFailed(const QString& path, int error);
};
