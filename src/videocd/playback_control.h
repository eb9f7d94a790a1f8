#pragma once

#include "platform/disc/read/video_cd_control.h"
#include "videocd/disc_items.h"

#include <QString>
#include <array>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

// A Video CD's playback control: its play, selection and end lists followed as one state
// machine. It does no I/O and plays nothing itself: each event returns the one step the player
// takes next, and the waits run on an injected timer, so the owner decides how items play and
// tests decide how time passes.

namespace VideoCd {

// The two deadlines a list can have running at once.
enum class Deadline {
    Wait,     // a still's wait, a list's wait after its items, a menu's timeout
    PlayTime, // a play list's time limit
};

// Starting a deadline again replaces it; the owner calls PlaybackControl::deadlinePassed when
// one runs out.
class ControlTimer {
public:
    virtual ~ControlTimer() = default;
    virtual void start(Deadline deadline, int milliseconds) = 0;
    virtual void stop(Deadline deadline) = 0;
};

struct Step {
    enum class Kind {
        Nothing, // the event changes nothing (a number out of range, a link to nowhere)
        Later,   // the choice is taken when the menu's background has played to its end
        Play,    // play the item from its start
        Loop,    // play the same background item again
        Hold,    // play nothing more and keep the picture; the control's own timer ends it
        Stop,    // stop playing
    };
    Kind kind{Kind::Nothing};
    int number{};                // Play, Loop: the play item number
    VideoCdControl::Item item{}; // what that number names
    bool still{};                // a still picture: its end is reported once it is shown
    std::optional<int> seconds;  // Hold: how long, for the status line; nothing for ever
};

class PlaybackControl {
public:
    enum class Stage {
        Idle,        // not started
        Playing,     // a play list's item plays
        Showing,     // a play list's still item is held for the list's wait
        Waiting,     // a play list has ended (or run out of time) and waits before its next list
        Menu,        // a selection list's background plays
        MenuWait,    // the background has played; the timeout runs, or the menu waits for ever
        Ended,       // an end list: stopped, perhaps on its picture
        Stopped,     // no next list, a command or unknown list, or no list at all
        LeadNowhere, // the lists link on without ever playing or waiting
    };

    // Lists entered in a row without anything played or waited on before the control gives up.
    static constexpr int MaxEmptyHops = 16;

    PlaybackControl(VideoCdControl::Psd psd, DiscItems items, ControlTimer& timer);

    // The disc's first list: the LOT's list 1, else the first list read; never a rejected one.
    Step start();
    // The item last played has reached its end (a still: it is on screen).
    Step itemEnded();
    // A number the user keyed in, picking a menu's selection.
    Step numberChosen(int number);
    // Enter: a menu's default; during a play list's wait, going on at once.
    Step defaultChosen();
    Step nextChosen();
    Step previousChosen();
    Step returnChosen();
    Step deadlinePassed(Deadline deadline);

    Stage stage() const { return m_stage; }
    // The numbers the menu shown takes, lowest and highest; nothing outside a menu or where
    // it takes none.
    std::optional<std::pair<int, int>> menuNumbers() const;
    // The list followed: its LOT id, else the id it records; 0 before the start.
    int listId() const;
    // For the status line: "Menu (list 3)", "List 2, item 1 of 4", "Stopped".
    QString where() const;

private:
    using List = VideoCdControl::PsdList;
    // What a transition leads to: a step for the player, or a list to enter now.
    using Move = std::variant<Step, const List*>;

    Step settle(Move move);
    Move enter(const List& list);
    Move playFrom(std::size_t index);
    Move finishPlayList();
    Move followNext();
    Move startMenu();
    Move afterBackground();
    Move menuTimeout();
    Move choose(const VideoCdControl::Link& link);
    Move stopWith(Stage stage);
    Step hold(std::optional<int> seconds);
    Step stepFor(int number, Step::Kind kind) const;
    const List* target(const VideoCdControl::Link& link) const;
    bool inMenu() const { return m_stage == Stage::Menu || m_stage == Stage::MenuWait; }
    bool inPlayList() const;
    Step waitOver();
    Step playTimeOver();
    void stopTimers();
    void startDeadline(Deadline deadline, int milliseconds);
    void stopDeadline(Deadline deadline);
    bool& running(Deadline deadline) { return m_running[std::size_t(deadline)]; }

    VideoCdControl::Psd m_psd;
    DiscItems m_items;
    ControlTimer& m_timer;
    Stage m_stage{Stage::Idle};
    const List* m_list{};
    std::size_t m_index{};           // the play list's item playing or shown
    int m_loopsPlayed{};             // the menu background's plays so far
    const List* m_pending{};         // a choice waiting for the background's end
    std::array<bool, 2> m_running{}; // by Deadline
};

} // namespace VideoCd
