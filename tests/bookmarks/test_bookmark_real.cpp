// The bookmark across two runs of the program with the real player, real discs and a real
// settings file: saved while a track of a disc image plays, found again with the same disc
// and the same track, not with another disc.

#include "app/player_window.h"
#include "bookmarks/bookmark.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/player/mpv_player.h"
#include "platform/settings/ini_settings_store.h"
#include "settings/settings_keys.h"
#include "test_media.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <memory>

namespace {

// One run of the program on a disc image: real player (no picture, no sound), real disc
// layer, the settings file given.
struct Run {
    Run(const QString& image, const QString& settingsFile)
        : discs(image), player(MpvPlayer::Options{false, {"ao=null"}, &discs.library}),
          mci(discs.drives), settings(settingsFile, SettingsKeys::Section)
    {
        PlatformServices services = fakes.services();
        services.player = &player;
        services.drives = &discs.drives;
        services.folderLister = &discs.lister;
        services.mci = &mci;
        services.settings = &settings;
        window = std::make_unique<Playerfrm>(services);
        window->Form_Load(QString());
    }
    bool playTrack(int index)
    {
        window->trackPanel().Songcmd[index]->click();
        return QTest::qWaitFor([this] { return player.PlayState() == MediaPlayer::Playing; }, 5000);
    }

    DiscRig discs;
    FakeRig fakes; // folders and the process end
    MpvPlayer player;
    MciInterpreter mci;
    IniSettingsStore settings;
    std::unique_ptr<Playerfrm> window;
};

} // namespace

class TestBookmarkReal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void foundAgainOnlyWithTheSameDisc();
};

void TestBookmarkReal::foundAgainOnlyWithTheSameDisc()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.ini");
    double saved = 0;
    {
        Run first(TestMedia::disc("vcd-a.cue"), file);
        QVERIFY(first.playTrack(2)); // AVSEQ03.DAT, 5 s
        QVERIFY(QTest::qWaitFor([&] { return first.player.CurrentPosition() >= 2.5; }, 5000));
        QVERIFY(first.window->cmdBookmark->isEnabled());
        first.window->cmdBookmark->click();
        saved = first.window->bookmark().Bookcurrtxt.toDouble();
        QVERIFY2(saved >= 2.5 && saved < 4, qPrintable(QString::number(saved)));
    }

    Run again(TestMedia::disc("vcd-a.cue"), file);
    QVERIFY(
        QTest::qWaitFor([&] { return again.player.PlayState() == MediaPlayer::Playing; }, 5000));
    QVERIFY(!again.window->mnuvcdbookmark->isEnabled()); // track 1 plays, not the bookmark's
    QVERIFY(again.playTrack(2));
    QTRY_VERIFY_WITH_TIMEOUT(again.window->mnuvcdbookmark->isEnabled(), 3000);
    QVERIFY(again.player.CurrentPosition() < 1.5);
    again.window->mnuvcdbookmark->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(again.player.CurrentPosition() - saved) < 0.5, 3000);

    // The same tracks on a disc of another serial number: not the bookmark's disc.
    Run other(TestMedia::disc("vcd-a-late.cue"), file);
    QVERIFY(other.playTrack(2));
    QTest::qWait(300); // a span in which the bookmark may not come on
    QVERIFY(!other.window->mnuvcdbookmark->isEnabled());
}

QTEST_MAIN(TestBookmarkReal)
#include "test_bookmark_real.moc"
