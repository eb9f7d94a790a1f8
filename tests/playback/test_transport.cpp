#include "fake_platform.h"
#include "file_folder.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {
// Five playable files a.mpg .. e.mpg, the list started at `first` in the given mode.
struct Rig {
    explicit Rig(PlayOrder::Mode mode = PlayOrder::Order, int first = 0, int files = 5)
    {
        for (int i = 0; i < files; ++i)
            dir.add({QString(QChar('a' + i)) + ".mpg"});
        engine().File1().setPattern("*.mpg");
        engine().File1().setPath(dir.path());
        engine().File1().setListIndex(first);
        engine().StartListPlayback();
        fake.settle();
        choose(mode);
        fake.settle();
        fake.player.openedFiles.clear();
    }
    void choose(PlayOrder::Mode mode)
    {
        QRadioButton* option = mode == PlayOrder::Order    ? engine().panel().chkOrd
                               : mode == PlayOrder::Random ? engine().panel().optRnd
                                                           : engine().panel().optNone;
        option->click();
    }
    PlaybackEngine& engine() { return fake.window().engine(); }
    QString file(int entry) const { return dir.file(QString(QChar('a' + entry)) + ".mpg"); }
    int current() { return engine().File1().ListIndex(); }
    // Lets the player report the medium it was given.
    void settle() { fake.settle(); }
    FileFolder dir;
    FakeRig fake;
};
} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void endOfMediumByMode_data();
    void endOfMediumByMode();
    void nextTrackByMode_data();
    void nextTrackByMode();
    void endOfListStops();
    void chainingToDeletedFileStops();
    void barMaximumAboveRangeEndsList_data();
    void barMaximumAboveRangeEndsList();
    void choosingOrderRestartsAtFirstEntry();
    void choosingRandomOrRepeatDoesNotInterrupt();
    void modesAreExclusive();
    void randomDrawsRepeatWithinRun();
    void pauseCommand();
    void menuActionsRunTheCommands();
    void dragSeeksButArrowsDoNot();
    void rapidNextClicks();
    void mciErrorShownOnlyWhenAsked();
};

void TestTransport::endOfMediumByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected"); // -1: any entry
    QTest::newRow("order: following") << int(PlayOrder::Order) << 1 << 2;
    QTest::newRow("repeat: same") << int(PlayOrder::Repeat) << 3 << 3;
    QTest::newRow("repeat on last: same") << int(PlayOrder::Repeat) << 4 << 4;
    QTest::newRow("random: drawn") << int(PlayOrder::Random) << 4 << -1;
}

void TestTransport::endOfMediumByMode()
{
    QFETCH(int, mode);
    QFETCH(int, start);
    QFETCH(int, expected);
    Rig rig(PlayOrder::Mode(mode), start);
    rig.engine().File1().setListIndex(start);
    rig.fake.player.finishMedium();
    rig.settle();
    QCOMPARE(rig.fake.player.openedFiles.size(), 1);
    if (expected >= 0)
        QCOMPARE(rig.current(), expected);
    QCOMPARE(rig.fake.player.FileName(), rig.file(rig.current()));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QVERIFY(rig.engine().panel().cmdNexttrack->isEnabled());
}

void TestTransport::nextTrackByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::newRow("order: following") << int(PlayOrder::Order) << 0 << 1;
    QTest::newRow("order on last: last again") << int(PlayOrder::Order) << 4 << 4;
    QTest::newRow("repeat: same") << int(PlayOrder::Repeat) << 2 << 2;
    QTest::newRow("random: drawn") << int(PlayOrder::Random) << 2 << -1;
}

void TestTransport::nextTrackByMode()
{
    QFETCH(int, mode);
    QFETCH(int, start);
    QFETCH(int, expected);
    Rig rig(PlayOrder::Mode(mode), start);
    rig.engine().File1().setListIndex(start);
    rig.fake.player.setPositionByPlayer(42);
    rig.engine().panel().cmdNexttrack->click();
    rig.settle();
    if (expected >= 0)
        QCOMPARE(rig.current(), expected);
    QVERIFY(!rig.fake.player.openedFiles.isEmpty());
    QCOMPARE(rig.fake.player.openedFiles.last(), rig.file(rig.current()));
    QCOMPARE(rig.fake.player.CurrentPosition(), 0.0);                 // from its start
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing)); // Next never stops
}

