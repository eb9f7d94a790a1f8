#pragma once

#include "platform/media_player.h"
#include "platform/mpv_handle.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

class DiscLibrary;
class MpvVideoWidget;
class QEvent;
class QLayout;
class QShortcut;
class QSlider;
class QToolButton;

// MediaPlayer on libmpv. All members run on the GUI thread; mpv's threads only post a queued
// call that drains mpv's event queue here, so state changes arrive as ordinary Qt signals.
class MpvPlayer : public MediaPlayer {
    Q_OBJECT
public:
    struct Options {
        // false: vo=null and a black placeholder instead of the OpenGL picture, for platforms
        // without OpenGL (offscreen) and for tests.
        bool renderVideo = true;
        // "name=value" mpv options applied after the player's own, before mpv_initialize.
        QStringList extraOptions;
        // Disc paths ("SR0:\Mpegav\AVSEQ01.DAT") play from the discs of this library, which
        // must outlive the player; without one they fail to open.
        const DiscLibrary* discs = nullptr;
    };

    explicit MpvPlayer(const Options& options, QObject* parent = nullptr);
    ~MpvPlayer() override;

    void setFileName(const QString& path) override;
    QString FileName() const override { return fileName_; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    double Duration() const override;
    double CurrentPosition() const override;
    void setCurrentPosition(double seconds) override;
    int PlayState() const override { return state_; }
    int DisplaySize() const override { return displaySize_; }
    void setDisplaySize(int size) override;
    void setEnableFullScreenControls(bool enable) override { enableFullScreenControls_ = enable; }
    bool ShowControls() const override { return showControls_; }
    void setShowControls(bool show) override;
    int Balance() const override { return balance_; }
    void setBalance(int balance) override;
    bool SetFocus() override;
    QWidget* videoWidget() override;

    // False when libmpv could not be set up; the player then never plays anything.
    bool isValid() const { return mpv_ != nullptr; }
    bool EnableFullScreenControls() const { return enableFullScreenControls_; }

    // Sets, or with an empty filter removes, one labelled stage of the audio filter chain,
    // e.g. setAudioStage("tone", "lavfi=[...]"). Stages keep the order they were first
    // added in and can change during playback without interrupting it.
    void setAudioStage(const QString& label, const QString& filter);
    // The mpv property as text, or a null string when unavailable. Synchronous: meant for
    // diagnostics and tests, not for anything called often.
    QString mpvProperty(const char* name) const;

signals:
    // The first video frame of the current file has been shown.
    void firstFrameShown();
    // The medium set by setFileName could not be opened or played; error is an mpv error
    // code (MPV_ERROR_*).
    void loadFailed(const QString& path, int error);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createView();
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void handleEndFile(const mpv_event_end_file& end);
    void handlePropertyChange(std::uint64_t id, const mpv_event_property& property);
    void onFrameRendered();
    void onRenderContextReady();

    void load(bool paused, bool stopped);
    void startLoad();
    void failLoadLater(int error);
    void setPause(bool paused);
    void seekTo(double seconds);
    void setState(int state);
    void togglePause();
    void command(std::uint64_t replyId, std::initializer_list<QByteArray> args);
    void setMpvProperty(const char* name, const QByteArray& value, std::uint64_t replyId = 0);
    void applyAudioStages();
    void applyDisplaySize();

    void enterFullScreen();
    void leaveFullScreen();
    void scheduleCover();
    void coverWindow();
    void ensureShortcuts();
    void updateControls();

    const Options options_;
    MpvHandlePtr mpv_;
    std::atomic<bool> drainQueued_{false};

    QPointer<QWidget> view_;
    QPointer<QWidget> video_;
    QPointer<MpvVideoWidget> glVideo_;
    QPointer<QWidget> controls_;
    QPointer<QToolButton> playPauseButton_;
    QPointer<QSlider> positionSlider_;
    QPointer<QWidget> shortcutWindow_;
    QPointer<QShortcut> escapeShortcut_;
    QPointer<QShortcut> fullScreenShortcut_;

    QString fileName_;
    int state_ = Stopped;
    // What the player asked mpv for; mpv's own state follows asynchronously.
    bool paused_ = false;
    bool stopped_ = false;
    // Stopped and not moved since: the position is the medium's start.
    bool heldAtStart_ = false;
    // The latest load, from loadfile until its file ends or fails.
    bool loading_ = false;
    // Waiting for the render context before the latest load can be sent.
    bool loadDeferred_ = false;
    bool awaitingLoadReply_ = false;
    std::uint64_t loadSerial_ = 0;
    // Playlist entry of the latest load, and the entry mpv last started; events between
    // START_FILE and END_FILE belong to the started one.
    std::int64_t currentEntry_ = -1;
    std::int64_t activeEntry_ = -1;
    bool clearPlaylistOnStart_ = false;
    bool loaded_ = false;
    bool restarted_ = false;
    bool endedAtEof_ = false;
    bool videoConfigured_ = false;
    bool firstFramePending_ = false;

    double mpvDuration_ = 0;
    double mpvPosition_ = 0;
    double durationAfterEnd_ = 0;
    std::optional<double> seekTarget_;

    int displaySize_ = FitToSize;
    int sizeBeforeFullScreen_ = FitToSize;
    bool fullScreen_ = false;
    bool coverQueued_ = false;
    QPointer<QWidget> fullScreenWindow_;
    QPointer<QWidget> fullScreenParent_;
    QPointer<QLayout> suspendedLayout_;
    QRect geometryBeforeFullScreen_;
    Qt::WindowStates windowStateBeforeFullScreen_;

    bool showControls_ = true;
    std::optional<bool> barShowsPause_;
    bool enableFullScreenControls_ = true;
    int balance_ = BalanceBoth;
    std::vector<std::pair<QString, QString>> audioStages_;
};
