// The karaoke controls on their own: what each item and step asks of the sound path, the
// table of enabled and checked items, the caption, the song's key and tempo coming back, and
// a sound path without a key filter.

#include "fake_media_player.h"
#include "fake_platform.h"
#include "karaoke/karaoke_controls.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {
struct Rig {
    Rig() : controls(&player, store, &window) {}
    QStringList enabledItems() const
    {
        QStringList names;
        for (QAction* item : controls.menu()->actions())
            if (!item->isSeparator() && item->isEnabled())
                names << item->objectName();
        return names;
    }
    FakeMediaPlayer player;
    FakeSettingsStore store;
    QWidget window;
    KaraokeControls controls;
};
} // namespace

class TestKaraokeControls : public QObject {
    Q_OBJECT
private slots:
    void items_data();
    void items();
    void stepsOnlyChangeWhatMoved();
    void songsKeepTheirOwnSound();
    void heldKeysWriteOnce();
    void voiceCancelIsChecked();
    void keyFilterMissing();
    void rateSnapsToSteps_data();
    void rateSnapsToSteps();
};

void TestKaraokeControls::items_data()
{
    // Items triggered in order; then the key, tempo, caption and the enabled items.
    QTest::addColumn<QStringList>("triggered");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tempo");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("enabled");
    const QStringList all{"mnuKeyUp",       "mnuKeyDown",     "mnuOriginalKey", "mnuTempoFaster",
                          "mnuTempoSlower", "mnuNormalTempo", "mnuVoiceCancel"};
    QTest::newRow("at the start") << QStringList{} << 0 << 100 << ""
                                  << QStringList{"mnuKeyUp", "mnuKeyDown", "mnuTempoFaster",
                                                 "mnuTempoSlower", "mnuVoiceCancel"};
    QTest::newRow("key down twice, tempo slower")
        << QStringList{"mnuKeyDown", "mnuKeyDown", "mnuTempoSlower"} << -2 << 95
        << QString::fromUtf8("Key \u22122 \u00b7 Tempo 95%") << all;
    QTest::newRow("original key keeps the tempo")
        << QStringList{"mnuKeyUp", "mnuTempoFaster", "mnuOriginalKey"} << 0 << 105 << "Tempo 105%"
        << QStringList{"mnuKeyUp",       "mnuKeyDown",     "mnuTempoFaster",
                       "mnuTempoSlower", "mnuNormalTempo", "mnuVoiceCancel"};
    QTest::newRow("normal tempo keeps the key")
        << QStringList{"mnuKeyUp", "mnuTempoFaster", "mnuNormalTempo"} << 1 << 100 << "Key +1"
        << QStringList{"mnuKeyUp",       "mnuKeyDown",     "mnuOriginalKey",
                       "mnuTempoFaster", "mnuTempoSlower", "mnuVoiceCancel"};
    QStringList sevenUp(7, "mnuKeyUp");
    QTest::newRow("key up stops at +6 and greys")
        << sevenUp << 6 << 100 << "Key +6"
        << QStringList{"mnuKeyDown", "mnuOriginalKey", "mnuTempoFaster", "mnuTempoSlower",
                       "mnuVoiceCancel"};
    QStringList elevenSlower(11, "mnuTempoSlower");
    QTest::newRow("tempo stops at 50% and greys")
        << elevenSlower << 0 << 50 << "Tempo 50%"
        << QStringList{"mnuKeyUp", "mnuKeyDown", "mnuTempoFaster", "mnuNormalTempo",
                       "mnuVoiceCancel"};
}

void TestKaraokeControls::items()
{
    QFETCH(QStringList, triggered);
    Rig rig;
    rig.controls.songStarting("/a.mpg");
    for (const QString& name : triggered)
        rig.controls.menu()->findChild<QAction*>(name)->trigger();
    QTEST(rig.player.key, "key");
    QTEST(rig.player.tempo, "tempo");
    QTEST(rig.controls.lblKaraoke->text(), "caption");
    QFETCH(QString, caption);
    QCOMPARE(rig.controls.lblKaraoke->isVisibleTo(&rig.window), !caption.isEmpty());
    QTEST(rig.enabledItems(), "enabled");
}

void TestKaraokeControls::stepsOnlyChangeWhatMoved()
{
    Rig rig;
    rig.controls.songStarting("/a.mpg");
    rig.player.calls.clear();
    rig.controls.keyUp();
    rig.controls.tempoSlower();
    rig.controls.keyUp();
    rig.controls.original();
    // Each stage is asked only for its own change: a tempo step never restarts the key stage.
    QCOMPARE(rig.player.calls,
             QStringList({"setKey 1", "setTempo 95", "setKey 2", "setKey 0", "setTempo 100"}));
}