void TestTransport::endOfListStops()
{
    Rig rig(PlayOrder::Order, 0);
    Playerfrm& window = rig.fake.window();
    rig.engine().File1().setListIndex(4);
    rig.engine().StartListPlayback();
    rig.settle();
    QVERIFY(window.cmdCapture->isEnabled());
    rig.fake.player.calls.clear();
    rig.fake.player.finishMedium();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    QVERIFY(rig.fake.player.calls.contains("Stop"));
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::DoubleSize));
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QVERIFY(rig.engine().panel().cmdPlay->isEnabled());
    QVERIFY(!rig.engine().panel().cmdNexttrack->isEnabled());
    QVERIFY(!rig.engine().panel().cmdPause->isEnabled());
    QVERIFY(!rig.engine().panel().mnuplay->isEnabled());
    QVERIFY(!window.trackPanel().Songcmd[0]->isEnabled());
    QVERIFY(!window.cmdCapture->isEnabled());
    QVERIFY(!window.mnucapturescreen->isEnabled());
    // Play starts the list again.
    rig.engine().panel().cmdPlay->click();
    rig.settle();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestTransport::chainingToDeletedFileStops()
{
    Rig rig(PlayOrder::Order, 1);
    rig.engine().File1().setListIndex(1);
    QVERIFY(QFile::remove(rig.file(2)));
    rig.fake.player.finishMedium();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::DoubleSize));
    QVERIFY(rig.fake.player.openedFiles.isEmpty());

    // Random and Repeat stop the same way when the next medium is gone.
    Rig repeat(PlayOrder::Repeat, 3);
    repeat.engine().File1().setListIndex(3);
    QVERIFY(QFile::remove(repeat.file(3)));
    repeat.fake.player.finishMedium();
    QCOMPARE(repeat.engine().status(), StatusText::Idle);
    QVERIFY(repeat.engine().panel().cmdPlay->isEnabled());
}

void TestTransport::barMaximumAboveRangeEndsList_data()
{
    QTest::addColumn<bool>("chaining"); // else the Play command
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("fits");
    QTest::newRow("chaining, 32767 s") << true << 32767.0 << true;
    QTest::newRow("chaining, 40000 s") << true << 40000.0 << false;
    QTest::newRow("Play, 32767 s") << false << 32767.0 << true;
    QTest::newRow("Play, 40000 s") << false << 40000.0 << false;
}

// The player knows a medium's length only once it has opened it: a medium too long for the
// position bar ends the list when chained to, and fails the Play command (its failure path
// turns capture off; the medium plays on and its playing state enables the track commands).
void TestTransport::barMaximumAboveRangeEndsList()
{
    QFETCH(bool, chaining);
    QFETCH(double, seconds);
    QFETCH(bool, fits);
    Rig rig(PlayOrder::Repeat, 0);
    rig.fake.player.setDuration(seconds);
    if (chaining)
        rig.fake.player.finishMedium();
    else
        rig.engine().panel().cmdPlay->click();
    QCOMPARE(rig.fake.player.Duration(), 0.0); // not open yet
    rig.settle();
    const bool stopped = chaining && !fits;
    QCOMPARE(rig.fake.player.PlayState(),
             int(stopped ? MediaPlayer::Stopped : MediaPlayer::Playing));
    QCOMPARE(rig.fake.player.DisplaySize(),
             int(stopped ? MediaPlayer::DoubleSize : MediaPlayer::FitToSize));
    QCOMPARE(rig.engine().panel().cmdNexttrack->isEnabled(), !stopped);
    QCOMPARE(rig.fake.window().cmdCapture->isEnabled(), fits);
    if (fits)
        QCOMPARE(rig.engine().panel().HScroll1->maximum(), 32767);
}

void TestTransport::choosingOrderRestartsAtFirstEntry()
{
    Rig rig(PlayOrder::Random, 0);
    rig.engine().File1().setListIndex(3);
    rig.engine().panel().setTransportEnabled(false);
    rig.engine().panel().chkOrd->click();
    QCOMPARE(rig.current(), 0);
    QCOMPARE(rig.fake.player.openedFiles, QStringList{rig.file(0)});
    QVERIFY(rig.engine().panel().cmdPlay->isEnabled());
    QVERIFY(!rig.engine().panel().optRnd->isChecked());

    // With nothing in the list there is no medium to hand over.
    FakeRig empty;
    empty.window().engine().panel().optNone->click();
    empty.window().engine().panel().chkOrd->click();
    QVERIFY(empty.player.openedFiles.isEmpty());
}

void TestTransport::choosingRandomOrRepeatDoesNotInterrupt()
{
    Rig rig(PlayOrder::Order, 2);
    rig.engine().File1().setListIndex(2);
    rig.engine().panel().setTransportEnabled(false);
    rig.engine().panel().optRnd->click();
    QVERIFY(rig.fake.player.openedFiles.isEmpty());
    QVERIFY(rig.engine().panel().cmdPlay->isEnabled());
    QCOMPARE(rig.current(), 2);
    rig.engine().panel().optNone->click();
    QVERIFY(rig.fake.player.openedFiles.isEmpty());
    QCOMPARE(rig.engine().mode(), PlayOrder::Repeat);
}

