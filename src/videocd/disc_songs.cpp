#include "videocd/disc_songs.h"

#include "platform/disc/disc_path.h"
#include "platform/disc/song_starts.h"
#include "playback/playback_engine.h"

#include <algorithm>

DiscSongs::DiscSongs(SongStarts* starts, PlaybackEngine& engine, QObject* parent)
    : QObject(parent), m_starts(starts), m_engine(engine)
{
    m_marksTimer.setSingleShot(true);
    m_marksTimer.setInterval(MarksAfterMilliseconds);
    connect(&m_marksTimer, &QTimer::timeout, this, &DiscSongs::markSongs);
    connect(&engine, &PlaybackEngine::mediumLoading, this, &DiscSongs::onMediumLoading);
}

void DiscSongs::onMediumLoading(const QString& path)
{
    const std::optional<DiscPath> onDisc = DiscPath::parse(path);
    m_marksTimer.stop();
    if (!m_starts || !onDisc || !onDisc->isMovieTrack())
        return;
    m_marksPath = path;
    m_marksTimer.start();
}

void DiscSongs::markSongs()
{
    // Another medium may have come meanwhile (its own loading restarted the timer).
    if (m_engine.File1().fullPath() == m_marksPath)
        m_engine.showSongMarks(m_starts->songStarts(m_marksPath));
}

bool DiscSongs::next()
{
    return moveTo(&DiscSongs::nextStart);
}

bool DiscSongs::previous()
{
    return moveTo(&DiscSongs::previousStart);
}

bool DiscSongs::moveTo(std::optional<double> (*choose)(const std::vector<double>&, double))
{
    if (!m_starts || m_engine.File1().FileName().isEmpty())
        return false;
    const std::optional<double> target =
        choose(m_starts->songStarts(m_engine.File1().fullPath()), m_engine.position());
    if (!target)
        return false;
    m_engine.seekTo(*target);
    return true;
}

std::optional<double> DiscSongs::nextStart(const std::vector<double>& starts, double position)
{
    const auto next = std::upper_bound(starts.begin(), starts.end(), position + Tolerance);
    if (starts.size() < 2 || next == starts.end())
        return std::nullopt;
    return *next;
}

std::optional<double> DiscSongs::previousStart(const std::vector<double>& starts, double position)
{
    if (starts.size() < 2)
        return std::nullopt;
    // The song that plays: the last one started, counting one just moved to.
    auto current = std::upper_bound(starts.begin(), starts.end(), position + Tolerance);
    current = current == starts.begin() ? current : std::prev(current);
    if (position - *current > RestartAfter || current == starts.begin())
        return *current;
    return *std::prev(current);
}