void TestKaraokeControls::songsKeepTheirOwnSound()
{
    Rig rig;
    QSignalSpy changed(&rig.controls, &KaraokeControls::soundChanged);
    rig.controls.songStarting("/a.mpg");
    rig.controls.keyDown();
    rig.controls.keyDown();
    rig.controls.songStarting("/b.mpg"); // a new song starts at its own key
    QCOMPARE(rig.player.key, 0);
    rig.controls.tempoSlower();
    rig.controls.songStarting("/a.mpg");
    QCOMPARE(rig.player.key, -2);
    QCOMPARE(rig.player.tempo, 100);
    rig.controls.songStarting(""); // a song that cannot be told: its own sound, nothing kept
    QCOMPARE(rig.player.key, 0);
    rig.controls.keyUp();
    rig.controls.flush();
    QCOMPARE(rig.store.values.size(), 2);
    QVERIFY(changed.count() >= 5);
    // After a restart, the same songs come back.
    FakeMediaPlayer player;
    QWidget window;
    KaraokeControls again(&player, rig.store, &window);
    again.songStarting("/b.mpg");
    QCOMPARE(player.tempo, 95);
    QCOMPARE(again.lblKaraoke->text(), "Tempo 95%");
}

void TestKaraokeControls::heldKeysWriteOnce()
{
    Rig rig;
    rig.controls.songStarting("/a.mpg");
    for (int i = 0; i < 100; ++i) // a key held down
        i % 2 ? rig.controls.keyUp() : rig.controls.tempoFaster();
    QVERIFY(rig.store.saves.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(rig.store.saves.size(), 1, 5000);
    QCOMPARE(rig.player.key, 6);
    QCOMPARE(rig.player.tempo, 150);
}

void TestKaraokeControls::voiceCancelIsChecked()
{
    Rig rig;
    QSignalSpy chosen(&rig.controls, &KaraokeControls::voiceCancelChosen);
    rig.controls.mnuVoiceCancel->trigger();
    QVERIFY(rig.player.voiceCancel);
    QVERIFY(rig.controls.mnuVoiceCancel->isChecked());
    QCOMPARE(chosen.count(), 1);
    rig.controls.leaveVoiceCancel(); // a single channel was chosen
    QVERIFY(!rig.player.voiceCancel);
    QVERIFY(!rig.controls.mnuVoiceCancel->isChecked());
    QCOMPARE(chosen.count(), 1);
    // Voice cancel is no song's: it stays on from one song to the next.
    rig.controls.setVoiceCancel(true);
    rig.controls.songStarting("/b.mpg");
    QVERIFY(rig.player.voiceCancel);
}

void TestKaraokeControls::keyFilterMissing()
{
    Rig rig;
    rig.controls.songStarting("/a.mpg");
    rig.controls.tempoSlower();
    // libmpv turns out to have no key filter once it has started.
    rig.player.keyMissing =
        "This libmpv has no \"rubberband\" audio filter to change the key with.";
    rig.player.availabilityListener();
    QCOMPARE(rig.enabledItems(),
             QStringList({"mnuTempoFaster", "mnuTempoSlower", "mnuNormalTempo", "mnuVoiceCancel"}));
    QCOMPARE(rig.controls.mnuKeyUp->toolTip(), rig.player.keyMissing);
    rig.controls.keyUp(); // from the keyboard: nothing, and nothing else lost
    QCOMPARE(rig.player.key, 0);
    QCOMPARE(rig.player.tempo, 95);
    QCOMPARE(rig.controls.lblKaraoke->text(), "Tempo 95%");
}

void TestKaraokeControls::rateSnapsToSteps_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("tempo");
    QTest::newRow("normal") << 1.0 << 100;
    QTest::newRow("a step") << 0.9 << 90;
    QTest::newRow("between steps") << 0.93 << 95;
    QTest::newRow("below the range") << 0.1 << 50;
    QTest::newRow("above the range") << 3.0 << 150;
    QTest::newRow("not a number") << qQNaN() << 100;
}

void TestKaraokeControls::rateSnapsToSteps()
{
    QFETCH(double, rate);
    Rig rig;
    rig.controls.songStarting("/a.mpg");
    rig.controls.setRate(rate);
    QTEST(rig.player.tempo, "tempo");
    QCOMPARE(rig.controls.rate(), rig.player.tempo / 100.0);
}

QTEST_MAIN(TestKaraokeControls)
#include "test_karaoke_controls.moc"
