#include "videocd/disc_watcher.h"

#include "diagnostics/diagnostics.h"
#include "platform/disc/cd_drives.h"
#include "platform/disc/disc_change_events.h"
#include "platform/disc/disc_path.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"

#include <QFileInfo>
#include <QTimer>
#include <utility>

DiscWatcher::DiscWatcher(Parts parts, QObject* parent) : QObject(parent), m_parts(std::move(parts))
{
    connect(&m_parts.events, &DiscChangeEvents::mediaChanged, this, &DiscWatcher::mediaChanged);
}

bool DiscWatcher::insertionPending() const
{
    for (const QTimer* timer : m_settling)
        if (timer->isActive())
            return true;
    return false;
}

std::optional<QString> DiscWatcher::driveOf(const QString& deviceNode)
{
    // /dev/cdrom and the like name the same device by another path.
    const QString canonical = QFileInfo(deviceNode).canonicalFilePath();
    for (const CdDrive& drive : m_parts.drives.drives()) {
        if (drive.source == deviceNode)
            return drive.id.toLower();
        if (!canonical.isEmpty() && QFileInfo(drive.source).canonicalFilePath() == canonical)
            return drive.id.toLower();
    }
    return std::nullopt;
}

bool DiscWatcher::idle() const
{
    if (m_detecting || m_parts.player.PlayState() != MediaPlayer::Stopped)
        return false;
    const QString status = m_parts.engine.status();
    return status == StatusText::Idle || status == StatusText::Stopped ||
           status == StatusText::NoMovies;
}

QString DiscWatcher::playingDrive() const
{
    if (m_parts.player.PlayState() == MediaPlayer::Stopped &&
        m_parts.engine.status() != StatusText::Loading)
        return QString();
    const std::optional<DiscPath> path = DiscPath::parse(m_parts.player.FileName());
    return path ? path->driveId.toLower() : QString();
}

void DiscWatcher::mediaChanged(const QString& deviceNode, bool present)
{
    const std::optional<QString> drive = driveOf(deviceNode);
    if (!drive)
        return;
    // A drive cannot take a disc while its own plays: a report to ignore, lest the disc that
    // plays be cut off.
    if (present && playingDrive() == *drive) {
        trace(*drive, "in, left alone");
        return;
    }
    if (!present) {
        if (QTimer* timer = m_settling.value(*drive))
            timer->stop(); // out again before it was looked for
        // Stopped first, then the disc goes: as the Stop button and then the tray do.
        const bool plays = playingDrive() == *drive;
        if (plays)
            m_parts.engine.StopCommand();
        m_parts.drives.mediaChanged(*drive, false);
        trace(*drive, plays ? "out, playback stopped" : "out, left alone");
        return;
    }
    m_parts.drives.mediaChanged(*drive, true);
    if (!m_parts.autoDetection() || !idle()) {
        trace(*drive, "in, left alone");
        return;
    }
    QTimer*& timer = m_settling[*drive];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, id = *drive] { settle(id); });
    }
    timer->start(m_settleMilliseconds);
}

void DiscWatcher::settle(const QString& driveId)
{
    // What plays or loads now, or the setting turned off meanwhile, wins over the disc.
    const bool detect = m_parts.autoDetection() && idle();
    trace(driveId, detect ? "in, looked for" : "in, left alone");
    if (detect) {
        m_detecting = true;
        m_parts.detect();
        m_detecting = false;
    }
    emit insertionSettled(driveId, detect);
}

void DiscWatcher::trace(const QString& driveId, const char* outcome)
{
    Diagnostics::report("disc", driveId.toUpper() + QLatin1Char(' ') + QLatin1String(outcome));
}
