// The disc's lists followed as a state machine, on PSDs built byte by byte and read by the
// parser, with a fake timer standing in for time: each row is a script of events and the steps
// the player is told, so a row shows the whole path, not only where it ends.

#include "psd_builder.h"
#include "videocd/playback_control.h"

#include <QtTest>
#include <climits>
#include <map>

using namespace PsdBuilder;
using VideoCd::ControlTimer;
using VideoCd::Deadline;
using VideoCd::DiscItems;
using VideoCd::PlaybackControl;
using VideoCd::Step;
using VideoCdControl::SegmentKind;

namespace {

// Time only moves when a test says so; deadlines fall due in their order.
class FakeTimer : public ControlTimer {
public:
    void start(Deadline deadline, int milliseconds) override
    {
        m_due[deadline] = m_now + milliseconds;
    }
    void stop(Deadline deadline) override { m_due.erase(deadline); }

    std::optional<qint64> left(Deadline deadline) const
    {
        const auto found = m_due.find(deadline);
        if (found == m_due.end())
            return std::nullopt;
        return found->second - m_now;
    }
    QString pending() const
    {
        QStringList out;
        for (const auto& [deadline, due] : m_due)
            out << QStringLiteral("%1 %2")
                       .arg(deadline == Deadline::Wait ? "wait" : "time")
                       .arg(due - m_now);
        return out.join(", ");
    }
    qint64 now() const { return m_now; }
    // Moves time to the first deadline due by `until` and takes it off; without one, to
    // `until`.
    std::optional<Deadline> advanceTo(qint64 until)
    {
        const auto first = std::ranges::min_element(
            m_due, [](const auto& a, const auto& b) { return a.second < b.second; });
        if (first == m_due.end() || first->second > until) {
            m_now = until;
            return std::nullopt;
        }
        const Deadline deadline = first->first;
        m_now = first->second;
        m_due.erase(first);
        return deadline;
    }

private:
    std::map<Deadline, qint64> m_due;
    qint64 m_now = 0;
};

QString describe(const Step& step)
{
    switch (step.kind) {
    case Step::Kind::Nothing:
        return QStringLiteral("nothing");
    case Step::Kind::Later:
        return QStringLiteral("later");
    case Step::Kind::Play:
        return QStringLiteral("play %1%2").arg(step.number).arg(step.still ? " still" : "");
    case Step::Kind::Loop:
        return QStringLiteral("loop %1").arg(step.number);
    case Step::Kind::Hold:
        return step.seconds ? QStringLiteral("hold %1").arg(*step.seconds)
                            : QStringLiteral("hold ever");
    case Step::Kind::Stop:
        return QStringLiteral("stop");
    }
    return QStringLiteral("?");
}

struct Rig {
    Rig(VideoCdControl::Psd psd, DiscItems items) : control(std::move(psd), std::move(items), timer)
    {
    }

    // Events: start, end (the item ended), a number, enter, next, prev, return; wait and time
    // let time run to that pending deadline (failing when none is), fire calls the wait's
    // deadline whether it runs or not, +N lets N ms pass.
    QString run(const QString& script)
    {
        QStringList steps;
        for (const QString& event : script.split(' ', Qt::SkipEmptyParts))
            steps << apply(event);
        return steps.join("; ");
    }

    QString apply(const QString& event)
    {
        if (event.startsWith('+'))
            return pass(event.mid(1).toLongLong());
        bool isNumber = false;
        const int number = event.toInt(&isNumber);
        if (isNumber)
            return describe(control.numberChosen(number));
        if (event == "start")
            return describe(control.start());
        if (event == "end")
            return describe(control.itemEnded());
        if (event == "enter")
            return describe(control.defaultChosen());
        if (event == "next")
            return describe(control.nextChosen());
        if (event == "prev")
            return describe(control.previousChosen());
        if (event == "return")
            return describe(control.returnChosen());
        if (event == "fire")
            return describe(control.deadlinePassed(Deadline::Wait));
        if (event == "wait" || event == "time")
            return runTo(event == "wait" ? Deadline::Wait : Deadline::PlayTime);
        return QStringLiteral("bad event %1").arg(event);
    }

    QString runTo(Deadline deadline)
    {
        const std::optional<qint64> left = timer.left(deadline);
        if (!left)
            return QStringLiteral("no deadline");
        return pass(*left);
    }

