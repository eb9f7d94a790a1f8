// The player's load sequence fed with scripted requests and mpv events, without libmpv. A script
// step is one input ("open", "reply 1 7", "end 7 eof", ...); the test compares every action the
// sequence returned, in order, and where it ended up.

#include "platform/player/mpv_load_sequence.h"

#include <QtTest>
#include <cmath>

namespace {

using Sequence = MpvLoadSequence;

QString describe(const MpvLoadAction& action)
{
    switch (action.kind) {
    case MpvLoadAction::SetPause:
        return action.paused ? "pause=yes" : "pause=no";
    case MpvLoadAction::Loadfile:
        return QString("loadfile#%1").arg(action.serial);
    case MpvLoadAction::StopPlayback:
        return "stop";
    case MpvLoadAction::Seek:
        return QString("seek %1").arg(action.seconds);
    case MpvLoadAction::ClearPlaylist:
        return "playlist-clear";
    case MpvLoadAction::ReportFailureLater:
        return QString("fail later#%1 %2").arg(action.serial).arg(action.error);
    case MpvLoadAction::ReportState:
        return QString("state %1>%2").arg(action.oldState).arg(action.newState);
    case MpvLoadAction::ReportEndOfStream:
        return "eos";
    case MpvLoadAction::ReportLoadFailed:
        return QString("failed %1").arg(action.error);
    case MpvLoadAction::ReportFirstFrame:
        return "frame shown";
    case MpvLoadAction::AskDuration:
        return QString("duration?#%1").arg(action.serial);
    }
    return "?";
}

QString describe(Sequence::Phase phase)
{
    static const char* const names[] = {"Idle",
                                        "WaitingForRenderContext",
                                        "AwaitingLoadReply",
                                        "Opening",
                                        "Starting",
                                        "Ready",
                                        "Ended",
                                        "Failed"};
    return names[int(phase)];
}

Sequence::FileEnd fileEnd(const QStringList& words)
{
    static const QHash<QString, Sequence::FileEnd::Reason> reasons = {
        {"eof", Sequence::FileEnd::Eof},
        {"stop", Sequence::FileEnd::Stop},
        {"quit", Sequence::FileEnd::Quit},
        {"error", Sequence::FileEnd::Error},
        {"redirect", Sequence::FileEnd::Redirect}};
    Sequence::FileEnd end;
    end.entry = words.value(1).toLongLong();
    end.reason = reasons.value(words.value(2));
    if (end.reason == Sequence::FileEnd::Error)
        end.error = words.value(3).toInt();
    if (end.reason == Sequence::FileEnd::Redirect) {
        end.insertedEntry = words.value(3).toLongLong();
        end.insertedCount = words.value(4).toInt();
    }
    return end;
}

// Feeds one step and returns the actions it produced.
Sequence::Actions feed(Sequence& sequence, const QString& step)
{
    const QStringList words = step.split(' ');
    const QString& input = words[0];
    const auto number = [&](int i) { return words.value(i).toDouble(); };
    if (input == "picture") {
        const QString how = words.value(1);
        return sequence.pictureChanged(how == "awaiting" ? Sequence::Picture::AwaitingRenderContext
                                       : how == "rendered" ? Sequence::Picture::Rendered
                                                           : Sequence::Picture::None);
    }
    if (input == "open") {
        const QString what = words.value(1);
        return sequence.open(what == "dir"    ? Sequence::Medium::Directory
                             : what == "none" ? Sequence::Medium::None
                                              : Sequence::Medium::File);
    }
    if (input == "play")
        return sequence.play();
    if (input == "pause")
        return sequence.pause();
    if (input == "stop")
        return sequence.stop();
    if (input == "seek")
        return sequence.seek(words.value(1) == "nan" ? std::nan("") : number(1));
    if (input == "due")
        return sequence.failureDue(words.value(1).toULongLong(), words.value(2).toInt());
    if (input == "reply") {
        // "reply SERIAL ENTRY", "reply SERIAL error CODE", "reply SERIAL none"
        const std::uint64_t serial = words.value(1).toULongLong();
        if (words.value(2) == "error")
            return sequence.loadReplied(serial, words.value(3).toInt(), -1);
        if (words.value(2) == "none")
            return sequence.loadReplied(serial, 0, -1);
        return sequence.loadReplied(serial, 0, words.value(2).toLongLong());
    }
    if (input == "start")
        return sequence.fileStarted(words.value(1).toLongLong());
    if (input == "loaded")
        return sequence.fileLoaded();
    if (input == "reconfig")
        sequence.videoReconfigured();
    else if (input == "restart")
        return sequence.playbackRestarted();
    else if (input == "end")
        return sequence.fileEnded(fileEnd(words));
    else if (input == "frame")
        return sequence.frameShown();
    else if (input == "seekfail")
        sequence.seekFailed();
    else if (input == "duration")
        sequence.durationChanged(number(1));
    else if (input == "position")
        sequence.positionChanged(number(1));
    else if (input == "asked") // "asked ENTRY SECONDS": the answer to a duration read
        sequence.durationOfEntry(words.value(1).toLongLong(), number(2));
    else
        qFatal("unknown script step %s", qPrintable(step));
    return {};
}

// Runs a whole script; returns every action in order. The duration reads, which every opened
// file makes, are left out unless `durationReads` asks for them alone.
QStringList run(Sequence& sequence, const QStringList& steps, bool durationReads = false)
{
    QStringList log;
    for (const QString& step : steps)
        for (const MpvLoadAction& action : feed(sequence, step))
            if ((action.kind == MpvLoadAction::AskDuration) == durationReads)
                log << describe(action);
    return log;
}

// mpv's answers to "open" (serial 1, entry 1) up to the first playback restart.
const QStringList kOpened = {"reply 1 1", "start 1", "loaded", "reconfig", "restart"};

} // namespace

