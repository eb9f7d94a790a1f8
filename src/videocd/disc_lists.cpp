#include "videocd/disc_lists.h"

#include "diagnostics/diagnostics.h"
#include "platform/disc/disc_control.h"
#include "platform/disc/disc_path.h"
#include "platform/disc/song_starts.h"
#include "platform/player/media_player.h"
#include "platform/settings/settings_store.h"
#include "playback/playback_engine.h"
#include "settings/settings_keys.h"

#include <QAction>

using VideoCd::Deadline;
using VideoCd::PlaybackControl;
using VideoCd::Step;
using VideoCdControl::ItemKind;

namespace {

// Play item 1000 + n is the segment that starts a segment item; the disc names its files by
// item, so the n-th segment's file counts only the segments that start one.
int segmentFileNumber(const std::vector<VideoCdControl::Segment>& segments, int segment)
{
    int file = 0;
    for (int i = 0; i < segment && i < int(segments.size()); ++i)
        file += segments[std::size_t(i)].continuation ? 0 : 1;
    return file;
}

// The songs of a track are its entries in order, the track's own start first.
std::optional<double> entryStart(SongStarts* starts, const QString& trackPath,
                                 const VideoCdControl::Entries& entries, int entry)
{
    const VideoCdControl::Entry& wanted = entries.entries[std::size_t(entry - 1)];
    int songInTrack = 0;
    for (int i = 0; i < entry - 1; ++i)
        songInTrack += entries.entries[std::size_t(i)].track == wanted.track ? 1 : 0;
    if (songInTrack == 0 || !starts)
        return std::nullopt;
    const std::vector<double> found = starts->songStarts(trackPath);
    if (std::size_t(songInTrack) >= found.size())
        return std::nullopt;
    return found[std::size_t(songInTrack)];
}

} // namespace

DiscLists::DiscLists(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    mnuPlaybackControl = new QAction(QStringLiteral("Playback Control"), this);
    mnuPlaybackControl->setObjectName("mnuPlaybackControl");
    mnuPlaybackControl->setCheckable(true);
    mnuPlaybackControl->setChecked(enabled());
    connect(mnuPlaybackControl, &QAction::toggled, this, [this](bool on) {
        m_services.settings.Save(SettingsKeys::PlaybackControlEnabled,
                                 on ? QStringLiteral("1") : QStringLiteral("0"));
        if (!on)
            leave();
    });
    for (QTimer* timer : {&m_waitTimer, &m_playTimeTimer, &m_digitTimer})
        timer->setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this,
            [this] { take(m_control->deadlinePassed(Deadline::Wait)); });
    connect(&m_playTimeTimer, &QTimer::timeout, this,
            [this] { take(m_control->deadlinePassed(Deadline::PlayTime)); });
    m_digitTimer.setInterval(DigitMilliseconds);
    connect(&m_digitTimer, &QTimer::timeout, this, &DiscLists::chooseTypedNumber);
    connect(&m_services.engine, &PlaybackEngine::mediumLoading, this, &DiscLists::onMediumLoading);
    connect(&m_services.engine, &PlaybackEngine::stopped, this, &DiscLists::leave);
    connect(&m_services.player, &MediaPlayer::PlayStateChange, this, &DiscLists::onPlayStateChange);
}

DiscLists::~DiscLists() = default;

bool DiscLists::enabled() const
{
    return m_services.settings.Get(SettingsKeys::PlaybackControlEnabled) == QLatin1String("1");
}

bool DiscLists::active() const
{
    return m_control != nullptr;
}

