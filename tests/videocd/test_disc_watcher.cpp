#include "fake_platform.h"
#include "playback/playback_engine.h"
#include "playback/status_text.h"
#include "videocd/disc_watcher.h"
#include "videocd/video_cd_loader.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString FirstTrack = QStringLiteral("SR0:\\Mpegav\\AVSEQ01.DAT");

// The window on fakes with two empty drives, started with "VCD Auto" as given: the watcher
// settles its drives at once, so that the tests need not wait a second for each.
struct WatchedRig {
    explicit WatchedRig(bool autoDetection = true)
    {
        rig.drives.add("sr0").add("sr1");
        if (!autoDetection)
            rig.settings.values["VCD Auto"] = "0";
        window = &rig.load();
        watcher = window->findChild<DiscWatcher*>("discWatcher");
        watcher->setSettleMilliseconds(20);
    }
    void putDiscIn()
    {
        rig.folderLister.discFolders["SR0:\\Mpegav"] = {"AVSEQ01.DAT", "AVSEQ02.DAT"};
    }
    void playDisc()
    {
        putDiscIn();
        window->videoCd().Command29();
        rig.settle();
    }
    int opened(const QString& path) const { return rig.player.openedFiles.count(path); }

    FakeRig rig;
    Playerfrm* window = nullptr;
    DiscWatcher* watcher = nullptr;
    QSignalSpy changes{&rig.discEvents, &DiscChangeEvents::mediaChanged};
};
} // namespace

class TestDiscWatcher : public QObject {
    Q_OBJECT
private slots:
    void insertion_data();
    void insertion();
    void removal_data();
    void removal();
    void discOutBeforeItSettledIsNotLookedFor();
};

void TestDiscWatcher::insertion_data()
{
    QTest::addColumn<bool>("autoDetection");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("events");
    QTest::addColumn<int>("detections");
    QTest::newRow("idle: detected") << true << false << "/dev/sr0" << 1 << 1;
    QTest::newRow("a burst: detected once") << true << false << "/dev/sr0" << 50 << 1;
    QTest::newRow("the second drive: detected") << true << false << "/dev/sr1" << 1 << 1;
    QTest::newRow("while a disc plays") << true << true << "/dev/sr1" << 1 << 0;
    QTest::newRow("a drive the player does not know") << true << false << "/dev/sr7" << 3 << 0;
    QTest::newRow("VCD Auto off") << false << false << "/dev/sr0" << 1 << 0;
}

void TestDiscWatcher::insertion()
{
    QFETCH(bool, autoDetection);
    QFETCH(bool, playing);
    QFETCH(QString, node);
    QFETCH(int, events);
    QFETCH(int, detections);
    WatchedRig r(autoDetection);
    QSignalSpy settled(r.watcher, &DiscWatcher::insertionSettled);
    if (playing) {
        r.playDisc();
        QCOMPARE(r.rig.player.PlayState(), MediaPlayer::Playing);
    } else {
        QCOMPARE(r.window->engine().status(),
                 autoDetection ? StatusText::NoMovies : StatusText::Idle);
        r.putDiscIn(); // detection finds the disc in the first drive whichever one reports it
    }
    const int before = r.opened(FirstTrack);

    for (int i = 0; i < events; ++i)
        r.rig.discEvents.insert(node);
    QVERIFY(QTest::qWaitFor([&] { return r.changes.count() == events; }, 5000));
    if (r.watcher->insertionPending())
        QVERIFY(settled.wait(5000));
    r.rig.settle();

    QCOMPARE(r.opened(FirstTrack) - before, detections);
    QVERIFY(settled.count() <= 1);
    if (detections)
        QCOMPARE(r.rig.player.PlayState(), MediaPlayer::Playing);
}

void TestDiscWatcher::removal_data()
{
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("stops");
    QTest::newRow("the disc that plays") << true << "/dev/sr0" << true;
    QTest::newRow("another drive's disc") << true << "/dev/sr1" << false;
    QTest::newRow("while idle") << false << "/dev/sr0" << false;
    QTest::newRow("a drive the player does not know") << true << "/dev/sr7" << false;
}

void TestDiscWatcher::removal()
{
    QFETCH(bool, playing);
    QFETCH(QString, node);
    QFETCH(bool, stops);
    WatchedRig r;
    if (playing)
        r.playDisc();
    r.rig.settings.values["Bookmark"] = "stored";
    const QMap<QString, QString> stored = r.rig.settings.values;
    const QString statusBefore = r.window->engine().status();
    QSignalSpy stopped(&r.window->engine(), &PlaybackEngine::stopped);

    r.rig.discEvents.remove(node);
    QVERIFY(QTest::qWaitFor([&] { return r.changes.count() == 1; }, 5000));
    r.rig.settle();

    QCOMPARE(stopped.count(), stops ? 1 : 0);
    if (stops) {
        // As the Stop command leaves it: no notice, no box, the disc's folder still listed.
        QCOMPARE(r.rig.player.PlayState(), MediaPlayer::Stopped);
        QCOMPARE(r.window->engine().status(), StatusText::Idle);
        QVERIFY(!r.window->engine().watchdogArmed());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(r.window->engine().File1().Path(), QString("SR0:\\Mpegav"));
    } else {
        QCOMPARE(r.rig.player.PlayState(), playing ? MediaPlayer::Playing : MediaPlayer::Stopped);
        QCOMPARE(r.window->engine().status(), statusBefore);
    }
    QCOMPARE(r.rig.settings.values, stored);
}

void TestDiscWatcher::discOutBeforeItSettledIsNotLookedFor()
{
    WatchedRig r;
    r.watcher->setSettleMilliseconds(60 * 1000); // settles only if the removal fails to cancel
    r.putDiscIn();
    r.rig.discEvents.insert("/dev/sr0");
    QVERIFY(QTest::qWaitFor([&] { return r.changes.count() == 1; }, 5000));
    QVERIFY(r.watcher->insertionPending());
    r.rig.discEvents.remove("/dev/sr0");
    QVERIFY(QTest::qWaitFor([&] { return r.changes.count() == 2; }, 5000));
    QVERIFY(!r.watcher->insertionPending());
    QCOMPARE(r.opened(FirstTrack), 0);
}

QTEST_MAIN(TestDiscWatcher)
#include "test_disc_watcher.moc"
