#include "bookmarks/bookmark.h"
#include "capture/capture_controls.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "playback/media_problems.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "playback/time_format.h"
#include "unprivileged.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {
// The fake player plays any of the files.
using Folder = FileFolder;

QStringList numbered(int count)
{
    return FileFolder::numbered("track", count, ".dat", 3);
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}
} // namespace

class TestPlaybackEngine : public QObject {
    Q_OBJECT
private slots:
    void oneEntryListLeavesJumpListEmpty();
    void jumpListMapsItemsToFollowingEntries();
    void emptyListTakesFailurePath();
    void fillFileComboKeepsCurrentEntry();
    void randomModePlayCommandDrawsEntry();
    void watchdogRepeatsUntilDisarmed();
    void watchdogIsWiredToTwoSeconds();
    void playingDisarmsWatchdog();
    void statusTextsFollowPlayState_data();
    void statusTextsFollowPlayState();
    void stopSequence();
    void stopWithoutListNamesNothing();
    void timeTexts_data();
    void timeTexts();
    void positionBarLimits();
    void sameRandomSequenceEveryRun();
    void problemsWithMedia_data();
    void problemsWithMedia();
    void missingFileIsSaidOnceAndNotRetried_data();
    void missingFileIsSaidOnceAndNotRetried();
    void noticeOutlastsThePlayersReport();
    void seekingByKeys_data();
    void seekingByKeys();
};

void TestPlaybackEngine::oneEntryListLeavesJumpListEmpty()
{
    Folder folder({"only.dat"});
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(0));
    engine.StartListPlayback();
    QCOMPARE(engine.status(), StatusText::Loading);
    rig.settle();
    QCOMPARE(engine.panel().Combo1->count(), 0);
    QCOMPARE(rig.player.FileName(), folder.file("only.dat"));
    QCOMPARE(rig.player.PlayState(), int(MediaPlayer::Playing));
    QCOMPARE(engine.status(), QString("Playing Only.dat  ........"));
    QCOMPARE(rig.window().trackPanel().lblTrack_Display->text(), QString("01 of 1"));
}

void TestPlaybackEngine::jumpListMapsItemsToFollowingEntries()
{
    Folder folder(numbered(4));
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(0));
    engine.StartListPlayback();
    QCOMPARE(comboItems(engine.panel().Combo1), numbered(4).mid(1));

    engine.panel().Combo1->setCurrentIndex(0);
    engine.Combo1_Click(0);
    QCOMPARE(engine.File1().ListIndex(), 1);
    QCOMPARE(rig.player.FileName(), folder.file("track002.dat"));

    QVERIFY(engine.selectJumpItem(2));
    QCOMPARE(rig.player.FileName(), folder.file("track004.dat"));
    rig.settle(); // the label follows the player's report
    QCOMPARE(rig.window().trackPanel().lblTrack_Display->text(), QString("04 of 4"));

    QVERIFY(engine.selectJumpItem(-1)); // no selection plays entry 0
    QCOMPARE(engine.File1().ListIndex(), 0);
    QCOMPARE(rig.player.FileName(), folder.file("track001.dat"));

    QVERIFY(!engine.selectJumpItem(3)); // there is no item for a fifth track
    QCOMPARE(rig.player.FileName(), folder.file("track001.dat"));
}

void TestPlaybackEngine::emptyListTakesFailurePath()
{
    Folder folder({"notes.txt"});
    FakeRig rig;
    Playerfrm& window = rig.window();
    PlaybackEngine& engine = window.engine();
    // Controls that a running list had enabled.
    window.captureControls().setEnabled(true);
    window.bookmark().setControls(true, true, std::nullopt);
    window.trackPanel().Songcmd[0]->setEnabled(true);
    engine.setStatus("before");

    QVERIFY(engine.File1().setPath(folder.path()));
    engine.StartListPlayback();
    QVERIFY(rig.player.openedFiles.isEmpty());
    QCOMPARE(engine.status(), QString("before"));
    QVERIFY(!engine.watchdogArmed());
    for (QWidget* w :
         {static_cast<QWidget*>(window.cmdCapture), static_cast<QWidget*>(window.cmdBookmark),
          static_cast<QWidget*>(window.trackPanel().Songcmd[0]),
          static_cast<QWidget*>(engine.panel().cmdPlay),
          static_cast<QWidget*>(engine.panel().cmdNexttrack)})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(!window.mnuaddbookmark->isEnabled());
    QVERIFY(!window.mnuvcdbookmark->isEnabled());
    QVERIFY(!window.mnucapturescreen->isEnabled());
}