bool DiscLists::begin(const QString& driveId)
{
    leave();
    if (!enabled() || !m_services.control)
        return false;
    m_files = m_services.control->controlFiles(driveId);
    Diagnostics::mark("video CD: control files read");
    if (!m_files.hasPlaybackControl())
        return false;
    VideoCd::DiscItems items;
    items.trackCount = m_services.engine.File1().ListCount();
    items.entryCount = m_files.entries ? int(m_files.entries->entries.size()) : 0;
    if (m_files.info)
        for (const VideoCdControl::Segment& segment : m_files.info->segments)
            items.segments.push_back(segment.kind());
    m_drive = driveId;
    m_control = std::make_unique<PlaybackControl>(std::move(m_files.psd), std::move(items),
                                                  static_cast<VideoCd::ControlTimer&>(*this));
    const Step first = m_control->start();
    // Lists that show nothing from the start (they stop at once, or wait on a menu with no
    // picture) leave the disc to its tracks.
    if (first.kind != Step::Kind::Play) {
        leave();
        return false;
    }
    m_services.engine.prepareListStart();
    take(first);
    return true;
}

void DiscLists::leave()
{
    if (!m_control)
        return;
    m_control.reset();
    m_waitTimer.stop();
    m_playTimeTimer.stop();
    m_digitTimer.stop();
    m_digits.clear();
    m_seek.reset();
    m_still = false;
    m_services.player.setHoldLastPicture(false);
    emit placeChanged();
}

bool DiscLists::typed(QChar character)
{
    if (!active())
        return false;
    const QChar lower = character.toLower();
    if (lower == QLatin1Char('p') || lower == QLatin1Char('o')) {
        lower == QLatin1Char('p') ? m_services.player.Pause() : m_services.player.Play();
        return true;
    }
    const bool inMenu = m_control->menuNumbers().has_value();
    if (character == QLatin1Char('\r')) {
        if (!m_digits.isEmpty())
            chooseTypedNumber();
        else
            take(m_control->defaultChosen());
        return true;
    }
    if (inMenu && character.isDigit()) {
        m_digits += character;
        m_services.engine.showNotice(QStringLiteral("Number %1").arg(m_digits));
        if (moreDigitsCouldFollow())
            m_digitTimer.start();
        else
            chooseTypedNumber();
        return true;
    }
    // In a menu other characters mean nothing; elsewhere they pick or restart a track as
    // always, and the lists are left.
    if (inMenu)
        return true;
    leave();
    return false;
}

bool DiscLists::moreDigitsCouldFollow() const
{
    const std::optional<std::pair<int, int>> numbers = m_control->menuNumbers();
    if (!numbers || m_digits.size() >= 4)
        return false;
    return m_digits.toInt() * 10 <= numbers->second;
}

void DiscLists::chooseTypedNumber()
{
    m_digitTimer.stop();
    const int number = std::exchange(m_digits, QString()).toInt();
    if (active())
        take(m_control->numberChosen(number));
}

bool DiscLists::trackChosen(int number)
{
    if (!active())
        return false;
    if (m_control->menuNumbers()) {
        take(m_control->numberChosen(number));
        return true;
    }
    // Outside a menu a track button plays its track, and the lists are left.
    leave();
    return false;
}

bool DiscLists::next()
{
    return follow(&PlaybackControl::nextChosen);
}

bool DiscLists::previous()
{
    return follow(&PlaybackControl::previousChosen);
}

bool DiscLists::returnChosen()
{
    return follow(&PlaybackControl::returnChosen);
}

bool DiscLists::mediumEnded()
{
    return follow(&PlaybackControl::itemEnded);
}

bool DiscLists::follow(Step (PlaybackControl::*event)())
{
    if (!active())
        return false;
    take((*m_control.*event)());
    return true;
}

std::optional<QString> DiscLists::place() const
{
    if (!active())
        return std::nullopt;
    switch (m_control->stage()) {
    case PlaybackControl::Stage::Menu:
    case PlaybackControl::Stage::MenuWait:
        return QStringLiteral("Menu");
    case PlaybackControl::Stage::Showing:
        return QStringLiteral("Still");
    case PlaybackControl::Stage::Waiting:
        return QStringLiteral("Wait");
    case PlaybackControl::Stage::Ended:
        return QStringLiteral("End");
    case PlaybackControl::Stage::Playing:
        if (m_still)
            return QStringLiteral("Still");
        break;
    default:
        break;
    }
    return std::nullopt;
}

