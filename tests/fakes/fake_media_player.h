#pragma once

#include "platform/player/media_player.h"
#include "platform/sound/karaoke_sound.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

// A scriptable stand-in for the player component that keeps the real one's timing: setting
// FileName stops the old medium at once, but the new one opens later, from the event loop,
// and only then knows its Duration and reports Playing (or Paused or Stopped, as asked for
// while it opened). A medium whose path is in `unplayable` (or missing from disk when
// `requireExistingFiles`, which is then reported by loadFailed as libmpv does) never opens. Tests
// let the player report with settle() and drive the rest by hand: finishMedium(),
// setStateByPlayer(), ...
class FakeMediaPlayer : public MediaPlayer, public KaraokeSound {
    Q_OBJECT
public:
    // The code libmpv's end of a file that is not there carries (MPV_ERROR_LOADING_FAILED).
    static constexpr int MissingFileError = -13;

    explicit FakeMediaPlayer(QObject* parent = nullptr);
    ~FakeMediaPlayer() override;

    void setFileName(const QString& path) override;
    QString FileName() const override { return m_fileName; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    double Duration() const override { return m_duration; }
    double CurrentPosition() const override { return m_position; }
    void setCurrentPosition(double seconds) override;
    State PlayState() const override { return m_state; }
    Display DisplaySize() const override { return m_displaySize; }
    void setDisplaySize(Display size) override;
    void setEnableFullScreenControls(bool enable) override { m_fullScreenControls = enable; }
    bool ShowControls() const override { return m_showControls; }
    void setShowControls(bool show) override { m_showControls = show; }
    int Balance() const override { return m_balance; }
    void setBalance(int balance) override { m_balance = balance; }
    bool SetFocus() override;
    bool isStarting() const override { return starting; }
    void setHoldLastPicture(bool hold) override
    {
        calls << QStringLiteral("holdLastPicture %1").arg(int(hold));
    }
    QWidget* videoWidget() override { return m_view; }
    void setPictureElsewhere(QWidget* elsewhere) override { pictureElsewhere = elsewhere; }
    // Where the picture is drawn instead of videoWidget(), if anywhere.
    QPointer<QWidget> pictureElsewhere;

    // The karaoke stages, kept as set; `keyMissing` plays a libmpv without the key filter.
    void setKey(int semitones) override;
    void setTempo(int percent) override;
    void setVoiceCancel(bool on) override;
    QString keyUnavailable() const override { return keyMissing; }
    void setAvailabilityListener(std::function<void()> listener) override;
    int key = 0;
    int tempo = 100;
    bool voiceCancel = false;
    QString keyMissing;
    std::function<void()> availabilityListener;

    // Scripting.
    // Runs the event loop until every medium being opened has opened (or never will).
    void settle();
    bool opening() const { return m_phase == Phase::Opening; }
    // The length of the medium once it is open (at once for the one open now).
    void setDuration(double seconds);
    void setPositionByPlayer(double seconds) { m_position = seconds; }
    void setStateByPlayer(State state);
    void finishMedium(); // plays to the end: state 0, then EndOfStream
    bool autoStart = true;
    bool requireExistingFiles = false;
    QStringList unplayable;
    bool failFocus = false;
    bool starting = false; // the engine still starting (it answers all the same)

    // Record of what the program asked for.
    QStringList openedFiles;
    QStringList calls;
    bool fullScreenControlsEnabled() const { return m_fullScreenControls; }

private:
    // No medium (none set, ended or unplayable), one on its way in, one open.
    enum class Phase { Closed, Opening, Open };

    bool canPlay(const QString& path) const;
    void reportIfMissing(quint64 serial);
    void open(bool play);
    void finishOpening(quint64 serial);

    QPointer<QWidget> m_view; // owned by the window it is placed on, if any
    QString m_fileName;
    Phase m_phase = Phase::Closed;
    quint64 m_openSerial = 0;
    State m_stateWhenOpen = Playing;
    double m_length = 0;
    double m_duration = 0;
    double m_position = 0;
    State m_state = Stopped;
    Display m_displaySize = FitToSize;
    bool m_fullScreenControls = false;
    bool m_showControls = false;
    int m_balance = BalanceBoth;
};
