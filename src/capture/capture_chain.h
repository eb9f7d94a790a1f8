#pragma once

#include "capture/picture_caption.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class Capturefrm;
class MediaPlayer;
class ScreenGrabber;
class SettingsStore;
class SystemFolders;
class Wallpaper;
class QWidget;

// The capture of the playing picture, in timed stages: the command pauses the player, shows
// it full screen and puts up the curtain (armed); Timer1 waits a second with the event loop
// running, so the full-screen picture is really on the screen, and closes the curtain
// (clicking); Timer2 grabs the screen (saving); Timer3 writes the bitmap, returns the player
// to its normal size and plays, captions the picture and, by the destination, stamps its name
// or makes it the wallpaper (idle again). One timer runs at a time, and only moveTo() starts
// and stops them.
class CaptureChain : public QObject {
    Q_OBJECT
public:
    enum class Stage { Idle, Armed, Clicking, Saving };
    static constexpr int StepMs = 100;
    static constexpr int WaitMs = 1000;

    struct Services {
        MediaPlayer& player;
        const SettingsStore& settings;
        const SystemFolders& folders;
        ScreenGrabber* grabber = nullptr;
        Wallpaper* wallpaper = nullptr;
        // Takes the main window out of the always-on-top band, when it is in it.
        std::function<void()> leaveOnTop;
        // Where the grab is written: the settings dialog's Pathtxt.
        std::function<QString()> destination;
        // Shows a text on the status line.
        std::function<void(const QString&)> report;
        // The time a documents-folder capture is named after.
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    };
    struct Timers {
        QTimer& Timer1;
        QTimer& Timer2;
        QTimer& Timer3;
    };

    // `window` is the main window: its screen is grabbed and it owns the curtain;
    // `captionPath` is its txtcopyrname, which the capture keeps up to date and captions.
    CaptureChain(QWidget* window, Services services, Timers timers, QString& captionPath);
    ~CaptureChain() override;

    // The capture command. Ignored while a capture runs, so the curtain never stacks, and
    // when the player has no medium at all.
    bool Capture();

    Stage stage() const { return m_stage; }
    // The curtain while it is up, else null.
    Capturefrm* curtain() const;
    PictureCaption& caption() { return m_caption; }
    // Replaces the clock the documents-folder names are taken from (tests).
    void setClock(std::function<QDateTime()> now) { m_services.now = std::move(now); }

    // Texts on the status line when a step fails.
    static QString cannotGrab();
    static QString cannotSave(const QString& path);
    static QString cannotCaption(const QString& path);
    static QString cannotStamp(const QString& path);
    static QString cannotSetWallpaper();

    // The whole picture as a 24-bit bitmap at `path`, replacing the file; false when it could
    // not be written in full (no path, no folder, read-only, disk full).
    static bool saveBitmap(const QImage& picture, const QString& path);

signals:
    void stageChanged(CaptureChain::Stage stage);
    // The player is back at its normal size and playing; the stage is idle.
    void finished();

private:
    // The one place the stage changes: it leaves exactly the new stage's timer running.
    void moveTo(Stage next);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void clickCurtain();

    bool writeGrab();
    // The desktop or documents folder the picture goes into, made when it is missing.
    void makeMissingFolderFor(const QString& path);
    void restorePlayback();
    void finishPicture();
    void StampScreenShot();
    void SetWallpaper();
    void reportFailure(const QString& text);

    QWidget* m_window;
    Services m_services;
    Timers m_timers;
    QString& m_captionPath;
    PictureCaption m_caption;
    Stage m_stage = Stage::Idle;
    QPointer<Capturefrm> m_curtain;
    QTimer m_wait; // the second of Timer1's step, with the event loop running
    QImage m_grab;
    // A failure text outlasts the status line's own reaction to the player resuming.
    QString m_failure;
    QElapsedTimer m_failureShown;
};