void TestPlaybackEngine::fillFileComboKeepsCurrentEntry()
{
    Folder folder(numbered(5));
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(3));
    QVERIFY(engine.FillFileCombo());
    QCOMPARE(engine.File1().ListIndex(), 3);
    QCOMPARE(engine.panel().Combo1->currentText(), QString("track004.dat"));
    // The Play command starts the entry that was current, not entry 0.
    engine.panel().Combo1->clear();
    engine.StartListPlayback();
    QCOMPARE(rig.player.FileName(), folder.file("track004.dat"));
    QCOMPARE(engine.panel().Combo1->count(), 4);
}

void TestPlaybackEngine::randomModePlayCommandDrawsEntry()
{
    Folder folder(numbered(1));
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    engine.panel().optRnd->setChecked(true);
    engine.StartListPlayback(); // with one entry the draw is always entry 0
    QCOMPARE(engine.File1().ListIndex(), 0);
    QCOMPARE(rig.player.FileName(), folder.file("track001.dat"));
}

void TestPlaybackEngine::watchdogRepeatsUntilDisarmed()
{
    Folder folder({"broken.mpg"});
    FakeRig rig;
    rig.player.unplayable << folder.file("broken.mpg");
    Playerfrm& window = rig.window();
    PlaybackEngine& engine = window.engine();
    engine.File1().setSingleFile(folder.file("broken.mpg"));
    engine.StartListPlayback();
    QVERIFY(engine.watchdogArmed());
    QCOMPARE(engine.tmrWrong_Format.interval(), 2000);
    QCOMPARE(engine.status(), StatusText::Loading);

    for (int tick = 0; tick < 2; ++tick) {
        engine.setStatus("something else");
        engine.panel().lblTime->setText("0:3");
        engine.tmrWrong_Format_Timer();
        QCOMPARE(engine.status(), QString("The file format is not supported."));
        QVERIFY(engine.watchdogArmed()); // it keeps firing
        QVERIFY(!engine.Timersongna.isActive());
        QVERIFY(window.cmdOpencdrom->isEnabled());
        QVERIFY(!window.cmdCapture->isEnabled());
        QVERIFY(!engine.panel().cmdPause->isEnabled());
        QCOMPARE(rig.player.calls.count("Stop"), tick + 1);
    }
    engine.Timersongna_Timer(); // frozen only in the sense that the timer no longer runs
    engine.StopCommand();
    QVERIFY(!engine.watchdogArmed());
}

void TestPlaybackEngine::watchdogIsWiredToTwoSeconds()
{
    Folder folder({"broken.mpg"});
    FakeRig rig;
    rig.player.unplayable << folder.file("broken.mpg");
    PlaybackEngine& engine = rig.window().engine();
    engine.File1().setSingleFile(folder.file("broken.mpg"));
    engine.StartListPlayback();
    // Armed for two seconds and not fired yet: its timeout, not the failed load, says so.
    QVERIFY(engine.tmrWrong_Format.isActive());
    QCOMPARE(engine.tmrWrong_Format.interval(), 2000);
    QCoreApplication::processEvents();
    QCOMPARE(engine.status(), StatusText::Loading);
    QVERIFY(QMetaObject::invokeMethod(&engine.tmrWrong_Format, "timeout"));
    QCOMPARE(engine.status(), StatusText::Unsupported);
}

