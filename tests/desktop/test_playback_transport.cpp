#include "app/window_modes.h"
#include "desktop/playback_transport.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "videocd/track_panel.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using State = MediaTransport::State;
using Command = std::function<void(MediaTransport&)>;
Q_DECLARE_METATYPE(Command)

namespace {

const QString DiscFolder = QStringLiteral("SR0:\\Mpegav");

// The main window on fakes, playing track 1 of a three-track disc.
struct DiscRigPlaying {
    DiscRigPlaying()
    {
        rig.folderLister.discFolders[DiscFolder] = {"AVSEQ01.DAT", "AVSEQ02.DAT", "AVSEQ03.DAT"};
        rig.player.setDuration(4.0);
        Playerfrm& w = rig.window();
        PlayList& list = w.engine().File1();
        list.setPath(DiscFolder);
        list.setListIndex(0);
        w.engine().StartListPlayback();
        rig.settle();
    }
    Playerfrm& window() { return rig.window(); }
    MediaTransport& transport() { return rig.window().transport(); }

    FakeRig rig;
};

// What the user sees of playback.
QStringList shown(Playerfrm& w)
{
    const PlaybackPanel& p = w.engine().panel();
    QStringList view{w.engine().status(), w.trackPanel().lblTrack_Display->text()};
    for (QPushButton* button :
         {p.cmdPlay, p.cmdPause, p.cmdStop, p.cmdNexttrack, w.cmdFullscreen, w.cmdCapture,
          w.cmdOpencdrom, w.trackPanel().Songcmd[0], w.trackPanel().Songcmd[2]})
        view << QString("%1=%2").arg(button->objectName()).arg(button->isEnabled());
    return view;
}

} // namespace

// The desktop's commands on the main window (with fake services) do what its buttons do.
class TestPlaybackTransport : public QObject {
    Q_OBJECT
private slots:
    void commandsRunTheButtonsSteps_data();
    void commandsRunTheButtonsSteps();
    void playResumesWhatIsPaused();
    void nothingToPlayDoesNothing();
    void trackDescribesTheMedium();
    void seekStaysInsideTheMedium_data();
    void seekStaysInsideTheMedium();
    void fullScreenOnAndOff();
    void changesAreReported();
    void songsOfTheMediumInThePlayer();
};

void TestPlaybackTransport::commandsRunTheButtonsSteps_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("stopFirst");
    QTest::newRow("Pause") << "cmdPause" << Command([](MediaTransport& t) { t.pause(); }) << false;
    QTest::newRow("Stop") << "cmdStop" << Command([](MediaTransport& t) { t.stop(); }) << false;
    QTest::newRow("Next") << "cmdNexttrack" << Command([](MediaTransport& t) { t.next(); })
                          << false;
    QTest::newRow("Play, stopped")
        << "cmdPlay" << Command([](MediaTransport& t) { t.play(); }) << true;
    QTest::newRow("Full screen") << "cmdFullscreen"
                                 << Command([](MediaTransport& t) { t.setFullScreen(true); })
                                 << false;
}

void TestPlaybackTransport::commandsRunTheButtonsSteps()
{
    QFETCH(QString, button);
    QFETCH(Command, command);
    QFETCH(bool, stopFirst);
    DiscRigPlaying byButton;
    DiscRigPlaying byDesktop;
    if (stopFirst) {
        for (DiscRigPlaying* rig : {&byButton, &byDesktop}) {
            rig->window().engine().StopCommand();
            rig->rig.settle();
        }
    }
    byButton.window().findChild<QPushButton*>(button)->click();
    command(byDesktop.transport());
    QCOMPARE(shown(byDesktop.window()), shown(byButton.window()));
    byButton.rig.settle();
    byDesktop.rig.settle();
    QCOMPARE(shown(byDesktop.window()), shown(byButton.window()));
    QCOMPARE(byDesktop.rig.player.calls, byButton.rig.player.calls);
    QCOMPARE(byDesktop.rig.player.DisplaySize(), byButton.rig.player.DisplaySize());
}

void TestPlaybackTransport::playResumesWhatIsPaused()
{
    DiscRigPlaying disc;
    disc.rig.player.setPositionByPlayer(2.5);
    disc.transport().pause();
    QCOMPARE(disc.transport().state(), State::Paused);
    QCOMPARE(disc.window().engine().status(), StatusText::Paused);
    const int opened = disc.rig.player.openedFiles.size();
    disc.transport().play();
    disc.rig.settle();
    QCOMPARE(disc.transport().state(), State::Playing);
    QCOMPARE(disc.rig.player.openedFiles.size(), opened); // not started again
    QCOMPARE(disc.transport().positionSeconds(), 2.5);
    QCOMPARE(disc.window().engine().status(), StatusText::playing("AVSEQ01.DAT"));
    disc.transport().play(); // already playing
    QCOMPARE(disc.rig.player.openedFiles.size(), opened);
}

