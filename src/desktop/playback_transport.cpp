#include "desktop/playback_transport.h"

#include "platform/disc/song_starts.h"
#include "platform/files/media_paths.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "queue/queued_songs.h"

#include <QEvent>
#include <QWidget>

PlaybackTransport::PlaybackTransport(Window window, QObject* parent)
    : MediaTransport(parent), m_window(std::move(window)),
      m_sizeBeforeFullScreen(MediaPlayer::FitToSize)
{
    // Every play-state change and every track change shows on the status line, and the
    // controls are switched along with it.
    connect(&m_window.engine, &PlaybackEngine::statusChanged, this, &MediaTransport::changed);
    connect(&m_window.player, &MediaPlayer::PlayStateChange, this, &MediaTransport::changed);
    connect(&m_window.engine, &PlaybackEngine::mediumLoading, this, &MediaTransport::mediumChanged);
    if (m_window.queue)
        connect(&m_window.queue->queue(), &SongQueue::changed, this, &MediaTransport::queueChanged);
    // Full screen is left inside the player (Esc); the window's state tells.
    m_window.window.installEventFilter(this);
}

bool PlaybackTransport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        emit changed();
    return MediaTransport::eventFilter(watched, event);
}

MediaTransport::State PlaybackTransport::state() const
{
    switch (m_window.player.PlayState()) {
    case MediaPlayer::Playing:
        return State::Playing;
    case MediaPlayer::Paused:
        return State::Paused;
    default:
        return State::Stopped;
    }
}

QString PlaybackTransport::discTrackTitle(int entry, int count)
{
    return QStringLiteral("Track %1 of %2").arg(entry + 1, 2, 10, QLatin1Char('0')).arg(count);
}

MediaTransport::Track PlaybackTransport::track() const
{
    const PlayList& list = m_window.engine.File1();
    Track track;
    track.entry = list.ListIndex();
    track.count = list.ListCount();
    if (track.entry < 0)
        return track;
    const QString path = list.fullPath();
    if (MediaPaths::isDiscPath(path)) {
        track.title = discTrackTitle(track.entry, track.count);
    } else {
        track.title = StatusText::properCase(list.FileName());
        track.localFile = path;
    }
    // The player may still report the previous medium's length while the next one opens.
    if (m_window.player.FileName() == path)
        track.lengthSeconds = qMax(0.0, m_window.player.Duration());
    return track;
}

double PlaybackTransport::positionSeconds() const
{
    return state() == State::Stopped ? 0.0 : qMax(0.0, m_window.player.CurrentPosition());
}

bool PlaybackTransport::canPlay() const
{
    return state() == State::Paused || m_window.engine.panel().canPlay();
}

bool PlaybackTransport::canPause() const
{
    return m_window.engine.panel().canPause();
}

bool PlaybackTransport::canGoNext() const
{
    return m_window.engine.panel().canGoNext();
}

bool PlaybackTransport::canSeek() const
{
    return state() != State::Stopped && m_window.player.Duration() > 0;
}

bool PlaybackTransport::canFullScreen() const
{
    return isFullScreen() || m_window.engine.panel().canFullScreen();
}

bool PlaybackTransport::isFullScreen() const
{
    return m_window.player.DisplaySize() == MediaPlayer::FullScreen;
}

void PlaybackTransport::play()
{
    switch (state()) {
    case State::Playing:
        return;
    case State::Paused:
        // As the space bar does: the player resumes where it was.
        m_window.player.Play();
        m_window.engine.FocusPlayer();
        return;
    case State::Stopped:
        if (m_window.engine.panel().canPlay())
            m_window.engine.StartListPlayback();
        return;
    }
}

void PlaybackTransport::pause()
{
    if (state() == State::Playing && canPause())
        m_window.engine.PauseCommand();
}

void PlaybackTransport::stop()
{
    m_window.engine.StopCommand();
}

void PlaybackTransport::next()
{
    if (canGoNext())
        m_window.engine.NextTrack();
}

void PlaybackTransport::seekTo(double seconds)
{
    if (!canSeek() || seconds < 0 || seconds > m_window.player.Duration())
        return;
    // The position bar's step.
    m_window.player.setCurrentPosition(seconds);
    m_window.engine.FocusPlayer();
    emit seeked(seconds);
}

void PlaybackTransport::setFullScreen(bool on)
{
    if (on == isFullScreen())
        return;
    if (on) {
        if (!m_window.engine.panel().canFullScreen())
            return;
        m_sizeBeforeFullScreen = m_window.player.DisplaySize();
        m_window.fullScreen();
    } else {
        m_window.player.setDisplaySize(m_sizeBeforeFullScreen);
        m_sizeBeforeFullScreen = MediaPlayer::FitToSize;
    }
    emit changed();
}

void PlaybackTransport::raise()
{
    QWidget& window = m_window.window;
    window.show();
    window.raise();
    window.activateWindow();
}

void PlaybackTransport::quit()
{
    m_window.exitProgram();
}

double PlaybackTransport::rate() const
{
    return m_window.tempo.rate ? m_window.tempo.rate() : 1.0;
}

void PlaybackTransport::setRate(double rate)
{
    if (m_window.tempo.setRate)
        m_window.tempo.setRate(rate);
}

std::vector<double> PlaybackTransport::songStarts()
{
    // The medium the player has, a list entry or not (a disc's menu picture); the songs'
    // times are the player's own positions in it.
    const QString medium = m_window.player.FileName();
    if (!m_window.songStarts || medium.isEmpty())
        return {};
    return m_window.songStarts->songStarts(medium);
}

QStringList PlaybackTransport::queuedSongs()
{
    QStringList songs;
    if (!m_window.queue)
        return songs;
    for (const int number : m_window.queue->queue().numbers())
        songs << m_window.queue->describe(number);
    return songs;
}

void PlaybackTransport::playQueued(int place)
{
    if (m_window.queue)
        m_window.queue->playNow(place);
}
