// The sound choices on the main window built with fakes: the karaoke keys wherever the focus
// is, never a typed character; voice cancel and a single channel excluding each other; each
// song's key coming back when the engine plays it again; the tempo as the desktop sees it.

#include "app/popup_menu.h"
#include "desktop/media_transport.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "karaoke/karaoke_controls.h"
#include "platform/player/media_player.h"
#include "playback/playback_engine.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The window on fakes, shown and active, playing the first of three files of a folder.
struct Rig {
    Rig()
    {
        fake.player.setDuration(60);
        fake.playFolder(media.file("s01.mpg"), "*.mpg");
    }
    Playerfrm& window() { return fake.window(); }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    FileFolder media{FileFolder::numbered("s", 3, ".mpg")};
    FakeRig fake;
};
} // namespace

class TestSoundChoices : public QObject {
    Q_OBJECT
private slots:
    void keysChangeKeyAndTempo_data();
    void keysChangeKeyAndTempo();
    void voiceCancelAndOneChannelExcludeEachOther();
    void eachSongComesBackWithItsKey();
    void discTracksAreKnownByTheDisc();
    void desktopRateFollowsTheTempo();
    void menuHoldsTheKaraokeItems();
};

void TestSoundChoices::keysChangeKeyAndTempo_data()
{
    QTest::addColumn<QList<int>>("keys"); // each with Ctrl
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tempo");
    QTest::newRow("Ctrl+Up twice") << QList<int>{Qt::Key_Up, Qt::Key_Up} << 2 << 100;
    QTest::newRow("Ctrl+Down") << QList<int>{Qt::Key_Down} << -1 << 100;
    QTest::newRow("Ctrl+Left, Ctrl+Right, Ctrl+Left")
        << QList<int>{Qt::Key_Left, Qt::Key_Right, Qt::Key_Left} << 0 << 95;
    QTest::newRow("Ctrl+0 back to the original")
        << QList<int>{Qt::Key_Up, Qt::Key_Left, Qt::Key_0} << 0 << 100;
}

void TestSoundChoices::keysChangeKeyAndTempo()
{
    QFETCH(QList<int>, keys);
    Rig rig;
    QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
    const qsizetype opened = rig.fake.player.openedFiles.size();
    for (int key : keys)
        rig.press(key);
    QTEST(rig.fake.player.key, "key");
    QTEST(rig.fake.player.tempo, "tempo");
    // No key restarted the track: Ctrl+0 is no typed "0", Ctrl+arrows no seek.
    QCOMPARE(rig.fake.player.openedFiles.size(), opened);
    QVERIFY(!rig.fake.player.calls.contains(QStringLiteral("setCurrentPosition")));
}

void TestSoundChoices::voiceCancelAndOneChannelExcludeEachOther()
{
    Rig rig;
    PopupMenu& menu = rig.window().menu();
    KaraokeControls& karaoke = rig.window().karaoke();
    menu.mnuFirst->trigger();
    QCOMPARE(rig.fake.player.Balance(), MediaPlayer::BalanceFirstChannel);
    karaoke.mnuVoiceCancel->trigger();
    QVERIFY(rig.fake.player.voiceCancel);
    QCOMPARE(rig.fake.player.Balance(), MediaPlayer::BalanceBoth);
    QVERIFY(menu.mnuBoth->isChecked());
    menu.mnuSecond->trigger();
    QVERIFY(!rig.fake.player.voiceCancel);
    QVERIFY(!karaoke.mnuVoiceCancel->isChecked());
    QCOMPARE(rig.fake.player.Balance(), MediaPlayer::BalanceSecondChannel);
    // Both channels leave voice cancel as it is.
    karaoke.mnuVoiceCancel->trigger();
    menu.mnuBoth->trigger();
    QVERIFY(rig.fake.player.voiceCancel);
}

void TestSoundChoices::eachSongComesBackWithItsKey()
{
    Rig rig;
    PlaybackEngine& engine = rig.window().engine();
    KaraokeControls& karaoke = rig.window().karaoke();
    karaoke.keyDown();
    karaoke.keyDown();
    engine.NextTrack();
    rig.fake.settle();
    QCOMPARE(rig.fake.player.key, 0);
    QVERIFY(!karaoke.lblKaraoke->isVisible());
    engine.playEntry(0);
    rig.fake.settle();
    QCOMPARE(rig.fake.player.key, -2);
    QCOMPARE(karaoke.lblKaraoke->text(), QString::fromUtf8("Key \u22122"));
    QVERIFY(karaoke.lblKaraoke->isVisible());
    // Stored in the song section, never in "Settings".
    QCOMPARE(rig.fake.songSettings.values.size(), 1);
    QVERIFY(rig.fake.songSettings.values.first().endsWith(rig.media.file("s01.mpg")));
    for (const QString& key : rig.fake.settings.values.keys())
        QVERIFY2(!key.startsWith("Song"), qPrintable(key));
}

void TestSoundChoices::discTracksAreKnownByTheDisc()
{
    FakeRig fake;
    fake.drives.add("sr0", 0x1234abcd);
    fake.window();
    KaraokeControls& karaoke = fake.window().karaoke();
    emit fake.window().engine().mediumLoading("SR0:\\Mpegav\\AVSEQ02.DAT");
    karaoke.tempoSlower();
    karaoke.flush();
    QCOMPARE(fake.songSettings.values.size(), 1);
    QVERIFY2(fake.songSettings.values.first().endsWith(" vcd:1234abcd:mpegav/avseq02.dat"),
             qPrintable(fake.songSettings.values.first()));
}

void TestSoundChoices::desktopRateFollowsTheTempo()
{
    Rig rig;
    MediaTransport& transport = rig.window().transport();
    QSignalSpy changed(&transport, &MediaTransport::changed);
    QCOMPARE(transport.rate(), 1.0);
    QCOMPARE(transport.minimumRate(), 0.5);
    QCOMPARE(transport.maximumRate(), 1.5);
    rig.window().karaoke().tempoSlower();
    QCOMPARE(transport.rate(), 0.95);
    QVERIFY(changed.count() >= 1);
    transport.setRate(1.2);
    QCOMPARE(rig.fake.player.tempo, 120);
}

void TestSoundChoices::menuHoldsTheKaraokeItems()
{
    Rig rig;
    QMenu* popup = rig.window().menu().mnuPopup;
    QMenu* karaoke = rig.window().menu().mnuKaraoke;
    QCOMPARE(karaoke->objectName(), "mnuKaraoke");
    QVERIFY(popup->actions().contains(karaoke->menuAction()));
    // Right after the Audio Channel submenu: the sound choices together.
    const qsizetype channel =
        popup->actions().indexOf(rig.window().menu().mnuAudioChannel->menuAction());
    QCOMPARE(popup->actions().indexOf(karaoke->menuAction()), channel + 1);
    QStringList captions;
    for (QAction* item : karaoke->actions())
        if (!item->isSeparator())
            captions << item->text();
    QCOMPARE(captions, QStringList({"Key up", "Key down", "Original key", "Tempo faster",
                                    "Tempo slower", "Normal tempo", "Voice cancel"}));
}

QTEST_MAIN(TestSoundChoices)
#include "test_sound_choices.moc"