void TestPlaybackTransport::nothingToPlayDoesNothing()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    MediaTransport& t = w.transport();
    QVERIFY(!t.canPlay());
    QVERIFY(!t.canGoNext());
    QVERIFY(!t.canSeek());
    QVERIFY(!t.canFullScreen());
    const QStringList before = shown(w);
    t.play();
    t.next();
    t.pause();
    t.seekTo(1);
    t.setFullScreen(true);
    rig.settle();
    QVERIFY(rig.player.openedFiles.isEmpty());
    QCOMPARE(shown(w), before);
    QCOMPARE(t.track().entry, -1);
}

void TestPlaybackTransport::trackDescribesTheMedium()
{
    DiscRigPlaying disc;
    disc.transport().next();
    MediaTransport::Track track = disc.transport().track();
    QCOMPARE(track.title, QString("Track 02 of 3"));
    QVERIFY(track.localFile.isEmpty());
    QCOMPARE(track.lengthSeconds, 0.0); // the player is still opening it
    disc.rig.settle();
    QCOMPARE(disc.transport().track().lengthSeconds, 4.0);

    FileFolder dir({"my SONG.mp3"});
    FakeRig rig;
    rig.player.setDuration(3.0);
    Playerfrm& w = rig.load(dir.file("my SONG.mp3"));
    track = w.transport().track();
    QCOMPARE(track.title, QString("My Song.mp3"));
    QCOMPARE(track.localFile, dir.file("my SONG.mp3"));
    QCOMPARE(track.entry, 0);
    QCOMPARE(track.count, 1);
    QCOMPARE(track.lengthSeconds, 3.0);
}

void TestPlaybackTransport::seekStaysInsideTheMedium_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<bool>("moves");
    QTest::newRow("inside") << 2.5 << false << true;
    QTest::newRow("the end") << 4.0 << false << true;
    QTest::newRow("past the end") << 4.5 << false << false;
    QTest::newRow("negative") << -1.0 << false << false;
    QTest::newRow("stopped") << 2.0 << true << false;
}

void TestPlaybackTransport::seekStaysInsideTheMedium()
{
    QFETCH(double, seconds);
    QFETCH(bool, stopped);
    QFETCH(bool, moves);
    DiscRigPlaying disc;
    if (stopped)
        disc.window().engine().StopCommand();
    QSignalSpy seeked(&disc.transport(), &MediaTransport::seeked);
    disc.transport().seekTo(seconds);
    QCOMPARE(seeked.size(), moves ? 1 : 0);
    QCOMPARE(disc.rig.player.calls.contains(QString("CurrentPosition=%1").arg(seconds)), moves);
    if (moves)
        QCOMPARE(disc.transport().positionSeconds(), seconds);
}

void TestPlaybackTransport::fullScreenOnAndOff()
{
    DiscRigPlaying disc;
    MediaTransport& t = disc.transport();
    QVERIFY(t.canFullScreen());
    t.setFullScreen(true);
    QVERIFY(t.isFullScreen());
    QVERIFY(disc.rig.player.fullScreenControlsEnabled());
    t.setFullScreen(false);
    QVERIFY(!t.isFullScreen());
    QCOMPARE(disc.rig.player.DisplaySize(), int(MediaPlayer::FitToSize));
}

void TestPlaybackTransport::changesAreReported()
{
    DiscRigPlaying disc;
    QSignalSpy changed(&disc.transport(), &MediaTransport::changed);
    disc.rig.player.finishMedium(); // track 2 follows
    disc.rig.settle();
    QVERIFY(changed.size() >= 2);
    QCOMPARE(disc.transport().track().entry, 1);
    QCOMPARE(disc.transport().state(), State::Playing);
}

void TestPlaybackTransport::songsOfTheMediumInThePlayer()
{
    DiscRigPlaying disc;
    MediaTransport& t = disc.transport();
    const QString first = disc.rig.player.FileName();
    disc.rig.songStarts.starts.insert(first, {0, 3, 6});
    QCOMPARE(t.songStarts(), (std::vector<double>{0, 3, 6}));
    QCOMPARE(disc.rig.songStarts.asked.last(), first);

    // Another medium: told at once, while it opens; its songs are its own.
    QSignalSpy mediumChanged(&t, &MediaTransport::mediumChanged);
    t.next();
    QCOMPARE(mediumChanged.size(), 1);
    QVERIFY(disc.rig.player.FileName() != first);
    QVERIFY(t.songStarts().empty());
    QCOMPARE(disc.rig.songStarts.asked.last(), disc.rig.player.FileName());
    // Pausing and resuming keep the medium.
    disc.rig.settle();
    t.pause();
    t.play();
    disc.rig.settle();
    QCOMPARE(mediumChanged.size(), 1);
}

QTEST_MAIN(TestPlaybackTransport)
#include "test_playback_transport.moc"
