// The program on a drive with a real drive's timing (seeks, read speed, a scratch), with the
// real player, disc layer and main window, at real time: a scratched track plays through and
// the list goes on, a track change does not wait for a slow read, nor does the tray, and the
// event loop never stalls. Each bound is measured against the drive's own delays.

#include "reliability_rig.h"
#include "simulated_drive.h"
#include "test_media.h"
#include "videocd/track_panel.h"

#include <QPushButton>
#include <clocale>

namespace {

using Ms = SimulatedDrive::Milliseconds;

constexpr qint64 MaxStallMs = 100;
constexpr double TrackChangeAllowanceMs = 100;
const Ms ScratchRetries{2000};

SimulatedDrive::Timing driveAt24x()
{
    SimulatedDrive::Timing timing;
    timing.speed = 24;
    return timing;
}

// Disc chunks of the file reader that a range of a track's sectors touches.
int chunksTouched(const IsoEntry& track, std::uint32_t first, std::uint32_t count)
{
    constexpr std::uint32_t ChunkSectors = 32;
    return int((first + count - 1 - track.extent) / ChunkSectors -
               (first - track.extent) / ChunkSectors) +
           1;
}

// vcd-a on the drive, track 1 playing.
struct DriveRun {
    DriveRun() : drive(driveAt24x()), program(TestMedia::disc("vcd-a.cue"), drive.opener()) {}
    bool start()
    {
        program.window->Form_Load(QString());
        return program.waitForPlaying(trackFile(1));
    }
    // Waits until the drive is busy with a read that touches the scratch.
    bool slowReadUnderWay(int failedBefore = 0)
    {
        return QTest::qWaitFor(
            [&] {
                return drive.record().failedReads > failedBefore && drive.readsInProgress() > 0;
            },
            5000);
    }

    SimulatedDrive drive;
    RealProgram program;
};

enum class TrackCommand { Key, Button, NextTrack };

} // namespace

Q_DECLARE_METATYPE(TrackCommand)

class TestSlowDrive : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void scratchedTrackPlaysThrough_data();
    void scratchedTrackPlaysThrough();
    void trackChangeDuringSlowRead_data();
    void trackChangeDuringSlowRead();
    void trayDuringSlowRead();
};

void TestSlowDrive::scratchedTrackPlaysThrough_data()
{
    QTest::addColumn<double>("failAfterMs");
    QTest::newRow("fails at once") << 0.0;
    QTest::newRow("fails after retrying") << ScratchRetries.count();
}

// Track 2 has a scratch in its middle: the picture freezes or skips there, the track plays to
// its end, track 3 follows, and only after it the list ends.
void TestSlowDrive::scratchedTrackPlaysThrough()
{
    QFETCH(double, failAfterMs);
    const IsoEntry track = trackOnDisc(TestMedia::disc("vcd-a.cue"), 2);
    const std::uint32_t sectors = track.size / DataSectorSize;
    const SimulatedDrive::Scratch scratch{track.extent + sectors / 2 - 20, 40, Ms(failAfterMs)};
    DriveRun run;
    QVERIFY(run.start());
    run.drive.setScratch(scratch);
    run.drive.resetRecord();
    RealProgram& program = run.program;
    double reachedOnTrack2 = 0;
    double lengthOfTrack2 = 0;
    QTimer positions;
    QObject::connect(&positions, &QTimer::timeout, [&] {
        if (!program.playingFile(trackFile(2)))
            return;
        reachedOnTrack2 = std::max(reachedOnTrack2, program.player.CurrentPosition());
        lengthOfTrack2 = program.player.Duration();
    });
    positions.start(50);
    int ends = 0;
    QObject::connect(&program.player, &MediaPlayer::EndOfStream, [&] { ++ends; });
    program.statuses.clear();
    StallWatch stalls;

    QTest::keyClick(program.window.get(), '2');
    QVERIFY(program.waitForPlaying(trackFile(2)));
    QVERIFY(QTest::qWaitFor([&] { return program.playingFile(trackFile(3)); }, 20000));
    // Track 3 has nothing to show here: on to its end.
    program.player.setCurrentPosition(program.player.Duration() - 0.5);
    QVERIFY(QTest::qWaitFor([&] { return program.player.DisplaySize() == MediaPlayer::DoubleSize; },
                            10000));

    const SimulatedDrive::Record record = run.drive.record();
    qInfo("scratch of %u sectors failing after %.0f ms: %d failed reads, track 2 reached %.2f s "
          "of %.2f s, longest stall %lld ms",
          scratch.count, failAfterMs, record.failedReads, reachedOnTrack2, lengthOfTrack2,
          stalls.longestGapMs());
    QCOMPARE(program.statuses.filter("Playing"),
             (QStringList{StatusText::playing(trackFile(2)), StatusText::playing(trackFile(3))}));
    QCOMPARE(program.status(), StatusText::Idle);
    QCOMPARE(ends, 2);
    QVERIFY(reachedOnTrack2 > 2.0); // of 3 s: past the scratch at 1.5 s
    // Each unreadable chunk is asked for once, however often the player reads there.
    QVERIFY(record.failedReads >= 1);
    QVERIFY(record.failedReads <= chunksTouched(track, scratch.first, scratch.count));
    QVERIFY2(stalls.longestGapMs() <= MaxStallMs, qPrintable(stalls.describe()));
}

