#pragma once

#include "platform/player/media_player.h"

#include <cstdint>
#include <optional>
#include <vector>

// What the player asks mpv to do, or reports to its own listeners, as decided by
// MpvLoadSequence. The player carries the actions out in the order given.
struct MpvLoadAction {
    enum Kind : std::uint8_t {
        SetPause,           // the pause property: `paused`
        Loadfile,           // "loadfile <medium> replace", its reply tagged with `serial`
        StopPlayback,       // the "stop" command
        Seek,               // absolute seek to `seconds`
        ClearPlaylist,      // the "playlist-clear" command
        ReportFailureLater, // from the event loop: failureDue(`serial`, `error`)
        ReportState,        // PlayStateChange(`oldState`, `newState`)
        ReportEndOfStream,  // EndOfStream
        ReportLoadFailed,   // loadFailed with `error`
        ReportFirstFrame,   // firstFrameShown
        AskDuration,        // read the duration of playlist entry `serial`
    };
    Kind kind;
    bool paused = false;
    double seconds = 0;
    std::uint64_t serial = 0;
    int error = 0; // an MPV_ERROR_* code
    int oldState = 0;
    int newState = 0;
};

// How one medium is opened, played and ended, as one state machine. It knows nothing of libmpv:
// the player turns its own requests and mpv's events into the calls below and carries out the
// actions they return. Every load gets a serial, and mpv names the file it opened by a playlist
// entry; replies and events of anything but the latest load are ignored.
class MpvLoadSequence {
public:
    using Actions = std::vector<MpvLoadAction>;

    enum class Phase {
        Idle,                    // nothing loaded
        WaitingForRenderContext, // the load waits until mpv can open the picture
        AwaitingLoadReply,       // loadfile sent; which playlist entry it made is not known yet
        Opening,                 // mpv is opening the entry
        Starting,                // the file is open; its first playback restart is pending
        Ready,                   // decoded and positioned: Play and Pause take effect at once
        Ended,                   // played to its end, and unloaded by mpv
        Failed,                  // could not be opened or played
    };
    // What the file name stands for.
    enum class Medium { None, Directory, File };
    // How the picture is shown. While mpv draws through a render context that does not exist
    // yet, a load waits: mpv would drop the video track of a file opened without it.
    enum class Picture { None, AwaitingRenderContext, Rendered };

    struct FileEnd {
        enum Reason { Eof, Stop, Quit, Error, Redirect };
        std::int64_t entry = -1;
        Reason reason = Stop;
        int error = 0;
        // Redirect: the entries a play list file was replaced by.
        std::int64_t insertedEntry = -1;
        int insertedCount = 0;
    };

    // The player's requests.
    Actions open(Medium medium);
    Actions play();
    Actions pause();
    Actions stop();
    Actions seek(double seconds);
    Actions pictureChanged(Picture picture);
    // A ReportFailureLater action has come due.
    Actions failureDue(std::uint64_t serial, int error);

    // mpv's events. `entry` of a reply is -1 when mpv did not name one.
    Actions loadReplied(std::uint64_t serial, int error, std::int64_t entry);
    void seekFailed();
    Actions fileStarted(std::int64_t entry);
    Actions fileLoaded();
    void videoReconfigured();
    Actions playbackRestarted();
    Actions fileEnded(const FileEnd& end);
    // The picture of a new frame is on the screen (only with Picture::Rendered).
    Actions frameShown();
    void durationChanged(double seconds);
    // The answer to an AskDuration action.
    void durationOfEntry(std::int64_t entry, double seconds);
    void positionChanged(double seconds);

    Phase phase() const { return m_phase; }
    // A MediaPlayer::State.
    MediaPlayer::State playState() const { return m_playState; }
    // The open file's duration, or the one of the file that ended last.
    double duration() const;
    double position() const;
    // The file is open, so seeks are possible.
    bool isOpen() const { return m_phase == Phase::Starting || m_phase == Phase::Ready; }

private:
    // What the player last asked mpv for. Stop is a pause held at the medium's start.
    enum class Request { Play, Pause, Stop };
    // How far the latest load is on its way to the first frame: its video configured, then a
    // frame of it on the screen, which is announced once. Announced stands for no load too.
    enum class FirstFrame { AwaitingVideo, AwaitingFrame, Announced };

    Actions load(Request request);
    Actions startLoad();
    Actions endCurrentFile(const FileEnd& end);
    MpvLoadAction seekTo(double seconds);
    // Takes the request and sends mpv the pause it means.
    void ask(Request request, Actions& actions);
    void sendPause(Actions& actions) const;
    void setPlayState(MediaPlayer::State state, Actions& actions);
    // From the latest load (or its wait for the render context) until its file ends or fails.
    bool hasActiveLoad() const;
    bool isOurs() const { return m_currentEntry >= 0 && m_activeEntry == m_currentEntry; }

    Phase m_phase = Phase::Idle;
    Medium m_medium = Medium::None;
    Picture m_picture = Picture::None;
    MediaPlayer::State m_playState = MediaPlayer::Stopped;
    // mpv's own state follows the request asynchronously.
    Request m_request = Request::Play;
    FirstFrame m_firstFrame = FirstFrame::Announced;
    std::uint64_t m_serial = 0;
    // Playlist entry of the latest load, and the entry mpv last started; events between
    // START_FILE and END_FILE belong to the started one.
    std::int64_t m_currentEntry = -1;
    std::int64_t m_activeEntry = -1;
    // Flags that go their own ways, apart from the stages above. Stopped and not moved since:
    // the position is the medium's start. A seek moves it while the request stays Stop, and a
    // stop holds it even with no load to stop.
    bool m_heldAtStart = false;
    // The latest load turned out a play list file of several entries, which go when its first
    // one starts: only that one is played.
    bool m_clearPlaylistOnStart = false;

    double m_duration = 0;
    double m_position = 0;
    double m_durationAfterEnd = 0;
    std::optional<double> m_seekTarget;
};
