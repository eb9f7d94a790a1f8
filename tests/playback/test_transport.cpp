#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Five playable files a.mpg .. e.mpg, the list started at `first` in the given mode.
struct Rig {
    explicit Rig(PlayOrder::Mode mode = PlayOrder::Order, int first = 0, int files = 5)
    {
        for (int i = 0; i < files; ++i)
            QFile(dir.filePath(QString(QChar('a' + i)) + ".mpg")).open(QIODevice::WriteOnly);
        engine().File1().setPattern("*.mpg");
        engine().File1().setPath(dir.path());
        engine().File1().setListIndex(first);
        engine().StartListPlayback();
        choose(mode);
        fake.player.openedFiles.clear();
    }
    void choose(PlayOrder::Mode mode)
    {
        QRadioButton* option = mode == PlayOrder::Order    ? engine().chkOrd
                               : mode == PlayOrder::Random ? engine().optRnd
                                                           : engine().optNone;
        option->click();
    }
    PlaybackEngine& engine() { return fake.window().engine(); }
    QString file(int entry) const { return dir.filePath(QString(QChar('a' + entry)) + ".mpg"); }
    int current() { return engine().File1().ListIndex(); }
    QTemporaryDir dir;
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
    QCOMPARE(rig.fake.player.openedFiles.size(), 1);
    if (expected >= 0)
        QCOMPARE(rig.current(), expected);
    QCOMPARE(rig.fake.player.FileName(), rig.file(rig.current()));
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QVERIFY(rig.engine().cmdNexttrack->isEnabled());
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
    rig.engine().cmdNexttrack->click();
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
    QVERIFY(window.cmdCapture->isEnabled());
    rig.fake.player.calls.clear();
    rig.fake.player.finishMedium();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    QVERIFY(rig.fake.player.calls.contains("Stop"));
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::DoubleSize));
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QVERIFY(rig.engine().cmdPlay->isEnabled());
    QVERIFY(!rig.engine().cmdNexttrack->isEnabled());
    QVERIFY(!rig.engine().cmdPause->isEnabled());
    QVERIFY(!rig.engine().mnuplay->isEnabled());
    QVERIFY(!window.trackPanel().Songcmd[0]->isEnabled());
    QVERIFY(!window.cmdCapture->isEnabled());
    QVERIFY(!window.mnucapturescreen->isEnabled());
    // Play starts the list again.
    rig.engine().cmdPlay->click();
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
    QVERIFY(repeat.engine().cmdPlay->isEnabled());
}

void TestTransport::barMaximumAboveRangeEndsList()
{
    Rig rig(PlayOrder::Repeat, 0);
    rig.fake.player.setDuration(40000);
    rig.fake.player.finishMedium();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    QCOMPARE(rig.fake.player.DisplaySize(), int(MediaPlayer::DoubleSize));
}

void TestTransport::choosingOrderRestartsAtFirstEntry()
{
    Rig rig(PlayOrder::Random, 0);
    rig.engine().File1().setListIndex(3);
    rig.engine().cmdPlay->setEnabled(false);
    rig.engine().chkOrd->click();
    QCOMPARE(rig.current(), 0);
    QCOMPARE(rig.fake.player.openedFiles, QStringList{rig.file(0)});
    QVERIFY(rig.engine().cmdPlay->isEnabled());
    QVERIFY(!rig.engine().optRnd->isChecked());

    // With nothing in the list there is no medium to hand over.
    FakeRig empty;
    empty.window().engine().optNone->click();
    empty.window().engine().chkOrd->click();
    QVERIFY(empty.player.openedFiles.isEmpty());
}

void TestTransport::choosingRandomOrRepeatDoesNotInterrupt()
{
    Rig rig(PlayOrder::Order, 2);
    rig.engine().File1().setListIndex(2);
    rig.engine().cmdPlay->setEnabled(false);
    rig.engine().optRnd->click();
    QVERIFY(rig.fake.player.openedFiles.isEmpty());
    QVERIFY(rig.engine().cmdPlay->isEnabled());
    QCOMPARE(rig.current(), 2);
    rig.engine().optNone->click();
    QVERIFY(rig.fake.player.openedFiles.isEmpty());
    QCOMPARE(rig.engine().mode(), PlayOrder::Repeat);
}

void TestTransport::modesAreExclusive()
{
    FakeRig rig;
    PlaybackEngine& e = rig.window().engine();
    QVERIFY(e.chkOrd->isChecked());
    QCOMPARE(e.chkOrd->text(), QString("Order"));
    QCOMPARE(e.optRnd->text(), QString("Random"));
    QCOMPARE(e.optNone->text(), QString("&Repeat"));
    e.optNone->click();
    QVERIFY(!e.chkOrd->isChecked() && !e.optRnd->isChecked());
    e.optRnd->click();
    QVERIFY(!e.optNone->isChecked());
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
    rig.engine().cmdPause->click();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Paused));
    QCOMPARE(rig.engine().status(), StatusText::Paused);
    QCOMPARE(rig.fake.player.calls.last(), QString("SetFocus"));
}

void TestTransport::menuActionsRunTheCommands()
{
    Rig rig(PlayOrder::Order, 0);
    QCOMPARE(rig.engine().mnuplay->text(), QString("Play"));
    QCOMPARE(rig.engine().mnunexttrack->text(), QString("Next Track"));
    rig.engine().mnunexttrack->trigger();
    QCOMPARE(rig.current(), 1);
    rig.engine().mnupause->trigger();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Paused));
    rig.engine().mnustop->trigger();
    QCOMPARE(rig.engine().status(), StatusText::Idle);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Stopped));
    rig.engine().mnuplay->trigger();
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
}

void TestTransport::dragSeeksButArrowsDoNot()
{
    Rig rig(PlayOrder::Order, 0);
    rig.fake.player.setDuration(100);
    rig.engine().Timer4_Timer();
    QCOMPARE(rig.engine().HScroll1->maximum(), 100);
    rig.fake.player.calls.clear();
    rig.engine().HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    rig.engine().HScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QVERIFY(!rig.fake.player.calls.join(' ').contains("CurrentPosition="));
    rig.engine().Timer4_Timer(); // the bar goes back to the player's position
    QCOMPARE(rig.engine().HScroll1->value(), 0);

    rig.engine().HScroll1->setSliderDown(true);
    rig.engine().HScroll1->setSliderPosition(37);
    QVERIFY(rig.fake.player.calls.contains("CurrentPosition=37"));
    QCOMPARE(rig.fake.player.CurrentPosition(), 37.0);
    rig.engine().HScroll1->setSliderDown(false);
}

void TestTransport::rapidNextClicks()
{
    Rig rig(PlayOrder::Order, 0, 3);
    for (int i = 0; i < 100; ++i)
        rig.engine().NextTrack();
    QCOMPARE(rig.current(), 2);
    QCOMPARE(rig.fake.player.PlayState(), int(MediaPlayer::Playing));
    QVERIFY(rig.engine().cmdNexttrack->isEnabled());
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