class TestMpvLoadSequence : public QObject {
    Q_OBJECT
private slots:
    void sequence_data();
    void sequence();
    void positionAndDuration_data();
    void positionAndDuration();
    void durationReads_data();
    void durationReads();
};

void TestMpvLoadSequence::sequence_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("phase");
    QTest::addColumn<int>("state");

    QTest::newRow("open, play to the end")
        << QStringList{"open"} + kOpened + QStringList{"end 1 eof"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown", "state 2>0", "eos"}
        << "Ended" << 0;
    QTest::newRow("audio only: no first frame")
        << QStringList{"open", "reply 1 1", "start 1", "loaded", "restart"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2"} << "Ready" << 2;
    QTest::newRow("first frame once per file")
        << QStringList{"open"} + kOpened + QStringList{"seek 1", "restart", "frame"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown", "seek 1"} << "Ready"
        << 2;

    QTest::newRow("stop while opening, then play")
        << QStringList{"open", "stop"} + kOpened + QStringList{"play"}
        << QStringList{"pause=no",    "loadfile#1", "pause=yes",
                       "frame shown", "pause=no",   "state 0>2"}
        << "Ready" << 2;
    QTest::newRow("pause while opening")
        << QStringList{"open", "reply 1 1", "pause"} + kOpened.mid(1)
        << QStringList{"pause=no", "loadfile#1", "pause=yes", "state 0>1", "frame shown"} << "Ready"
        << 1;
    QTest::newRow("pause after stop while opening is ignored")
        << QStringList{"open", "stop", "pause"} + kOpened
        << QStringList{"pause=no", "loadfile#1", "pause=yes", "frame shown"} << "Ready" << 0;
    QTest::newRow("play while opening keeps it running")
        << QStringList{"open", "pause", "play"} + kOpened
        << QStringList{"pause=no", "loadfile#1", "pause=yes",
                       "pause=no", "state 0>2",  "frame shown"}
        << "Ready" << 2;

    QTest::newRow("pause and resume when ready")
        << QStringList{"open"} + kOpened + QStringList{"pause", "pause", "play", "play"}
        << QStringList{"pause=no",  "loadfile#1", "state 0>2", "frame shown",
                       "pause=yes", "state 2>1",  "pause=no",  "state 1>2"}
        << "Ready" << 2;
    QTest::newRow("stop when ready goes back to the start")
        << QStringList{"open"} + kOpened + QStringList{"stop", "restart", "play"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown", "pause=yes",
                       "seek 0",   "state 2>0",  "pause=no",  "state 0>2"}
        << "Ready" << 2;

    QTest::newRow("a replaced file's late events are ignored")
        << QStringList{"open",    "reply 1 1", "start 1",   "open",      "loaded",
                       "restart", "reply 1 1", "end 1 eof", "reply 2 2", "end 1 error -17",
                       "start 2", "loaded",    "restart"}
        << QStringList{"pause=no", "loadfile#1", "pause=no", "loadfile#2", "state 0>2"} << "Ready"
        << 2;
    QTest::newRow("the replaced file ends while the new reply is pending")
        << QStringList{"open"} + kOpened +
               QStringList{"open", "end 1 stop", "reply 2 2", "start 2", "loaded", "restart"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown",
                       "pause=no", "loadfile#2", "state 2>0", "state 0>2"}
        << "Ready" << 2;
    QTest::newRow("an end before the load reply is known")
        << QStringList{"open", "start 1", "end 1 error -13", "end 1 eof"}
        << QStringList{"pause=no", "loadfile#1"} << "AwaitingLoadReply" << 0;
    QTest::newRow("rapid loads: only the last counts")
        << QStringList{"open",    "open",       "open",    "reply 1 1",  "reply 2 2",
                       "start 1", "end 1 stop", "start 2", "end 2 stop", "reply 3 3",
                       "start 3", "loaded",     "restart", "end 3 eof"}
        << QStringList{"pause=no",   "loadfile#1", "pause=no",  "loadfile#2", "pause=no",
                       "loadfile#3", "state 0>2",  "state 2>0", "eos"}
        << "Ended" << 0;

    QTest::newRow("EOF, then Play restarts")
        << QStringList{"open"} + kOpened +
               QStringList{"end 1 eof", "play", "reply 2 2", "start 2", "loaded", "restart"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2",  "frame shown", "state 2>0",
                       "eos",      "pause=no",   "loadfile#2", "state 0>2"}
        << "Ready" << 2;
    QTest::newRow("EOF, then Stop holds it at the start")
        << QStringList{"open"} + kOpened +
               QStringList{"end 1 eof", "stop", "reply 2 2", "start 2", "loaded", "restart"}
        << QStringList{"pause=no",  "loadfile#1", "state 0>2", "frame shown",
                       "state 2>0", "eos",        "pause=yes", "loadfile#2"}
        << "Ready" << 0;

    QTest::newRow("error end") << QStringList{"open", "reply 1 1", "start 1", "end 1 error -17",
                                              "play"}
                               << QStringList{"pause=no", "loadfile#1", "failed -17", "pause=no",
                                              "loadfile#2"}
                               << "AwaitingLoadReply" << 0;
    QTest::newRow("error end while playing")
        << QStringList{"open"} + kOpened + QStringList{"end 1 error -17"}
        << QStringList{"pause=no",    "loadfile#1", "state 0>2",
                       "frame shown", "state 2>0",  "failed -17"}
        << "Failed" << 0;
    QTest::newRow("loadfile refused")
        << QStringList{"open", "reply 1 error -13"}
        << QStringList{"pause=no", "loadfile#1", "failed -13"} << "Failed" << 0;
    QTest::newRow("loadfile reply without an entry")
        << QStringList{"open", "reply 1 none"}
        << QStringList{"pause=no", "loadfile#1", "failed -20"} << "Failed" << 0;
    QTest::newRow("stopped by mpv")
        << QStringList{"open"} + kOpened + QStringList{"end 1 quit", "end 1 eof"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown", "state 2>0"} << "Idle"
        << 0;

    QTest::newRow("play list redirect: first of several entries")
        << QStringList{"open",    "reply 1 1", "start 1", "end 1 redirect 2 3",
                       "start 2", "loaded",    "restart", "end 2 eof"}
        << QStringList{"pause=no", "loadfile#1", "playlist-clear", "state 0>2", "state 2>0", "eos"}
        << "Ended" << 0;
    QTest::newRow("play list redirect: a single entry")
        << QStringList{"open",    "reply 1 1", "start 1", "end 1 redirect 2 1",
                       "start 2", "loaded",    "restart"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2"} << "Ready" << 2;
    QTest::newRow("play list redirect: empty list")
        << QStringList{"open",    "reply 1 1", "start 1", "end 1 redirect 0 0",
                       "start 2", "loaded",    "restart"}
        << QStringList{"pause=no", "loadfile#1"} << "Opening" << 0;

    QTest::newRow("render context arriving late")
        << QStringList{"picture awaiting", "open", "pause", "picture rendered"} + kOpened +
               QStringList{"frame", "frame"}
        << QStringList{"pause=yes", "pause=yes", "loadfile#1", "state 0>1", "frame shown"}
        << "Ready" << 1;
    QTest::newRow("rapid loads while waiting for the render context")
        << QStringList{"picture awaiting", "open", "open", "open", "picture rendered"}
        << QStringList{"pause=no", "loadfile#3"} << "AwaitingLoadReply" << 0;
    QTest::newRow("a frame before the video is configured")
        << QStringList{"picture rendered", "open",    "reply 1 1", "start 1", "loaded", "frame",
                       "reconfig",         "restart", "frame"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown"} << "Ready" << 2;

    QTest::newRow("directory") << QStringList{"open dir", "play", "due 1 -13", "due 2 -13"}
                               << QStringList{"stop", "fail later#1 -13", "stop",
                                              "fail later#2 -13", "failed -13"}
                               << "Failed" << 0;
    QTest::newRow("directory replaced before its failure is due")
        << QStringList{"open dir", "open", "due 1 -13"}
        << QStringList{"stop", "fail later#1 -13", "pause=no", "loadfile#2"} << "AwaitingLoadReply"
        << 0;
    QTest::newRow("no file name") << QStringList{"open none", "play", "pause", "stop"}
                                  << QStringList{"stop"} << "Idle" << 0;
    QTest::newRow("playing file replaced by no file name")
        << QStringList{"open"} + kOpened + QStringList{"open none", "end 1 stop"}
        << QStringList{"pause=no", "loadfile#1", "state 0>2", "frame shown", "stop", "state 2>0"}
        << "Idle" << 0;
    QTest::newRow("seeks only while open")
        << QStringList{"open",   "seek 5", "reply 1 1", "start 1",
                       "loaded", "seek 5", "seek -3",   "seek nan"}
        << QStringList{"pause=no", "loadfile#1", "seek 5", "seek 0"} << "Starting" << 0;
}

void TestMpvLoadSequence::sequence()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, actions);
    QFETCH(QString, phase);
    QFETCH(int, state);
    Sequence sequence;
    QCOMPARE(run(sequence, steps), actions);
    QCOMPARE(describe(sequence.phase()), phase);
    QCOMPARE(sequence.playState(), state);
}

void TestMpvLoadSequence::positionAndDuration_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("position");

    const QStringList playing =
        QStringList{"open"} + kOpened + QStringList{"duration 4", "position 1.5"};
    QTest::newRow("nothing open") << QStringList{} << 0.0 << 0.0;
    QTest::newRow("playing") << playing << 4.0 << 1.5;
    QTest::newRow("open, before its first restart")
        << QStringList{"open", "reply 1 1", "start 1", "loaded", "duration 4", "position 1.5"}
        << 4.0 << 0.0;
    QTest::newRow("a position before zero") << playing + QStringList{"position -0.2"} << 4.0 << 0.0;
    QTest::newRow("stopped: at the start")
        << playing + QStringList{"stop", "position 1.6"} << 4.0 << 0.0;
    QTest::newRow("stopped: at the start, not at the first frame")
        << playing + QStringList{"stop", "restart", "position 0.04"} << 4.0 << 0.0;
    QTest::newRow("seeking: the target until the restart")
        << playing + QStringList{"seek 3", "position 1.6"} << 4.0 << 3.0;
    QTest::newRow("seeking: mpv's position after the restart")
        << playing + QStringList{"seek 3", "restart", "position 3.1"} << 4.0 << 3.1;
    QTest::newRow("seek failed") << playing + QStringList{"seek 3", "seekfail"} << 4.0 << 1.5;
    QTest::newRow("seek after stop") << playing + QStringList{"stop", "seek 2"} << 4.0 << 2.0;
    QTest::newRow("ended: the duration stays")
        << playing + QStringList{"end 1 eof", "duration 0"} << 4.0 << 0.0;
    QTest::newRow("read while open, kept after the end")
        << QStringList{"open",        "reply 1 1", "start 1",  "loaded",
                       "asked 1 4.2", "restart",   "end 1 eof"}
        << 4.2 << 0.0;
    QTest::newRow("the answer for a replaced file is not taken")
        << playing + QStringList{"open", "reply 2 2", "start 2", "loaded", "asked 1 9"} << 0.0
        << 0.0;
    QTest::newRow("an answer after the end changes nothing")
        << playing + QStringList{"end 1 eof", "asked 1 9"} << 4.0 << 0.0;
    QTest::newRow("a new file forgets the old duration")
        << playing + QStringList{"end 1 eof", "open"} << 0.0 << 0.0;
    QTest::newRow("a new file starts at zero, its duration unknown")
        << playing + QStringList{"open", "reply 2 2", "start 2", "loaded", "restart"} << 0.0 << 0.0;
}

void TestMpvLoadSequence::positionAndDuration()
{
    QFETCH(QStringList, steps);
    QFETCH(double, duration);
    QFETCH(double, position);
    Sequence sequence;
    run(sequence, steps);
    QCOMPARE(sequence.duration(), duration);
    QCOMPARE(sequence.position(), position);
}

void TestMpvLoadSequence::durationReads_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("reads");
    QTest::newRow("once per opened file")
        << QStringList{"open"} + kOpened << QStringList{"duration?#1"};
    QTest::newRow("a replaced file's load asks nothing")
        << QStringList{"open",   "reply 1 1", "open",    "start 1",
                       "loaded", "reply 2 2", "start 2", "loaded"}
        << QStringList{"duration?#2"};
    QTest::newRow("a play list file: the entry it was replaced by")
        << QStringList{"open", "reply 1 1", "start 1", "end 1 redirect 2 1", "start 2", "loaded"}
        << QStringList{"duration?#2"};
    QTest::newRow("a file that never opens asks nothing")
        << QStringList{"open", "reply 1 1", "start 1", "end 1 error -13"} << QStringList{};
}

void TestMpvLoadSequence::durationReads()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, reads);
    Sequence sequence;
    QCOMPARE(run(sequence, steps, true), reads);
}

QTEST_GUILESS_MAIN(TestMpvLoadSequence)
#include "test_mpv_load_sequence.moc"
