// The playback engine's answers to the player's events: a medium that ended, a change of the
// play state, a medium that could not be opened. The commands are in playback_engine.cpp.

#include "platform/player/media_player.h"
#include "playback/media_problems.h"
#include "playback/playback_engine.h"
#include "playback/playback_hooks.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"

#include <utility>

void PlaybackEngine::onEndOfStream()
{
    if (m_hooks.takeEndOfMedium())
        return;
    bool ok = true;
    if (mode() == PlayOrder::Order)
        ok = moveToFollowingEntry();
    else
        chooseEntryByMode();
    if (ok)
        ok = loadAndPlay(PendingLoad::Chaining);
    if (!ok) {
        endOfListStop();
        return;
    }
    m_hooks.EnableTrackControls();
}

void PlaybackEngine::endOfListStop()
{
    m_pendingLoad = PendingLoad::None;
    m_player.Stop();
    m_hooks.DisableTrackControls();
    m_hooks.setCaptureEnabled(false);
    setStatus(StatusText::Idle);
    m_player.setDisplaySize(MediaPlayer::DoubleSize);
    m_panel.offerPlay();
}

void PlaybackEngine::onPlayStateChange()
{
    m_filePathSeen = m_player.FileName();
    switch (m_player.PlayState()) {
    case MediaPlayer::Playing:
        onPlaying();
        break;
    case MediaPlayer::Paused:
        m_status.report(StatusText::Paused);
        break;
    case MediaPlayer::Stopped:
        m_status.report(StatusText::Stopped);
        m_position.atStart();
        break;
    }
    m_hooks.ShowTrackNumber();
    Timer4.start();
}

void PlaybackEngine::onPlaying()
{
    // A medium longer than the position bar can show (above 32767 s) fails the load that
    // asked for the bar's maximum: chaining ends the list, the Play command its start.
    const PendingLoad load = std::exchange(m_pendingLoad, PendingLoad::None);
    const bool takesLength = load != PendingLoad::None && load != PendingLoad::TrackChange;
    if (takesLength && !m_position.takeLength()) {
        if (load == PendingLoad::Chaining) {
            endOfListStop();
            return;
        }
        if (load == PendingLoad::PlayCommand)
            failListStart();
    }
    // Straight to the player: the position bar may not know the medium's length yet.
    if (const std::optional<double> startAt = std::exchange(m_startAt, std::nullopt))
        m_player.setCurrentPosition(*startAt);
    m_hooks.closeCdNotice();
    m_status.report(StatusText::playing(playingName()));
    disarmWatchdog();
    m_hooks.CheckDiscAndBookmark();
    m_hooks.EnableTrackControls();
}

// A medium that could not be opened after all (a disc path, checked only when the disc is read;
// a disc or file taken away): the status line must not keep promising it.
void PlaybackEngine::onLoadFailed()
{
    const PendingLoad load = std::exchange(m_pendingLoad, PendingLoad::None);
    if (load == PendingLoad::None)
        return;
    // A file gone or unreadable by the time the player opened it is said so, once.
    const std::optional<QString> problem = MediaProblems::problemWith(m_player.FileName());
    // Anything else the Play command's watchdog reports in its own time.
    const bool listStart = watchdogArmed();
    if (listStart && !problem)
        return;
    disarmWatchdog();
    // Chaining ends the list, as it does for a file that is missing at once.
    if (load == PendingLoad::Chaining) {
        endOfListStop();
        return;
    }
    if (listStart) {
        failListStart();
        m_hooks.setTrayEnabled(true);
        showNotice(*problem);
        return;
    }
    // A track change: nothing plays, and any other track may still be chosen.
    setStatus(StatusText::Idle);
    if (problem)
        showNotice(*problem);
    m_hooks.setTrayEnabled(true);
    m_hooks.setCaptureEnabled(false);
    m_hooks.disableBookmarkCommands();
    m_hooks.EnableTrackControls();
}