void TestSlowDrive::trackChangeDuringSlowRead_data()
{
    QTest::addColumn<TrackCommand>("command");
    QTest::addColumn<int>("track");
    QTest::newRow("track key") << TrackCommand::Key << 3;
    QTest::newRow("track button") << TrackCommand::Button << 3;
    QTest::newRow("Next Track") << TrackCommand::NextTrack << 2;
}

// The drive spends seconds on a scratch in track 1 when the user picks another track: the new
// track plays as soon as the drive has found and read it, while the old read still runs.
void TestSlowDrive::trackChangeDuringSlowRead()
{
    QFETCH(TrackCommand, command);
    QFETCH(int, track);
    const IsoEntry first = trackOnDisc(TestMedia::disc("vcd-a.cue"), 1);
    DriveRun run;
    QVERIFY(run.start());
    RealProgram& program = run.program;
    QVERIFY(QTest::qWaitFor([&] { return program.player.CurrentPosition() > 0.3; }, 5000));
    run.drive.setScratch(
        SimulatedDrive::Scratch{first.extent, first.size / DataSectorSize, ScratchRetries});
    QVERIFY(run.slowReadUnderWay());

    QElapsedTimer clock;
    std::optional<qint64> playingAfter;
    SimulatedDrive::Record drive;
    bool oldReadStillRuns = false;
    QObject::connect(&program.player, &MediaPlayer::PlayStateChange, [&] {
        if (!playingAfter && program.playingFile(trackFile(track))) {
            playingAfter = clock.elapsed();
            drive = run.drive.record();
            oldReadStillRuns = run.drive.readsInProgress() > 0;
        }
    });
    StallWatch stalls;
    run.drive.resetRecord();
    clock.start();
    switch (command) {
    case TrackCommand::Key:
        QTest::keyClick(program.window.get(), char('0' + track));
        break;
    case TrackCommand::Button:
        program.window->trackPanel().Songcmd[track - 1]->click();
        break;
    case TrackCommand::NextTrack:
        program.engine().panel().cmdNexttrack->click();
        break;
    }
    QVERIFY(QTest::qWaitFor([&] { return playingAfter.has_value(); }, 8000));

    const double driveMs = (drive.seekTime + drive.spinUpTime + drive.transferTime).count();
    qInfo("track change: playing after %lld ms; the drive sought %d times (%.0f ms) and read "
          "for %.0f ms: bound %.0f ms; the old read was still running: %s; longest stall %lld ms",
          *playingAfter, drive.seeks, drive.seekTime.count(), drive.transferTime.count(),
          driveMs + TrackChangeAllowanceMs, oldReadStillRuns ? "yes" : "no", stalls.longestGapMs());
    QVERIFY(*playingAfter <= driveMs + TrackChangeAllowanceMs);
    QVERIFY(oldReadStillRuns);
    QCOMPARE(program.status(), StatusText::playing(trackFile(track)));
    QVERIFY2(stalls.longestGapMs() <= MaxStallMs, qPrintable(stalls.describe()));
}

// After Stop the player holds track 1 at its start and reads it again; the drive is stuck on a
// scratch there when the user ejects the disc.
void TestSlowDrive::trayDuringSlowRead()
{
    const IsoEntry first = trackOnDisc(TestMedia::disc("vcd-a.cue"), 1);
    DriveRun run;
    QVERIFY(run.start());
    RealProgram& program = run.program;
    run.drive.setScratch(SimulatedDrive::Scratch{first.extent, 32, ScratchRetries});
    const int failedBefore = run.drive.record().failedReads;
    program.engine().panel().cmdStop->click();
    QVERIFY(run.slowReadUnderWay(failedBefore));
    QPushButton* tray = program.window->cmdOpencdrom;
    QVERIFY(tray->isEnabled());

    StallWatch stalls;
    tray->click();
    QVERIFY(run.drive.readsInProgress() > 0); // back before the drive gave up on the read
    QCOMPARE(tray->text(), QString("C"));
    // Until the drive has given up on the scratch, and a span after it watched for stalls.
    QVERIFY(QTest::qWaitFor([&] { return run.drive.readsInProgress() == 0; }, 30000));
    QTest::qWait(500);
    qInfo("tray opened during a %.0f ms read: longest stall %lld ms", ScratchRetries.count(),
          stalls.longestGapMs());
    QVERIFY2(stalls.longestGapMs() <= MaxStallMs, qPrintable(stalls.describe()));
    QVERIFY(!program.playing());
    QVERIFY(program.statusIsTruthful());

    // The disc goes back in and plays, the scratch no more in the way.
    run.drive.setScratch(std::nullopt);
    tray->click();
    QVERIFY(program.waitForPlaying(trackFile(1)));
}

QTEST_MAIN(TestSlowDrive)
#include "test_slow_drive.moc"
