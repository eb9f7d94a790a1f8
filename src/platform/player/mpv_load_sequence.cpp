#include "platform/player/mpv_load_sequence.h"

#include "platform/player/media_player.h"

#include <algorithm>
#include <cmath>
#include <mpv/client.h>

namespace {

MpvLoadAction action(MpvLoadAction::Kind kind)
{
    return MpvLoadAction{kind};
}

MpvLoadAction failure(MpvLoadAction::Kind kind, int error, std::uint64_t serial = 0)
{
    MpvLoadAction failed{kind};
    failed.error = error;
    failed.serial = serial;
    return failed;
}

} // namespace

// ---- The player's requests -----------------------------------------------------------------

MpvLoadSequence::Actions MpvLoadSequence::open(Medium medium)
{
    m_medium = medium;
    m_duration = m_durationAfterEnd = 0;
    Actions actions = load(Request::Play);
    setPlayState(MediaPlayer::Stopped, actions);
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::play()
{
    if (m_medium == Medium::None)
        return {};
    Actions actions;
    if (m_phase == Phase::Ready) {
        // The file is known to play: resuming is immediate.
        m_heldAtStart = false;
        m_request = Request::Play;
        if (m_playState != MediaPlayer::Playing)
            sendPause(actions);
        setPlayState(MediaPlayer::Playing, actions);
    } else if (hasActiveLoad()) {
        // Still opening; the playback restart decides the state.
        m_heldAtStart = false;
        ask(Request::Play, actions);
    } else {
        actions = load(Request::Play);
    }
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::pause()
{
    Actions actions;
    if (m_playState == MediaPlayer::Playing) {
        ask(Request::Pause, actions);
        setPlayState(MediaPlayer::Paused, actions);
    } else if (hasActiveLoad() && m_phase != Phase::Ready && m_request != Request::Stop) {
        // Opens paused; the playback restart then reports state Paused.
        ask(Request::Pause, actions);
    }
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::stop()
{
    Actions actions;
    if (hasActiveLoad()) {
        ask(Request::Stop, actions);
        if (m_phase == Phase::Ready)
            actions.push_back(seekTo(0));
    } else if (m_phase == Phase::Ended && m_medium != Medium::None) {
        // keep-open=no unloaded the file at its end; hold it again at its start.
        actions = load(Request::Stop);
    }
    // mpv's time-pos at the start is the first frame's, a few milliseconds in.
    m_heldAtStart = true;
    setPlayState(MediaPlayer::Stopped, actions);
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::seek(double seconds)
{
    if (!isOpen() || !std::isfinite(seconds))
        return {};
    return {seekTo(std::max(0.0, seconds))};
}

MpvLoadSequence::Actions MpvLoadSequence::pictureChanged(Picture picture)
{
    m_picture = picture;
    if (picture == Picture::Rendered && m_phase == Phase::WaitingForRenderContext)
        return startLoad();
    return {};
}

MpvLoadSequence::Actions MpvLoadSequence::failureDue(std::uint64_t serial, int error)
{
    if (serial != m_serial)
        return {};
    return {failure(MpvLoadAction::ReportLoadFailed, error)};
}

MpvLoadSequence::Actions MpvLoadSequence::load(Request request)
{
    m_request = request;
    m_heldAtStart = false;
    m_firstFrame = FirstFrame::AwaitingVideo;
    m_clearPlaylistOnStart = false;
    m_seekTarget.reset();
    ++m_serial;
    m_currentEntry = -1;
    if (m_medium != Medium::File) {
        // mpv would open a directory as a play list of everything in it. The failure is
        // reported from the event loop like mpv's own load errors, never from inside the
        // request.
        Actions actions{action(MpvLoadAction::StopPlayback)};
        if (m_medium == Medium::Directory) {
            m_phase = Phase::Failed;
            actions.push_back(
                failure(MpvLoadAction::ReportFailureLater, MPV_ERROR_LOADING_FAILED, m_serial));
        } else {
            m_phase = Phase::Idle;
        }
        return actions;
    }
    if (m_picture == Picture::AwaitingRenderContext) {
        m_phase = Phase::WaitingForRenderContext;
        return {};
    }
    return startLoad();
}

MpvLoadSequence::Actions MpvLoadSequence::startLoad()
{
    m_phase = Phase::AwaitingLoadReply;
    Actions actions;
    // Before the loadfile: async requests reach mpv's core in the order sent.
    sendPause(actions);
    MpvLoadAction loadfile{MpvLoadAction::Loadfile};
    loadfile.serial = m_serial;
    actions.push_back(loadfile);
    return actions;
}

MpvLoadAction MpvLoadSequence::seekTo(double seconds)
{
    m_heldAtStart = false;
    m_seekTarget = seconds;
    MpvLoadAction seek{MpvLoadAction::Seek};
    seek.seconds = seconds;
    return seek;
}

// ---- mpv's events --------------------------------------------------------------------------

MpvLoadSequence::Actions MpvLoadSequence::loadReplied(std::uint64_t serial, int error,
                                                      std::int64_t entry)
{
    if (serial != m_serial || m_phase != Phase::AwaitingLoadReply)
        return {};
    if (error >= 0 && entry >= 0) {
        m_currentEntry = entry;
        m_phase = Phase::Opening;
        return {};
    }
    m_phase = Phase::Failed;
    Actions actions;
    setPlayState(MediaPlayer::Stopped, actions);
    actions.push_back(
        failure(MpvLoadAction::ReportLoadFailed, error < 0 ? error : MPV_ERROR_GENERIC));
    return actions;
}

void MpvLoadSequence::seekFailed()
{
    m_seekTarget.reset();
}

MpvLoadSequence::Actions MpvLoadSequence::fileStarted(std::int64_t entry)
{
    m_activeEntry = entry;
    if (!m_clearPlaylistOnStart || m_activeEntry != m_currentEntry)
        return {};
    // Only the first entry of a play list file is played.
    m_clearPlaylistOnStart = false;
    return {action(MpvLoadAction::ClearPlaylist)};
}

MpvLoadSequence::Actions MpvLoadSequence::fileLoaded()
{
    if (!isOurs())
        return {};
    if (m_phase == Phase::Opening)
        m_phase = Phase::Starting;
    m_position = 0;
    // mpv reports observed values only when its event queue runs empty, and the latest value
    // alone: a file that opens and ends within one busy moment of the window would report
    // "unavailable" and nothing else. An explicit read is answered while the file is open.
    MpvLoadAction ask{MpvLoadAction::AskDuration};
    ask.serial = std::uint64_t(m_currentEntry);
    return {ask};
}

void MpvLoadSequence::videoReconfigured()
{
    if (isOurs() && isOpen() && m_firstFrame == FirstFrame::AwaitingVideo)
        m_firstFrame = FirstFrame::AwaitingFrame;
}

MpvLoadSequence::Actions MpvLoadSequence::playbackRestarted()
{
    if (!isOurs() || !isOpen())
        return {};
    m_phase = Phase::Ready;
    m_seekTarget.reset();
    // Without a picture of our own to watch, the restart after a new video configuration is
    // the first frame.
    const bool announceFrame =
        m_picture == Picture::None && m_firstFrame == FirstFrame::AwaitingFrame;
    if (announceFrame)
        m_firstFrame = FirstFrame::Announced;
    Actions actions;
    setPlayState(m_request == Request::Stop    ? MediaPlayer::Stopped
                 : m_request == Request::Pause ? MediaPlayer::Paused
                                               : MediaPlayer::Playing,
                 actions);
    if (announceFrame)
        actions.push_back(action(MpvLoadAction::ReportFirstFrame));
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::fileEnded(const FileEnd& end)
{
    if (end.entry == m_activeEntry)
        m_activeEntry = -1;
    // Ends of replaced files, and any end before the latest load's entry is even known.
    if (m_currentEntry < 0 || end.entry != m_currentEntry)
        return {};
    if (end.reason == FileEnd::Redirect) {
        // A play list file: follow its first entry as the medium.
        if (end.insertedCount > 0) {
            m_currentEntry = end.insertedEntry;
            m_clearPlaylistOnStart = end.insertedCount > 1;
        }
        return {};
    }
    return endCurrentFile(end);
}

MpvLoadSequence::Actions MpvLoadSequence::endCurrentFile(const FileEnd& end)
{
    if (isOpen())
        m_durationAfterEnd = m_duration;
    m_request = Request::Play;
    m_heldAtStart = false;
    m_seekTarget.reset();
    m_currentEntry = -1;
    Actions actions;
    switch (end.reason) {
    case FileEnd::Eof:
        m_phase = Phase::Ended;
        setPlayState(MediaPlayer::Stopped, actions);
        actions.push_back(action(MpvLoadAction::ReportEndOfStream));
        break;
    case FileEnd::Error:
        m_phase = Phase::Failed;
        setPlayState(MediaPlayer::Stopped, actions);
        actions.push_back(failure(MpvLoadAction::ReportLoadFailed, end.error));
        break;
    default:
        m_phase = Phase::Idle;
        setPlayState(MediaPlayer::Stopped, actions);
        break;
    }
    return actions;
}

MpvLoadSequence::Actions MpvLoadSequence::frameShown()
{
    if (m_firstFrame != FirstFrame::AwaitingFrame || !isOpen())
        return {};
    m_firstFrame = FirstFrame::Announced;
    return {action(MpvLoadAction::ReportFirstFrame)};
}

void MpvLoadSequence::durationChanged(double seconds)
{
    m_duration = seconds;
}

void MpvLoadSequence::durationOfEntry(std::int64_t entry, double seconds)
{
    if (entry == m_currentEntry && isOurs() && isOpen())
        m_duration = seconds;
}

void MpvLoadSequence::positionChanged(double seconds)
{
    m_position = seconds;
}

// ---- State ---------------------------------------------------------------------------------

double MpvLoadSequence::duration() const
{
    return isOpen() ? m_duration : m_durationAfterEnd;
}

double MpvLoadSequence::position() const
{
    if (m_heldAtStart)
        return 0;
    if (m_seekTarget)
        return *m_seekTarget;
    if (m_phase != Phase::Ready)
        return 0;
    return std::max(0.0, m_position);
}

bool MpvLoadSequence::hasActiveLoad() const
{
    switch (m_phase) {
    case Phase::WaitingForRenderContext:
    case Phase::AwaitingLoadReply:
    case Phase::Opening:
    case Phase::Starting:
    case Phase::Ready:
        return true;
    default:
        return false;
    }
}

void MpvLoadSequence::ask(Request request, Actions& actions)
{
    m_request = request;
    sendPause(actions);
}

void MpvLoadSequence::sendPause(Actions& actions) const
{
    MpvLoadAction pause{MpvLoadAction::SetPause};
    pause.paused = m_request != Request::Play;
    actions.push_back(pause);
}

void MpvLoadSequence::setPlayState(MediaPlayer::State state, Actions& actions)
{
    if (state == m_playState)
        return;
    MpvLoadAction report{MpvLoadAction::ReportState};
    report.oldState = m_playState;
    report.newState = state;
    m_playState = state;
    actions.push_back(report);
}
