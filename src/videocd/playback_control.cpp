#include "videocd/playback_control.h"

#include <algorithm>
#include <cstdint>

// Left out on purpose: a play list's auto-pause time applies at sectors the disc flags for it,
// flags the player never sees, so items play through; and an end list's next disc, since one
// drive holds one disc, ends the lists as any end list does.

namespace VideoCd {

using namespace VideoCdControl;

namespace {

int milliseconds(int seconds)
{
    return seconds * 1000;
}

// A play time counts fifteenths of a second.
int playTimeMilliseconds(int fifteenths)
{
    return (fifteenths * 1000 + 7) / 15;
}

Step only(Step::Kind kind)
{
    Step step;
    step.kind = kind;
    return step;
}

Step nothing()
{
    return only(Step::Kind::Nothing);
}

} // namespace

PlaybackControl::PlaybackControl(Psd psd, DiscItems items, ControlTimer& timer)
    : m_psd(std::move(psd)), m_items(std::move(items)), m_timer(timer)
{
}

Step PlaybackControl::start()
{
    const auto first = std::ranges::find_if(
        m_psd.lists, [](const List& list) { return list.lotId == 1 && !list.rejected; });
    if (first != m_psd.lists.end())
        return settle(&*first);
    const auto any =
        std::ranges::find_if(m_psd.lists, [](const List& list) { return !list.rejected; });
    if (any != m_psd.lists.end())
        return settle(&*any);
    m_list = nullptr;
    return std::get<Step>(stopWith(Stage::Stopped));
}

Step PlaybackControl::itemEnded()
{
    switch (m_stage) {
    case Stage::Playing: {
        const int number = m_list->items[m_index];
        if (!m_items.isStill(number))
            return settle(playFrom(m_index + 1));
        const auto later =
            std::ranges::find_if(m_list->items.begin() + long(m_index) + 1, m_list->items.end(),
                                 [this](int item) { return m_items.names(item); });
        // The list's wait after its last item is held once, still or not.
        if (later == m_list->items.end())
            return settle(finishPlayList());
        const std::optional<int> seconds = waitSeconds(m_list->waitTime);
        if (seconds == 0)
            return settle(playFrom(m_index + 1));
        m_stage = Stage::Showing;
        return hold(seconds);
    }
    case Stage::Menu:
        return settle(afterBackground());
    case Stage::Ended:
        if (m_items.names(m_list->changePicture))
            return hold(std::nullopt);
        return nothing();
    default:
        return nothing();
    }
}

Step PlaybackControl::numberChosen(int number)
{
    if (!inMenu() || m_list->defaultLink.offset == MultiDefaultNoNumber)
        return nothing();
    const std::int64_t index = std::int64_t(number) - m_list->baseNumber;
    if (index < 0 || index >= std::int64_t(m_list->selections.size()))
        return nothing();
    return settle(choose(m_list->selections[std::size_t(index)]));
}

Step PlaybackControl::defaultChosen()
{
    if (inMenu())
        return settle(choose(m_list->defaultLink));
    // Enter ends a play list's wait early, the one way on from a wait for ever without links.
    if (m_stage == Stage::Showing || m_stage == Stage::Waiting) {
        stopDeadline(Deadline::Wait);
        return waitOver();
    }
    return nothing();
}

Step PlaybackControl::nextChosen()
{
    if (!inMenu() && !inPlayList())
        return nothing();
    return settle(choose(m_list->next));
}

Step PlaybackControl::previousChosen()
{
    if (!inMenu() && !inPlayList())
        return nothing();
    return settle(choose(m_list->previous));
}

Step PlaybackControl::returnChosen()
{
    if (!inMenu() && !inPlayList())
        return nothing();
    return settle(choose(m_list->back));
}

// A deadline stopped after its timer fired may still arrive: it changes nothing.
Step PlaybackControl::deadlinePassed(Deadline deadline)
{
    if (!running(deadline))
        return nothing();
    running(deadline) = false;
    return deadline == Deadline::Wait ? waitOver() : playTimeOver();
}

Step PlaybackControl::waitOver()
{
    switch (m_stage) {
    case Stage::Showing:
        return settle(playFrom(m_index + 1));
    case Stage::Waiting:
        return settle(followNext());
    case Stage::MenuWait:
        if (const List* next = target(m_list->timeoutLink))
            return settle(next);
        return nothing();
    default:
        return nothing();
    }
}

Step PlaybackControl::playTimeOver()
{
    if (m_stage != Stage::Playing && m_stage != Stage::Showing)
        return nothing();
    // A still's wait running now ends here: the list's own wait starts again, or the list is left.
    return settle(finishPlayList());
}

std::optional<std::pair<int, int>> PlaybackControl::menuNumbers() const
{
    if (!inMenu() || m_list->selections.empty() ||
        m_list->defaultLink.offset == MultiDefaultNoNumber)
        return std::nullopt;
    return std::pair{m_list->baseNumber, m_list->baseNumber + int(m_list->selections.size()) - 1};
}

int PlaybackControl::listId() const
{
    if (!m_list)
        return 0;
    return m_list->lotId != 0 ? m_list->lotId : m_list->listId;
}

QString PlaybackControl::where() const
{
    switch (m_stage) {
    case Stage::Idle:
        return QStringLiteral("Not started");
    case Stage::Playing:
    case Stage::Showing:
        return QStringLiteral("List %1, item %2 of %3")
            .arg(listId())
            .arg(m_index + 1)
            .arg(m_list->items.size());
    case Stage::Waiting:
        return QStringLiteral("List %1, waiting").arg(listId());
    case Stage::Menu:
    case Stage::MenuWait:
        return QStringLiteral("Menu (list %1)").arg(listId());
    case Stage::Ended:
        return QStringLiteral("End of the disc");
    case Stage::Stopped:
        return QStringLiteral("Stopped");
    case Stage::LeadNowhere:
        return QStringLiteral("The disc's lists lead nowhere");
    }
    return {};
}

// Enters lists until one gives the player something to do. Lists that play nothing and wait on
// nothing (empty, their items all missing, linked in a circle) would go round for ever: after a
// few the control gives up.
Step PlaybackControl::settle(Move move)
{
    for (int hops = 0; const List** list = std::get_if<const List*>(&move); ++hops) {
        if (hops == MaxEmptyHops)
            return std::get<Step>(stopWith(Stage::LeadNowhere));
        move = enter(**list);
    }
    return std::get<Step>(move);
}

PlaybackControl::Move PlaybackControl::enter(const List& list)
{
    stopTimers();
    m_pending = nullptr;
    m_list = &list;
    m_index = 0;
    switch (list.kind) {
    case ListKind::Play:
        if (list.playTime > 0)
            startDeadline(Deadline::PlayTime, playTimeMilliseconds(list.playTime));
        return playFrom(0);
    case ListKind::Selection:
    case ListKind::ExtendedSelection:
        return startMenu();
    case ListKind::End:
        m_stage = Stage::Ended;
        if (m_items.names(list.changePicture))
            return stepFor(list.changePicture, Step::Kind::Play);
        return only(Step::Kind::Stop);
    case ListKind::Command:
    case ListKind::Unknown:
        break;
    }
    return stopWith(Stage::Stopped);
}

// Plays the list's first item from `index` on that names something, else ends the list.
PlaybackControl::Move PlaybackControl::playFrom(std::size_t index)
{
    const std::vector<int>& items = m_list->items;
    while (index < items.size() && !m_items.names(items[index]))
        ++index;
    if (index >= items.size())
        return finishPlayList();
    m_index = index;
    m_stage = Stage::Playing;
    return stepFor(items[index], Step::Kind::Play);
}

PlaybackControl::Move PlaybackControl::finishPlayList()
{
    stopDeadline(Deadline::PlayTime);
    const std::optional<int> seconds = waitSeconds(m_list->waitTime);
    if (seconds == 0)
        return followNext();
    m_stage = Stage::Waiting;
    return hold(seconds);
}

PlaybackControl::Move PlaybackControl::followNext()
{
    if (const List* next = target(m_list->next))
        return next;
    return stopWith(Stage::Stopped);
}

PlaybackControl::Move PlaybackControl::startMenu()
{
    m_loopsPlayed = 0;
    if (!m_items.names(m_list->item))
        return menuTimeout();
    m_stage = Stage::Menu;
    m_loopsPlayed = 1;
    return stepFor(m_list->item, Step::Kind::Play);
}

// The background has played once more: a choice made meanwhile is taken now, else it plays
// again until its loop count (0: for ever), and a still, once shown, simply stays.
PlaybackControl::Move PlaybackControl::afterBackground()
{
    if (const List* chosen = m_pending)
        return chosen;
    if (!m_items.isStill(m_list->item) &&
        (m_list->loopCount == 0 || m_loopsPlayed < m_list->loopCount)) {
        if (m_list->loopCount != 0)
            ++m_loopsPlayed;
        return stepFor(m_list->item, Step::Kind::Loop);
    }
    return menuTimeout();
}

// Without a list to go to, the timeout would lead nowhere: the menu waits for the user.
PlaybackControl::Move PlaybackControl::menuTimeout()
{
    m_stage = Stage::MenuWait;
    const List* next = target(m_list->timeoutLink);
    const std::optional<int> seconds = waitSeconds(m_list->timeout);
    if (!next || !seconds)
        return hold(std::nullopt);
    if (*seconds == 0)
        return next;
    return hold(seconds);
}

// A choice of a list: while a delaying menu's background plays, it waits for its end.
PlaybackControl::Move PlaybackControl::choose(const Link& link)
{
    const List* chosen = target(link);
    if (!chosen)
        return nothing();
    if (m_stage == Stage::Menu && m_list->jumpDelayed) {
        m_pending = chosen;
        return only(Step::Kind::Later);
    }
    return chosen;
}

PlaybackControl::Move PlaybackControl::stopWith(Stage stage)
{
    stopTimers();
    m_pending = nullptr;
    m_stage = stage;
    return only(Step::Kind::Stop);
}

Step PlaybackControl::hold(std::optional<int> seconds)
{
    if (seconds)
        startDeadline(Deadline::Wait, milliseconds(*seconds));
    Step step = only(Step::Kind::Hold);
    step.seconds = seconds;
    return step;
}

Step PlaybackControl::stepFor(int number, Step::Kind kind) const
{
    Step step = only(kind);
    step.number = number;
    step.item = playItem(number);
    step.still = m_items.isStill(number);
    return step;
}

// The list a link leads to; nothing for no link, the multi-default marks, an offset where no
// list was read, and a rejected list.
const PlaybackControl::List* PlaybackControl::target(const Link& link) const
{
    if (link.offset >= MultiDefaultNoNumber)
        return nullptr;
    const auto found = std::ranges::find_if(
        m_psd.lists, [&link](const List& list) { return list.offset == link.offset; });
    if (found == m_psd.lists.end() || found->rejected)
        return nullptr;
    return &*found;
}

bool PlaybackControl::inPlayList() const
{
    return m_stage == Stage::Playing || m_stage == Stage::Showing || m_stage == Stage::Waiting;
}

void PlaybackControl::stopTimers()
{
    stopDeadline(Deadline::Wait);
    stopDeadline(Deadline::PlayTime);
}

void PlaybackControl::startDeadline(Deadline deadline, int milliseconds)
{
    running(deadline) = true;
    m_timer.start(deadline, milliseconds);
}

void PlaybackControl::stopDeadline(Deadline deadline)
{
    running(deadline) = false;
    m_timer.stop(deadline);
}

} // namespace VideoCd