void TestPlaybackEngine::playingDisarmsWatchdog()
{
    Folder folder({"slow.mpg"});
    FakeRig rig;
    rig.player.unplayable << folder.file("slow.mpg");
    PlaybackEngine& engine = rig.window().engine();
    engine.File1().setSingleFile(folder.file("slow.mpg"));
    engine.StartListPlayback();
    QVERIFY(engine.watchdogArmed());
    rig.player.setStateByPlayer(MediaPlayer::Playing);
    QVERIFY(!engine.watchdogArmed());
    // Later track changes do not arm it again.
    engine.NextTrack();
    QVERIFY(!engine.watchdogArmed());
}

void TestPlaybackEngine::statusTextsFollowPlayState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("playing") << int(MediaPlayer::Playing) << "Playing My Song.mp3  ........";
    QTest::newRow("paused") << int(MediaPlayer::Paused) << "Paused ,hit spacebar to release";
    QTest::newRow("stopped") << int(MediaPlayer::Stopped) << "Stop";
}

void TestPlaybackEngine::statusTextsFollowPlayState()
{
    QFETCH(int, state);
    QFETCH(QString, text);
    Folder folder({"my song.mp3"});
    FakeRig rig;
    rig.player.autoStart = false;
    PlaybackEngine& engine = rig.window().engine();
    engine.File1().setSingleFile(folder.file("my song.mp3"));
    engine.StartListPlayback();
    engine.panel().HScroll1->setMaximum(100);
    engine.panel().HScroll1->setValue(40);
    rig.player.setStateByPlayer(state == MediaPlayer::Stopped ? MediaPlayer::Playing
                                                              : MediaPlayer::Stopped);
    rig.player.setStateByPlayer(MediaPlayer::State(state));
    QCOMPARE(engine.status(), text);
    QCOMPARE(engine.Filepathtxt(), folder.file("my song.mp3"));
    if (state == MediaPlayer::Stopped)
        QCOMPARE(engine.panel().HScroll1->value(), 0);
}

void TestPlaybackEngine::stopSequence()
{
    Folder folder(numbered(3));
    FakeRig rig;
    Playerfrm& window = rig.window();
    PlaybackEngine& engine = window.engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(1));
    engine.StartListPlayback();
    window.bookmark().setControls(true, std::nullopt, std::nullopt);
    rig.player.calls.clear();
    rig.mci.sent.clear();

    engine.StopCommand();
    QCOMPARE(rig.player.calls, (QStringList{"FileName=" + folder.file("track002.dat"), "Stop"}));
    QCOMPARE(rig.player.PlayState(), int(MediaPlayer::Stopped));
    QCOMPARE(rig.player.CurrentPosition(), 0.0);
    QCOMPARE(engine.status(), QString("Tamrel VCD Player"));
    QCOMPARE(rig.mci.sent.last(), QString("close all"));
    QVERIFY(window.cmdOpencdrom->isEnabled());
    QVERIFY(!window.cmdCapture->isEnabled());
    QVERIFY(!window.cmdBookmark->isEnabled());
    QVERIFY(!engine.watchdogArmed());
}

void TestPlaybackEngine::stopWithoutListNamesNothing()
{
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    engine.StopCommand();
    QCOMPARE(rig.player.calls, QStringList{"Stop"});
    QCOMPARE(engine.status(), StatusText::Idle);
}

void TestPlaybackEngine::timeTexts_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("half second") << 0.5 << "0:0";
    QTest::newRow("1.5 s rounds to even") << 1.5 << "0:2";
    QTest::newRow("67 s") << 67.0 << "1:7";
    QTest::newRow("3600 s") << 3600.0 << "60:0";
    QTest::newRow("75:59") << 4559.4 << "75:59";
    QTest::newRow("-1 s") << -1.0 << "0:0";
    QTest::newRow("-61 s keeps sign of minutes") << -61.0 << "-1:0";
    QTest::newRow("not a number") << std::nan("") << "0:0";
}

void TestPlaybackEngine::timeTexts()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(TimeFormat::elapsed(seconds), text);

    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    rig.player.setPositionByPlayer(seconds);
    rig.player.setShowControls(true);
    engine.Timersongna_Timer();
    QCOMPARE(engine.panel().lblTime->text(), text);
    QVERIFY(!rig.player.ShowControls()); // the bar shows only in full screen
}