int DiscLists::highestNumber() const
{
    const auto numbers = active() ? m_control->menuNumbers() : std::nullopt;
    return numbers ? numbers->second : 0;
}

QString DiscLists::pictureStatus() const
{
    if (const auto numbers = m_control->menuNumbers())
        return QStringLiteral("Menu: type %1 to %2").arg(numbers->first).arg(numbers->second);
    return m_control->where();
}

void DiscLists::take(Step step)
{
    Diagnostics::report("disc lists", m_control->where());
    switch (step.kind) {
    case Step::Kind::Nothing:
    case Step::Kind::Later:
        break;
    case Step::Kind::Play:
    case Step::Kind::Loop:
        playItem(step);
        break;
    case Step::Kind::Hold:
        m_services.engine.setStatus(pictureStatus());
        break;
    case Step::Kind::Stop:
        endLists();
        return;
    }
    emit placeChanged();
}

void DiscLists::playItem(const Step& step)
{
    m_still = step.still;
    m_stillShown = false;
    m_seek.reset();
    // A still stays on screen, its medium open at its end, for as long as the lists hold it.
    m_services.player.setHoldLastPicture(step.still);
    m_playsTrack = step.item.kind == ItemKind::Track || step.item.kind == ItemKind::Entry;
    switch (step.item.kind) {
    case ItemKind::Track:
        playTrack(step.item.index - 2, 0);
        break;
    case ItemKind::Entry: {
        const VideoCdControl::Entry& entry =
            m_files.entries->entries[std::size_t(step.item.index - 1)];
        const QString track = m_services.engine.File1().entry(entry.track - 2);
        const QString path = m_services.engine.File1().Path() + QLatin1Char('\\') + track;
        playTrack(
            entry.track - 2,
            entryStart(m_services.songStarts, path, *m_files.entries, step.item.index).value_or(0));
        break;
    }
    case ItemKind::Segment:
        playSegment(step.item.index);
        break;
    case ItemKind::None:
    case ItemKind::Reserved:
        break;
    }
}

void DiscLists::playTrack(int entry, double seconds)
{
    if (seconds > 0)
        m_seek = seconds;
    m_loading = true;
    m_services.engine.playEntry(entry);
    m_loading = false;
}

void DiscLists::playSegment(int index)
{
    const int file = segmentFileNumber(m_files.info->segments, index);
    const DiscPath path{
        m_drive,
        {QStringLiteral("SEGMENT"), QStringLiteral("ITEM%1.%2")
                                        .arg(file, 4, 10, QLatin1Char('0'))
                                        .arg(m_files.superVideoCd ? "MPG" : "DAT")}};
    m_loading = true;
    m_services.engine.playOutsideList(path.toString());
    m_loading = false;
}

// An end list, or lists that lead nowhere: the play list's end, said quietly.
void DiscLists::endLists()
{
    const bool nowhere = m_control->stage() == PlaybackControl::Stage::LeadNowhere;
    const QString where = m_control->where();
    leave();
    m_services.engine.stopAtEndOfList();
    if (nowhere)
        m_services.engine.showNotice(where);
}

void DiscLists::onMediumLoading(const QString&)
{
    if (!m_loading)
        leave();
}

void DiscLists::onPlayStateChange()
{
    if (!active() || m_services.player.PlayState() != MediaPlayer::Playing)
        return;
    if (!m_playsTrack)
        m_services.engine.setStatus(pictureStatus());
    // Straight to the player: the position bar may not know the track's length yet.
    if (m_seek)
        m_services.player.setCurrentPosition(*std::exchange(m_seek, std::nullopt));
    // A still is done once it is on screen; it stays there while the lists hold it.
    if (m_still && !std::exchange(m_stillShown, true))
        take(m_control->itemEnded());
}

void DiscLists::start(Deadline deadline, int milliseconds)
{
    timer(deadline).start(milliseconds);
}

void DiscLists::stop(Deadline deadline)
{
    timer(deadline).stop();
}

QTimer& DiscLists::timer(Deadline deadline)
{
    return deadline == Deadline::Wait ? m_waitTimer : m_playTimeTimer;
}
