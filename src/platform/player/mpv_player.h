#pragma once

#include "platform/player/media_player.h"
#include "platform/player/mpv/mpv_audio_filters.h"
#include "platform/player/mpv_client.h"
#include "platform/player/mpv_load_sequence.h"
#include "platform/player/mpv_sound_stages.h"
#include "platform/player/view/video_output.h"
#include "platform/sound/karaoke_sound.h"
#include "platform/sound/tone_control.h"

#include <QImage>
#include <QPointer>
#include <QStringList>
#include <cstdint>

class DiscLibrary;
class MpvFullScreen;
class MpvPlayerView;

// MediaPlayer on libmpv. All members run on the GUI thread; mpv's threads only post a queued
// call that drains mpv's event queue here, so state changes arrive as ordinary Qt signals.
// The player wires its parts: the client talks to libmpv, the load sequence decides, the view
// shows the picture and the control bar, the full-screen part covers the window, the filter
// chain shapes the sound.
class MpvPlayer : public MediaPlayer, public ToneControl, public KaraokeSound {
    Q_OBJECT
public:
    struct Options {
        // false: vo=null and a black placeholder instead of the picture, for platforms
        // without a window system (offscreen) and for tests.
        bool renderVideo = true;
        // "name=value" mpv options applied after the player's own, before mpv_initialize.
        QStringList extraOptions;
        // Disc paths ("SR0:\Mpegav\AVSEQ01.DAT") play from the discs of this library, which
        // must outlive the player; without one they fail to open.
        const DiscLibrary* discs = nullptr;
        // How a rendered picture is drawn (videoOutputFor() chooses for the machine).
        VideoOutput output = VideoOutput::OpenGl;
        // The mpv audio filter that moves the key (another name only to try a libmpv that
        // lacks it).
        QString keyFilterName = QString::fromLatin1(MpvAudioFilterChain::KeyFilterName);
    };

    explicit MpvPlayer(const Options& options, QObject* parent = nullptr);
    ~MpvPlayer() override;

    void setFileName(const QString& path) override;
    QString FileName() const override { return m_fileName; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    double Duration() const override { return m_sequence.duration(); }
    double CurrentPosition() const override { return m_sequence.position(); }
    void setCurrentPosition(double seconds) override;
    State PlayState() const override { return m_sequence.playState(); }
    Display DisplaySize() const override { return m_displaySize; }
    void setDisplaySize(Display size) override;
    void setEnableFullScreenControls(bool enable) override { m_enableFullScreenControls = enable; }
    bool ShowControls() const override { return m_showControls; }
    void setShowControls(bool show) override;
    int Balance() const override { return m_sound.balance(); }
    void setBalance(int balance) override;
    bool SetFocus() override;
    bool isStarting() const override { return m_mpv.isStarting(); }
    void setHoldLastPicture(bool hold) override { m_holdNextPicture = hold; }
    QWidget* videoWidget() override;
    void setPictureElsewhere(QWidget* elsewhere) override;

    // False when libmpv could not be set up; the player then never plays anything.
    bool isValid() const { return handle() != nullptr; }
    bool EnableFullScreenControls() const { return m_enableFullScreenControls; }

    // Sets, or with an empty filter removes, one labelled stage of the audio filter chain,
    // e.g. setAudioStage("tone", "lavfi=[...]"). Stages keep the sound path's order and can
    // change during playback without interrupting it.
    void setAudioStage(const QString& label, const QString& filter);
    // The tone stage of the filter chain (none while both gains are 0).
    void setTone(double bassDb, double trebleDb) override;

    void setKey(int semitones) override;
    void setTempo(int percent) override;
    void setVoiceCancel(bool on) override;
    QString keyUnavailable() const override { return m_sound.keyUnavailable(); }
    void setAvailabilityListener(std::function<void()> listener) override;
    // The mpv property as text, or a null string when unavailable. Synchronous: meant for
    // diagnostics and tests, not for anything called often.
    QString mpvProperty(const char* name) const { return m_mpv.property(name); }
    // The video frame shown now at the video's own size, or a null image without one.
    // Synchronous: meant for a capture, not for anything called often.
    QImage videoFrame() const { return m_mpv.videoFrame(); }

signals:
    // The first video frame of the current file has been shown. (MediaPlayer::loadFailed
    // reports an mpv error code, MPV_ERROR_*.)
    void firstFrameShown();

private:
    // The handle, waiting for it while it is still being made.
    mpv_handle* handle() const { return m_mpv.handle(); }
    void createView();
    void onHandleMade();
    void drainEvents();

    void carryOut(const MpvLoadSequence::Actions& actions);
    void carryOut(const MpvLoadAction& action);
    void refreshControls();
    void togglePause();

    void noteVideoSize(std::uint64_t id, const mpv_event_property& property);
    void applyDisplaySize();
    void enterFullScreen();
    void leaveFullScreen();

    const Options m_options;
    // Goes after the body of the destructor, and so after the view that draws through it.
    MpvClient m_mpv;

    MpvLoadSequence m_sequence;
    QPointer<MpvPlayerView> m_view;
    MpvFullScreen* m_fullScreen = nullptr;
    MpvSoundStages m_sound;

    QString m_fileName;
    bool m_holdNextPicture = false; // for the next medium set
    bool m_holdLastPicture = false; // for the medium set
    Display m_displaySize = FitToSize;
    Display m_sizeBeforeFullScreen = FitToSize;
    QSize m_videoSize; // the picture's display size, empty while unknown
    QByteArray m_zoomSent = "0.000000";
    bool m_showControls = true;
    bool m_enableFullScreenControls = true;
};