    // The steps of the deadlines falling due, "-" for none.
    QString pass(qint64 milliseconds)
    {
        QStringList steps;
        const qint64 until = timer.now() + milliseconds;
        // Bounded: a control starting deadlines of 0 ms again and again would never let time on.
        for (int fired = 0; fired < 100; ++fired) {
            const std::optional<Deadline> due = timer.advanceTo(until);
            if (!due)
                break;
            steps << describe(control.deadlinePassed(*due));
        }
        return steps.isEmpty() ? QStringLiteral("-") : steps.join("; ");
    }

    FakeTimer timer;
    PlaybackControl control;
};

// Segments: 1000 a still (the menu), 1001 a still, 1002 moving pictures, 1003 sound only, 1004
// nothing at all. Tracks 2..4, entries 100..104.
DiscItems smallDisc()
{
    return DiscItems{3,
                     5,
                     {SegmentKind::Still, SegmentKind::Still, SegmentKind::Motion,
                      SegmentKind::Audio, SegmentKind::None}};
}

// Menu 1 over a still, its numbers 1..3 leading to play list 2, play list 3 and end list 4;
// play list 2 names a track the disc lacks and nothing at all between its items.
VideoCdControl::Psd menuDisc()
{
    return PsdFile()
        .selection(at(1), {.lid = 1,
                           .base = 1,
                           .selections = {at(2), at(3), at(4)},
                           .item = 1000,
                           .timeout = 10,
                           .defaultLink = at(2),
                           .timeoutLink = at(3),
                           .next = at(2)})
        .play(at(2), {.lid = 2,
                      .items = {2, 99, 1001, 0, 3},
                      .wait = 5,
                      .prev = at(1),
                      .next = at(3),
                      .back = at(1)})
        .play(at(3), {.lid = 3,
                      .items = {100, 1002},
                      .wait = 0,
                      .prev = at(2),
                      .next = at(4),
                      .back = at(1)})
        .end(at(4), {.lid = 4})
        .parse();
}

} // namespace

class TestPlaybackControl : public QObject {
    Q_OBJECT

private slots:
    void menuDisc_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("pending");