void TestPlaybackEngine::positionBarLimits()
{
    QCOMPARE(TimeFormat::roundHalfEven(2.5), 2LL);
    QCOMPARE(TimeFormat::roundHalfEven(3.5), 4LL);
    QCOMPARE(TimeFormat::barSeconds(32767.4), std::optional<int>(32767));
    QCOMPARE(TimeFormat::barSeconds(32767.6), std::optional<int>());

    Folder folder({"long.mpg"});
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    rig.player.setDuration(300.5);
    engine.File1().setSingleFile(folder.file("long.mpg"));
    engine.StartListPlayback();
    engine.Timer4_Timer(); // nothing is open yet, so the length is 0
    QCOMPARE(engine.panel().HScroll1->maximum(), 0);
    rig.settle();
    rig.player.setPositionByPlayer(12.5);
    engine.Timer4_Timer();
    QCOMPARE(engine.panel().HScroll1->maximum(), 300);
    QCOMPARE(engine.panel().HScroll1->value(), 12);
    // A duration past the bar's range leaves the bar as it was.
    rig.player.setDuration(40000);
    rig.player.setPositionByPlayer(100);
    engine.Timer4_Timer();
    QCOMPARE(engine.panel().HScroll1->maximum(), 300);
    QCOMPARE(engine.panel().HScroll1->value(), 12);
}

void TestPlaybackEngine::sameRandomSequenceEveryRun()
{
    PlayOrder first;
    PlayOrder second;
    QList<int> a;
    QList<int> b;
    for (int i = 0; i < 50; ++i) {
        a << first.drawEntry(10);
        b << second.drawEntry(10);
    }
    QCOMPARE(a, b);
    QVERIFY(*std::max_element(a.begin(), a.end()) <= 9);
    QVERIFY(std::count(a.begin(), a.end(), a.front()) < 50); // it does vary
    QCOMPARE(first.drawEntry(0), 0);
}

void TestPlaybackEngine::problemsWithMedia_data()
{
    QTest::addColumn<QString>("name");     // in a folder every user may enter
    QTest::addColumn<QString>("expected"); // empty: nothing in the way of opening it
    QTest::newRow("readable file") << "song.mpg"
                                   << "";
    QTest::newRow("missing file") << "gone.mpg" << StatusText::fileNotFound("gone.mpg");
    QTest::newRow("folder") << "folder" << StatusText::fileUnreadable("folder");
    QTest::newRow("unreadable file") << "secret.mpg" << StatusText::fileUnreadable("secret.mpg");
    QTest::newRow("odd name") << "line\nbreak.mpg"
                              << "File not found: line break.mpg";
    QTest::newRow("disc path") << "SR0:\\Mpegav\\AVSEQ09.DAT"
                               << "";
    QTest::newRow("address") << "http://example.invalid/song.mpg"
                             << "";
}

// What keeps a medium from opening is known before it is handed to the player.
void TestPlaybackEngine::problemsWithMedia()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    Folder folder({"song.mpg", "secret.mpg"});
    QVERIFY(QDir(folder.path()).mkdir("folder"));
    QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther));
    QVERIFY(QFile::setPermissions(folder.file("secret.mpg"), QFile::WriteOwner));
    const bool local = !name.contains(":");
    const QString path = local ? folder.file(name) : name;
    // As a user the file system holds to its permissions (root reads everything).
    const int status = asUnprivileged([&] {
        const std::optional<QString> problem = MediaProblems::problemWith(path);
        return problem.value_or(QString()) == expected ? 0 : 1;
    });
    QCOMPARE(status, 0);
}

void TestPlaybackEngine::missingFileIsSaidOnceAndNotRetried_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Play command") << "play";
    QTest::newRow("track button") << "track";
    QTest::newRow("gone while opening") << "opening";
}