void TestTransport::modesAreExclusive()
{
    FakeRig rig;
    PlaybackEngine& e = rig.window().engine();
    QVERIFY(e.panel().chkOrd->isChecked());
    QCOMPARE(e.panel().chkOrd->text(), QString("Order"));
    QCOMPARE(e.panel().optRnd->text(), QString("Random"));
    QCOMPARE(e.panel().optNone->text(), QString("&Repeat"));
    e.panel().optNone->click();
    QVERIFY(!e.panel().chkOrd->isChecked() && !e.panel().optRnd->isChecked());
    e.panel().optRnd->click();
    QVERIFY(!e.panel().optNone->isChecked());
}

void TestTransport::randomDrawsRepeatWithinRun()
{
    // Over a long run every entry comes up, and the same one may come twice in a row.
    Rig rig(PlayOrder::Random, 0);
    QSet<int> seen;
    bool twiceInARow = false;
    int previous = -1;
    for (int i = 0; i < 200; ++i) {
        rig.fake.player.finishMedium();
        rig.settle();
        seen << rig.current();
        twiceInARow |= rig.current() == previous;
        previous = rig.current();
    }
    QCOMPARE(seen.size(), 5);
    QVERIFY(twiceInARow);
}

void TestTransport::pauseCommand()
{
    Rig rig(PlayOrder::Order, 0);
    rig.engine().panel().cmdPause->click();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Paused));
    QCOMPARE(rig.engine().status(), StatusText::Paused);
    QCOMPARE(rig.fake.player.calls.last(), QString("SetFocus"));
}

void TestTransport::menuActionsRunTheCommands()
{
    Rig rig(PlayOrder::Order, 0);
    QCOMPARE(rig.engine().panel().mnuplay->text(), QString("Play"));
    QCOMPARE(rig.engine().panel().mnunexttrack->text(), QString("Next Track"));
    rig.engine().panel().mnunexttrack->trigger();
    rig.settle();
    QCOMPARE(rig.current(), 1);
    rig.engine().panel().mnupause->trigger();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Paused));
    rig.engine().panel().mnustop->trigger();
    rig.settle();
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    rig.engine().panel().mnuplay->trigger();
    rig.settle();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestTransport::dragSeeksButArrowsDoNot()
{
    Rig rig(PlayOrder::Order, 0);
    rig.fake.player.setDuration(100);
    rig.engine().Timer4_Timer();
    QCOMPARE(rig.engine().panel().HScroll1->maximum(), 100);
    rig.fake.player.calls.clear();
    rig.engine().panel().HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    rig.engine().panel().HScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QVERIFY(!rig.fake.player.calls.join(' ').contains("CurrentPosition="));
    rig.engine().Timer4_Timer(); // the bar goes back to the player's position
    QCOMPARE(rig.engine().panel().HScroll1->value(), 0);

    rig.engine().panel().HScroll1->setSliderDown(true);
    rig.engine().panel().HScroll1->setSliderPosition(37);
    QVERIFY(rig.fake.player.calls.contains("CurrentPosition=37"));
    QCOMPARE(rig.fake.player.CurrentPosition(), 37.0);
    rig.engine().panel().HScroll1->setSliderDown(false);
}

void TestTransport::rapidNextClicks()
{
    Rig rig(PlayOrder::Order, 0, 3);
    int playingReports = 0;
    QObject::connect(&rig.fake.player, &MediaPlayer::PlayStateChange, [&](long, long state) {
        playingReports += state == MediaPlayer::Playing ? 1 : 0;
    });
    for (int i = 0; i < 100; ++i)
        rig.engine().NextTrack();
    rig.settle();
    QCOMPARE(playingReports, 1); // only the last medium opens
    QCOMPARE(rig.current(), 2);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QVERIFY(rig.engine().panel().cmdNexttrack->isEnabled());
    QCOMPARE(rig.engine().status(), StatusText::playing("c.mpg"));
}

void TestTransport::mciErrorShownOnlyWhenAsked()
{
    FakeRig rig;
    rig.mci.results["open cdaudio alias cd69 wait shareable"] = 275;
    PlaybackEngine& engine = rig.window().engine();
    QVERIFY(engine.SendMCIString("close all", true));
    QVERIFY(!engine.SendMCIString("open cdaudio alias cd69 wait shareable", false));
    QCOMPARE(engine.lastMciResult(), 275L);

    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = box->windowTitle() + "|" + box->text();
        box->accept();
    });
    QVERIFY(!engine.SendMCIString("open cdaudio alias cd69 wait shareable", true));
    QCOMPARE(shown, QString("Tamrel VCD Player|error 275"));
}

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