        const QString menu = "play 1000 still";
        QTest::newRow("before the start") << "end enter 1 next fire"
                                          << "nothing; nothing; nothing; nothing; nothing"
                                          << "Not started"
                                          << "";
        QTest::newRow("start shows the menu") << "start" << menu << "Menu (list 1)"
                                              << "";
        QTest::newRow("the menu's still shown, its timeout runs")
            << "start end" << menu + "; hold 10"
            << "Menu (list 1)"
            << "wait 10000";
        QTest::newRow("the timeout leads to list 3")
            << "start end wait" << menu + "; hold 10; play 100"
            << "List 3, item 1 of 2"
            << "";
        QTest::newRow("a number while the still loads") << "start 1" << menu + "; play 2"
                                                        << "List 2, item 1 of 5"
                                                        << "";
        QTest::newRow("missing items are passed over")
            << "start end 1 end" << menu + "; hold 10; play 2; play 1001 still"
            << "List 2, item 3 of 5"
            << "";
        QTest::newRow("a still in a list is held for the list's wait")
            << "start 1 end end" << menu + "; play 2; play 1001 still; hold 5"
            << "List 2, item 3 of 5"
            << "wait 5000";
        QTest::newRow("then the next item")
            << "start 1 end end wait" << menu + "; play 2; play 1001 still; hold 5; play 3"
            << "List 2, item 5 of 5"
            << "";
        QTest::newRow("after the last item, the list's wait")
            << "start 1 end end wait end"
            << menu + "; play 2; play 1001 still; hold 5; play 3; hold 5"
            << "List 2, waiting"
            << "wait 5000";
        QTest::newRow("then the next list")
            << "start 1 end end wait end wait"
            << menu + "; play 2; play 1001 still; hold 5; play 3; hold 5; play 100"
            << "List 3, item 1 of 2"
            << "";
        QTest::newRow("no wait: on to the end list")
            << "start 2 end end" << menu + "; play 100; play 1002; stop"
            << "End of the disc"
            << "";
        QTest::newRow("the end list") << "start 3" << menu + "; stop"
                                      << "End of the disc"
                                      << "";
        QTest::newRow("nothing goes on after the end")
            << "start 3 end enter next return 1 fire"
            << menu + "; stop; nothing; nothing; nothing; nothing; nothing; nothing"
            << "End of the disc"
            << "";
        QTest::newRow("number 0") << "start end 0" << menu + "; hold 10; nothing"
                                  << "Menu (list 1)"
                                  << "wait 10000";
        QTest::newRow("number 4") << "start end 4" << menu + "; hold 10; nothing"
                                  << "Menu (list 1)"
                                  << "wait 10000";
        QTest::newRow("negative numbers") << "start -1 -2147483648" << menu + "; nothing; nothing"
                                          << "Menu (list 1)"
                                          << "";
        QTest::newRow("the largest number") << "start 2147483647" << menu + "; nothing"
                                            << "Menu (list 1)"
                                            << "";
        QTest::newRow("enter takes the default") << "start end enter" << menu + "; hold 10; play 2"
                                                 << "List 2, item 1 of 5"
                                                 << "";
        QTest::newRow("next from the menu") << "start next" << menu + "; play 2"
                                            << "List 2, item 1 of 5"
                                            << "";
        QTest::newRow("no previous, no return in the menu")
            << "start end prev return" << menu + "; hold 10; nothing; nothing"
            << "Menu (list 1)"
            << "wait 10000";
        QTest::newRow("return from a list")
            << "start 1 return" << menu + "; play 2; " + menu << "Menu (list 1)"
            << "";
        QTest::newRow("previous from a list") << "start 2 prev" << menu + "; play 100; play 2"
                                              << "List 2, item 1 of 5"
                                              << "";
        QTest::newRow("next from a list's still cuts its wait")
            << "start 1 end end next" << menu + "; play 2; play 1001 still; hold 5; play 100"
            << "List 3, item 1 of 2"
            << "";
        QTest::newRow("enter ends a list's wait early")
            << "start 1 end end enter" << menu + "; play 2; play 1001 still; hold 5; play 3"
            << "List 2, item 5 of 5"
            << "";
        QTest::newRow("numbers mean nothing in a play list")
            << "start 1 1 2" << menu + "; play 2; nothing; nothing"
            << "List 2, item 1 of 5"
            << "";
        QTest::newRow("enter while a list's item plays")
            << "start 1 enter" << menu + "; play 2; nothing"
            << "List 2, item 1 of 5"
            << "";
        QTest::newRow("a choice ends the menu's timeout")
            << "start end 2 +20000" << menu + "; hold 10; play 100; -"
            << "List 3, item 1 of 2"
            << "";
        QTest::newRow("a deadline that is no longer running") << "start fire" << menu + "; nothing"
                                                              << "Menu (list 1)"
                                                              << "";
        QTest::newRow("start again")
            << "start 1 end end start" << menu + "; play 2; play 1001 still; hold 5; " + menu
            << "Menu (list 1)"
            << "";
    }
    void menuDisc()
    {
        QFETCH(QString, script);
        QFETCH(QString, steps);
        QFETCH(QString, where);
        QFETCH(QString, pending);
        Rig rig(::menuDisc(), smallDisc());
        QCOMPARE(rig.run(script), steps);
        QCOMPARE(rig.control.where(), where);
        QCOMPARE(rig.timer.pending(), pending);
    }

    // The wait codes as they reach the timer, after a still, after a list and as a menu's
    // timeout.
    void waitCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("hold");
        QTest::addColumn<QString>("pending");
        QTest::newRow("0: no wait") << 0 << ""
                                    << "";
        QTest::newRow("1 s") << 1 << "hold 1"
                             << "wait 1000";
        QTest::newRow("60 s") << 60 << "hold 60"
                              << "wait 60000";
        QTest::newRow("61: 70 s") << 61 << "hold 70"
                                  << "wait 70000";
        QTest::newRow("100: 460 s") << 100 << "hold 460"
                                    << "wait 460000";
        QTest::newRow("254: 2000 s") << 254 << "hold 2000"
                                     << "wait 2000000";
        QTest::newRow("255: for ever") << 255 << "hold ever"
                                       << "";
    }
    void waitCodes()
    {
        QFETCH(int, code);
        QFETCH(QString, hold);
        QFETCH(QString, pending);
        const QString held = hold.isEmpty() ? QString() : hold + "; ";
        const auto disc =
            PsdFile()
                .play(at(1), {.lid = 1, .items = {1001, 2}, .wait = code, .next = at(2)})
                .selection(at(2), {.lid = 2,
                                   .selections = {at(1)},
                                   .item = 1000,
                                   .timeout = code,
                                   .timeoutLink = at(3)})
                .play(at(3), {.lid = 3, .items = {3}})
                .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start end"), "play 1001 still; " + (held.isEmpty() ? "play 2" : hold));
        QCOMPARE(rig.timer.pending(), pending);
        if (!held.isEmpty())
            QCOMPARE(rig.run("enter"), "play 2");
        QCOMPARE(rig.run("end"), held.isEmpty() ? "play 1000 still" : hold);
        QCOMPARE(rig.timer.pending(), pending);
        if (!held.isEmpty())
            QCOMPARE(rig.run("enter"), "play 1000 still");
        QCOMPARE(rig.run("end"), held.isEmpty() ? "play 3" : hold);
        QCOMPARE(rig.timer.pending(), pending);
    }

    // Time runs on the fake clock: nothing happens a moment before a deadline, all of it at.
    void timeoutOnTheClock()
    {
        Rig rig(::menuDisc(), smallDisc());
        QCOMPARE(rig.run("start end"), "play 1000 still; hold 10");
        QCOMPARE(rig.run("+9999"), "-");
        QCOMPARE(rig.control.stage(), PlaybackControl::Stage::MenuWait);
        QCOMPARE(rig.run("+1"), "play 100");
        QCOMPARE(rig.control.listId(), 3);
        // A still's wait the same way, and leaving the list stops it.
        QCOMPARE(rig.run("return end 1 end end +4999"),
                 "play 1000 still; hold 10; play 2; play 1001 still; hold 5; -");
        QCOMPARE(rig.run("+1"), "play 3");
        QCOMPARE(rig.run("end return +1000000"), "hold 5; play 1000 still; -");
        QCOMPARE(rig.control.stage(), PlaybackControl::Stage::Menu);
    }

    // A play time cuts the list, whatever it plays, then its wait and next list follow.
    void playTime_data()
    {
        QTest::addColumn<int>("playTime");
        QTest::addColumn<int>("wait");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("pending");
        QTest::newRow("3 s, cut in the first item") << 45 << 2 << "start +2999 +1"
                                                    << "play 1002; -; hold 2"
                                                    << "wait 2000";
        QTest::newRow("then its wait and next list") << 45 << 2 << "start time wait"
                                                     << "play 1002; hold 2; play 100"
                                                     << "";
        QTest::newRow("no wait: straight to the next list") << 45 << 0 << "start time"
                                                            << "play 1002; play 100"
                                                            << "";
        QTest::newRow("cut in a still's wait") << 45 << 30 << "start end end time"
                                               << "play 1002; play 1001 still; hold 30; hold 30"
                                               << "wait 30000";
        QTest::newRow("the time runs on across items") << 45 << 2 << "start +2000 end +999"
                                                       << "play 1002; -; play 1001 still; -"
                                                       << "time 1";
        QTest::newRow("a fifteenth of a second") << 1 << 0 << "start"
                                                 << "play 1002"
                                                 << "time 67";
        QTest::newRow("the largest") << 65535 << 0 << "start"
                                     << "play 1002"
                                     << "time 4369000";
        QTest::newRow("items played through stop the clock")
            << 45 << 2 << "start end end wait end"
            << "play 1002; play 1001 still; hold 2; play "
               "4; hold 2"
            << "wait 2000";
    }
    void playTime()
    {
        QFETCH(int, playTime);
        QFETCH(int, wait);
        QFETCH(QString, script);
        QFETCH(QString, steps);
        QFETCH(QString, pending);
        const auto disc = PsdFile()
                              .play(at(1), {.lid = 1,
                                            .items = {1002, 1001, 4},
                                            .wait = wait,
                                            .playTime = playTime,
                                            .next = at(2)})
                              .play(at(2), {.lid = 2, .items = {100}})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run(script), steps);
        QCOMPARE(rig.timer.pending(), pending);
    }

    // A moving background plays its loop count of times (0: for ever), then the timeout runs;
    // a still is shown once whatever the count.
    void loopCount_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("loop");
        QTest::addColumn<QString>("steps");
        QTest::newRow("once") << 1002 << 1 << "play 1002; hold 3";
        QTest::newRow("twice") << 1002 << 2 << "play 1002; loop 1002; hold 3";
        QTest::newRow("four times") << 1002 << 4
                                    << "play 1002; loop 1002; loop 1002; loop 1002; "
                                       "hold 3";
        QTest::newRow("127 times, the most") << 1002 << 127 << "";
        QTest::newRow("for ever") << 1002 << 0 << "";
        QTest::newRow("a still, twice") << 1000 << 2 << "play 1000 still; hold 3";
        QTest::newRow("sound only, twice") << 1003 << 2 << "play 1003; loop 1003; hold 3";
    }
    void loopCount()
    {
        QFETCH(int, item);
        QFETCH(int, loop);
        QFETCH(QString, steps);
        const auto disc = PsdFile()
                              .selection(at(1), {.lid = 1,
                                                 .selections = {at(2)},
                                                 .item = item,
                                                 .timeout = 3,
                                                 .loop = loop,
                                                 .timeoutLink = at(2)})
                              .play(at(2), {.lid = 2, .items = {2}})
                              .parse();
        Rig rig(disc, smallDisc());
        if (steps.isEmpty()) {
            // Many loops: every end but the last (if any) plays the background again.
            const int plays = loop == 0 ? 500 : loop;
            QCOMPARE(rig.run("start"), "play 1002");
            for (int n = 1; n < plays; ++n)
                QCOMPARE(rig.run("end"), "loop 1002");
            QCOMPARE(rig.run("end"), loop == 0 ? "loop 1002" : "hold 3");
            QCOMPARE(rig.control.stage(),
                     loop == 0 ? PlaybackControl::Stage::Menu : PlaybackControl::Stage::MenuWait);
            return;
        }
        QStringList ends(steps.count(';'), "end");
        QCOMPARE(rig.run("start " + ends.join(' ')), steps);
        QCOMPARE(rig.timer.pending(), "wait 3000");
        QCOMPARE(rig.run("wait"), "play 2");
    }

    void waitForEver()
    {
        const auto disc =
            PsdFile().play(at(1), {.lid = 1, .items = {1001, 1000}, .wait = 255}).parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start end +100000000 fire"), "play 1001 still; hold ever; -; nothing");
        QCOMPARE(rig.control.stage(), PlaybackControl::Stage::Showing);
        QCOMPARE(rig.run("enter end +100000000"), "play 1000 still; hold ever; -");
        QCOMPARE(rig.control.stage(), PlaybackControl::Stage::Waiting);
        // No next list: Enter ends the wait and the lists with it.
        QCOMPARE(rig.run("enter"), "stop");
        QCOMPARE(rig.control.where(), "Stopped");
    }

    void menuWaitsForEver_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("timeoutLink");
        QTest::newRow("timeout 255") << 255 << at(2);
        QTest::newRow("no timeout list") << 5 << None;
        QTest::newRow("a timeout list not read") << 5 << at(9);
        QTest::newRow("a timeout list rejected") << 5 << at(3);
        QTest::newRow("the multi-default mark") << 5 << int(VideoCdControl::MultiDefault);
    }
    void menuWaitsForEver()
    {
        QFETCH(int, timeout);
        QFETCH(int, timeoutLink);
        const auto disc = PsdFile()
                              .selection(at(1), {.lid = 1,
                                                 .selections = {at(2)},
                                                 .item = 1000,
                                                 .timeout = timeout,
                                                 .timeoutLink = timeoutLink})
                              .play(at(2), {.lid = 2, .items = {2}})
                              .play(at(3), {.lid = 3 | Rejected, .items = {3}})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start end +100000000"), "play 1000 still; hold ever; -");
        QCOMPARE(rig.control.stage(), PlaybackControl::Stage::MenuWait);
        QCOMPARE(rig.run("1"), "play 2");
    }

    // With the jump delayed, a choice waits for the background's end (not its last loop);
    // without, or once the background has played, it is taken at once.
    void jumpDelayed_data()
    {
        QTest::addColumn<bool>("delayed");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("where");
        QTest::newRow("delayed") << true << 1002 << "start 1"
                                 << "play 1002; later"
                                 << "Menu (list 1)";
        QTest::newRow("taken at the background's end") << true << 1002 << "start 1 end"
                                                       << "play 1002; later; play 2"
                                                       << "List 2, item 1 of 1";
        QTest::newRow("at the end of a loop, not of all") << true << 1002 << "start end 1 end"
                                                          << "play 1002; loop 1002; later; play 2"
                                                          << "List 2, item 1 of 1";
        QTest::newRow("the last choice counts") << true << 1002 << "start 1 2 end"
                                                << "play 1002; later; later; play 3"
                                                << "List 3, item 1 of 1";
        QTest::newRow("a choice of nothing stays nothing") << true << 1002 << "start 9 end"
                                                           << "play 1002; nothing; loop 1002"
                                                           << "Menu (list 1)";
        QTest::newRow("next and return wait too") << true << 1002 << "start next return end"
                                                  << "play 1002; later; later; play 3"
                                                  << "List 3, item 1 of 1";
        QTest::newRow("the default waits too") << true << 1002 << "start enter end"
                                               << "play 1002; later; play 2"
                                               << "List 2, item 1 of 1";
        QTest::newRow("after the loops, at once") << true << 1002 << "start end end 2"
                                                  << "play 1002; loop 1002; hold 4; play 3"
                                                  << "List 3, item 1 of 1";
        QTest::newRow("a still, until shown") << true << 1000 << "start 1 end"
                                              << "play 1000 still; later; play 2"
                                              << "List 2, item 1 of 1";
        QTest::newRow("a still, once shown") << true << 1000 << "start end 1"
                                             << "play 1000 still; hold 4; play 2"
                                             << "List 2, item 1 of 1";
        QTest::newRow("not delayed") << false << 1002 << "start 1"
                                     << "play 1002; play 2"
                                     << "List 2, item 1 of 1";
        QTest::newRow("a new start forgets the choice") << true << 1002 << "start 1 start end"
                                                        << "play 1002; later; play 1002; loop 1002"
                                                        << "Menu (list 1)";
    }
    void jumpDelayed()
    {
        QFETCH(bool, delayed);
        QFETCH(int, item);
        QFETCH(QString, script);
        QFETCH(QString, steps);
        QFETCH(QString, where);
        const auto disc = PsdFile()
                              .selection(at(1), {.lid = 1,
                                                 .selections = {at(2), at(3)},
                                                 .item = item,
                                                 .timeout = 4,
                                                 .loop = 2,
                                                 .jumpDelayed = delayed,
                                                 .defaultLink = at(2),
                                                 .timeoutLink = at(3),
                                                 .next = at(3),
                                                 .back = at(3)})
                              .play(at(2), {.lid = 2, .items = {2}})
                              .play(at(3), {.lid = 3, .items = {3}})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run(script), steps);
        QCOMPARE(rig.control.where(), where);
    }

    // A rejected list is never entered, whichever way it is reached.
    void rejectedLists_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("where");
        QTest::newRow("the start passes it by") << "start"
                                                << "play 1000 still"
                                                << "Menu (list 2)";
        QTest::newRow("by number") << "start 2"
                                   << "play 1000 still; nothing"
                                   << "Menu (list 2)";
        QTest::newRow("others by number") << "start 1"
                                          << "play 1000 still; play 2"
                                          << "List 3, item 1 of 1";
        QTest::newRow("by default") << "start enter"
                                    << "play 1000 still; nothing"
                                    << "Menu (list 2)";
        QTest::newRow("by next, previous, return") << "start next prev return"
                                                   << "play 1000 still; nothing; nothing; nothing"
                                                   << "Menu (list 2)";
        QTest::newRow("after a play list: stop") << "start 1 end"
                                                 << "play 1000 still; play 2; stop"
                                                 << "Stopped";
    }
    void rejectedLists()
    {
        QFETCH(QString, script);
        QFETCH(QString, steps);
        QFETCH(QString, where);
        const auto disc = PsdFile()
                              .play(at(1), {.lid = 1 | Rejected, .items = {4}})
                              .selection(at(2), {.lid = 2,
                                                 .selections = {at(3), at(1)},
                                                 .item = 1000,
                                                 .defaultLink = at(1),
                                                 .prev = at(1),
                                                 .next = at(1),
                                                 .back = at(1)})
                              .play(at(3), {.lid = 3, .items = {2}, .next = at(1)})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run(script), steps);
        QCOMPARE(rig.control.where(), where);
    }

    // Lists that neither play nor wait end quietly after a bound, whatever the circle; a chain
    // just within the bound still arrives.
    void leadNowhere_data()
    {
        QTest::addColumn<int>("chain"); // empty lists in a row before list 30
        QTest::addColumn<bool>("circle");
        QTest::addColumn<QString>("steps");
        QTest::newRow("an empty list linking to itself") << 1 << true << "stop";
        QTest::newRow("two empty lists in a circle") << 2 << true << "stop";
        QTest::newRow("sixteen in a circle") << 16 << true << "stop";
        QTest::newRow("fifteen in a row, then items") << 15 << false << "play 2";
        QTest::newRow("sixteen in a row, then items") << 16 << false << "stop";
    }
    void leadNowhere()
    {
        QFETCH(int, chain);
        QFETCH(bool, circle);
        QFETCH(QString, steps);
        PsdFile file;
        for (int n = 1; n <= chain; ++n)
            file.play(at(n), {.lid = n,
                              .items = {0, 99, 1004, 5000},
                              .next = n < chain ? at(n + 1)
                                      : circle  ? at(1)
                                                : at(30)});
        file.play(at(30), {.lid = 30, .items = {2}});
        Rig rig(file.parse(), smallDisc());
        QCOMPARE(rig.run("start"), steps);
        QCOMPARE(rig.control.stage(), steps == "stop" ? PlaybackControl::Stage::LeadNowhere
                                                      : PlaybackControl::Stage::Playing);
        QCOMPARE(rig.timer.pending(), "");
        if (steps == "stop")
            QCOMPARE(rig.control.where(), "The disc's lists lead nowhere");
    }

    // A menu without a background and a timeout of 0 leading to itself plays nothing and
    // waits on nothing: the same bound ends it, from the start and from a later choice.
    void menuLeadingNowhere()
    {
        const auto disc =
            PsdFile()
                .play(at(1), {.lid = 1, .items = {2}, .next = at(2)})
                .selection(at(2), {.lid = 2, .item = 0, .timeout = 0, .timeoutLink = at(2)})
                .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start end"), "play 2; stop");
        QCOMPARE(rig.control.where(), "The disc's lists lead nowhere");
        QCOMPARE(rig.run("end enter 1 fire"), "nothing; nothing; nothing; nothing");
    }

    void numbers_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("list"); // the list chosen, 0 for none
        QTest::newRow("no selections") << 1 << 0 << 1 << 0;
        QTest::newRow("no selections, number 0") << 0 << 0 << 0 << 0;
        QTest::newRow("base 5: 4") << 5 << 3 << 4 << 0;
        QTest::newRow("base 5: 5") << 5 << 3 << 5 << 10;
        QTest::newRow("base 5: 7") << 5 << 3 << 7 << 12;
        QTest::newRow("base 5: 8") << 5 << 3 << 8 << 0;
        QTest::newRow("base 0: 0") << 0 << 2 << 0 << 10;
        QTest::newRow("base 255: 255") << 255 << 1 << 255 << 10;
        QTest::newRow("base 255: 256") << 255 << 1 << 256 << 0;
        QTest::newRow("99 selections: 99") << 1 << 99 << 99 << 108;
    }
    void numbers()
    {
        QFETCH(int, base);
        QFETCH(int, count);
        QFETCH(int, number);
        QFETCH(int, list);
        PsdFile file;
        QList<int> selections;
        for (int i = 0; i < count; ++i)
            selections << at(10 + i);
        // The selections need room: the menu lies past all the lists it names.
        for (int i = 0; i < count; ++i)
            file.play(at(10 + i), {.lid = 10 + i, .items = {2 + i % 3}});
        file.selection(at(200), {.lid = 1, .base = base, .selections = selections, .item = 1000});
        Rig rig(file.parse(), smallDisc());
        QCOMPARE(rig.run("start"), "play 1000 still");
        const QString step = rig.run(QString::number(number));
        QCOMPARE(step, list ? QStringLiteral("play %1").arg(2 + (list - 10) % 3) : "nothing");
        QCOMPARE(rig.control.listId(), list ? list : 1);
    }

    // Each item the disc may lack, alone in a list: played, or passed over to the end.
    void itemsNamingNothing_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("steps");
        QTest::newRow("0") << 0 << "stop";
        QTest::newRow("1") << 1 << "stop";
        QTest::newRow("the first track") << 2 << "play 2";
        QTest::newRow("the last track") << 4 << "play 4";
        QTest::newRow("a track past the last") << 5 << "stop";
        QTest::newRow("track 99") << 99 << "stop";
        QTest::newRow("the first entry") << 100 << "play 100";
        QTest::newRow("the last entry") << 104 << "play 104";
        QTest::newRow("an entry past the last") << 105 << "stop";
        QTest::newRow("entry 500") << 599 << "stop";
        QTest::newRow("reserved 600") << 600 << "stop";
        QTest::newRow("reserved 999") << 999 << "stop";
        QTest::newRow("a still segment") << 1000 << "play 1000 still";
        QTest::newRow("a sound segment") << 1003 << "play 1003";
        QTest::newRow("a segment of nothing") << 1004 << "stop";
        QTest::newRow("a segment past the last") << 1005 << "stop";
        QTest::newRow("segment 1980") << 2979 << "stop";
        QTest::newRow("reserved 2980") << 2980 << "stop";
        QTest::newRow("reserved 65535") << 65535 << "stop";
    }
    void itemsNamingNothing()
    {
        QFETCH(int, item);
        QFETCH(QString, steps);
        const auto disc = PsdFile().play(at(1), {.lid = 1, .items = {item}}).parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start"), steps);
    }

    void discWithoutItems()
    {
        const auto disc = PsdFile()
                              .selection(at(1), {.lid = 1,
                                                 .selections = {at(2)},
                                                 .item = 1000,
                                                 .timeout = 0,
                                                 .timeoutLink = at(2)})
                              .play(at(2), {.lid = 2, .items = {2, 100, 1000}})
                              .parse();
        Rig rig(disc, DiscItems{});
        QCOMPARE(rig.run("start"), "stop");
        QCOMPARE(rig.control.where(), "Stopped");
    }

    // The multi-default marks name no list, so Enter changes nothing; the second also turns
    // the numbers off.
    void multiDefault_data()
    {
        QTest::addColumn<int>("defaultLink");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("steps");
        QTest::newRow("a default") << at(2) << "start enter return 1"
                                   << "play 1000 still; play 2; play 1000 still; play 3";
        QTest::newRow("multi-default") << int(VideoCdControl::MultiDefault) << "start enter 1"
                                       << "play 1000 still; nothing; play 3";
        QTest::newRow("multi-default, no numbers")
            << int(VideoCdControl::MultiDefaultNoNumber) << "start enter 1 next"
            << "play 1000 still; nothing; nothing; play 2";
    }
    void multiDefault()
    {
        QFETCH(int, defaultLink);
        QFETCH(QString, script);
        QFETCH(QString, steps);
        const auto disc = PsdFile()
                              .selection(at(1), {.lid = 1,
                                                 .selections = {at(3)},
                                                 .item = 1000,
                                                 .defaultLink = defaultLink,
                                                 .next = at(2)})
                              .play(at(2), {.lid = 2, .items = {2}, .back = at(1)})
                              .play(at(3), {.lid = 3, .items = {3}})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run(script), steps);
    }

    void endLists_data()
    {
        QTest::addColumn<int>("picture");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("where");
        QTest::newRow("a picture held for ever")
            << 1001 << "play 2; play 1001 still; hold ever; nothing"
            << "End of the disc";
        QTest::newRow("no picture") << 0 << "play 2; stop; nothing; nothing"
                                    << "End of the disc";
        QTest::newRow("a picture the disc lacks") << 1010 << "play 2; stop; nothing; nothing"
                                                  << "End of the disc";
    }
    void endLists()
    {
        QFETCH(int, picture);
        QFETCH(QString, steps);
        QFETCH(QString, where);
        const auto disc = PsdFile()
                              .play(at(1), {.lid = 1, .items = {2}, .next = at(2)})
                              .end(at(2), {.lid = 2, .picture = picture})
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start end end next"), steps);
        QCOMPARE(rig.control.where(), where);
        QCOMPARE(rig.timer.pending(), "");
    }

    void commandListsStop()
    {
        const auto disc = PsdFile()
                              .play(at(1), {.lid = 1, .items = {2}, .next = at(2), .back = at(2)})
                              .command(at(2), 2)
                              .parse();
        Rig rig(disc, smallDisc());
        QCOMPARE(rig.run("start return next end"), "play 2; stop; nothing; nothing");
        QCOMPARE(rig.control.where(), "Stopped");
    }

    // Without a LOT entry 1 the first list read starts; with no lists at all, nothing plays.
    void startingList()
    {
        const auto disc = PsdFile()
                              .play(at(1), {.lid = 5, .items = {3}})
                              .play(at(2), {.lid = 1, .items = {2}})
                              .parse();
        Rig first(disc, smallDisc());
        QCOMPARE(first.run("start"), "play 2");
        QCOMPARE(first.control.listId(), 1);

        const auto noFirst = PsdFile().play(at(1), {.lid = 5, .items = {3}}).parse();
        Rig other(noFirst, smallDisc());
        QCOMPARE(other.run("start"), "play 3");
        QCOMPARE(other.control.listId(), 5);

        Rig none(VideoCdControl::Psd{}, smallDisc());
        QCOMPARE(none.run("start end 1 enter next fire"),
                 "stop; nothing; nothing; nothing; nothing; nothing");
        QCOMPARE(none.control.where(), "Stopped");
        QCOMPARE(none.control.listId(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackControl)
#include "test_playback_control.moc"