// A file that went away between the listing and the playing: the user reads why, nothing is
// reopened, and the watchdog does not take it for a file of the wrong format.
void TestPlaybackEngine::missingFileIsSaidOnceAndNotRetried()
{
    QFETCH(QString, how);
    Folder folder(numbered(3));
    FakeRig rig;
    rig.player.requireExistingFiles = true;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(0));
    QSignalSpy loadFailures(&rig.player, &MediaPlayer::loadFailed);
    if (how == "play") {
        QVERIFY(QFile::remove(folder.file("track001.dat")));
        engine.StartListPlayback();
    } else if (how == "track") {
        engine.StartListPlayback();
        rig.settle();
        QVERIFY(QFile::remove(folder.file("track003.dat")));
        rig.window().trackPanel().Songcmd[2]->click();
    } else {
        engine.StartListPlayback();
        QVERIFY(QFile::remove(folder.file("track001.dat")));
        QTRY_COMPARE(loadFailures.count(), 1);
    }
    rig.settle();
    const QString name = how == "track" ? "track003.dat" : "track001.dat";
    QCOMPARE(engine.status(), StatusText::fileNotFound(name));
    QVERIFY(!engine.watchdogArmed());
    const int opened = int(rig.player.openedFiles.size());
    QCOMPARE(opened, how == "play" ? 0 : how == "track" ? 1 : 1);
    QCOMPARE(rig.player.PlayState(),
             how == "track" ? int(MediaPlayer::Playing) : int(MediaPlayer::Stopped));
    // Every other track can still be chosen.
    QCOMPARE(rig.window().trackPanel().Songcmd[1]->isEnabled(), how == "track");
}

void TestPlaybackEngine::noticeOutlastsThePlayersReport()
{
    Folder folder(numbered(2));
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(0));
    engine.StartListPlayback();
    QSignalSpy statuses(&engine, &PlaybackEngine::statusChanged);
    engine.showNotice("File not found: other.mpg");
    rig.settle(); // the player reports playing while the notice is up
    QCOMPARE(engine.status(), QString("File not found: other.mpg"));
    QTRY_COMPARE_WITH_TIMEOUT(engine.status(), QString("Playing Track001.dat  ........"),
                              PlaybackEngine::NoticeMilliseconds + 5000);
    QCOMPARE(statuses.size(), 2);
    // A command's own text replaces a notice at once.
    engine.showNotice("File not found: other.mpg");
    engine.PrepareTrackChange();
    QCOMPARE(engine.status(), StatusText::Loading);
}

void TestPlaybackEngine::seekingByKeys_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("by");
    QTest::addColumn<double>("to"); // -1: no seek
    QTest::newRow("forward") << int(MediaPlayer::Playing) << 10.0 << 5.0 << 15.0;
    QTest::newRow("back") << int(MediaPlayer::Playing) << 10.0 << -5.0 << 5.0;
    QTest::newRow("far forward") << int(MediaPlayer::Playing) << 10.0 << 30.0 << 40.0;
    QTest::newRow("back past the start") << int(MediaPlayer::Playing) << 3.0 << -30.0 << 0.0;
    QTest::newRow("forward past the end") << int(MediaPlayer::Playing) << 55.0 << 30.0 << 60.0;
    QTest::newRow("paused") << int(MediaPlayer::Paused) << 10.0 << 5.0 << 15.0;
    QTest::newRow("stopped") << int(MediaPlayer::Stopped) << 0.0 << 5.0 << -1.0;
}

void TestPlaybackEngine::seekingByKeys()
{
    QFETCH(int, state);
    QFETCH(double, from);
    QFETCH(double, by);
    QFETCH(double, to);
    Folder folder(numbered(1));
    FakeRig rig;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.File1().setPath(folder.path()));
    QVERIFY(engine.File1().setListIndex(0));
    rig.player.setDuration(60);
    engine.StartListPlayback();
    rig.settle();
    rig.player.setStateByPlayer(MediaPlayer::State(state));
    rig.player.setPositionByPlayer(from);
    rig.player.calls.clear();
    engine.seekBy(by);
    if (to < 0) {
        QVERIFY(!rig.player.calls.join(' ').contains("position"));
        return;
    }
    QCOMPARE(rig.player.CurrentPosition(), to);
    QCOMPARE(engine.panel().HScroll1->value(), qRound(to)); // the bar follows at once
}

QTEST_MAIN(TestPlaybackEngine)
#include "test_playback_engine.moc"
