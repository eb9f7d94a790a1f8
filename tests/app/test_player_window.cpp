#include "desktop/command_line.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "videocd/track_panel.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
// Records which of the two start-up branches ran.
class RecordingWindow : public Playerfrm {
public:
    using Playerfrm::Playerfrm;
    void Command29() override { branches << "Command29"; }
    void Command30() override { branches << "Command30"; }
    QStringList branches;
};
} // namespace

class TestPlayerWindow : public QObject {
    Q_OBJECT
private slots:
    void designState();
    void commandLine_data();
    void commandLine();
    void commandLinePlaysFileAsOwnList();
    void commandLineWithMissingFileReachesPlayCommand();
    void missingFileLeavesTheDiscAsItIs_data();
    void missingFileLeavesTheDiscAsItIs();
    void firstRunSeedsSettings();
    void userCaptionIsKept();
    void vcdAutoBranches_data();
    void vcdAutoBranches();
    void xpHidesCapture();
    void startupOrder();
    void exitButtonStopsAndEnds();
    void closingStopsTwiceAndClosesDevicesThreeTimes();
    void typedCharactersReachTrackChoiceButPlayerKeysDoNot();
};

void TestPlayerWindow::designState()
{
    FakeRig rig;
    Playerfrm& w = rig.window();
    QCOMPARE(w.windowTitle(), QString("Tamrel VCD Player version 2.2.2"));
    QCOMPARE(w.size(), QSize(779, 521));
    PlaybackEngine& e = w.engine();
    QCOMPARE(e.panel().lblDisplay->text(), QString("Tamrel VCD Player"));
    QCOMPARE(e.panel().lblTime->text(), QString("Time"));
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("00 of 0"));
    QCOMPARE(w.cmdOnTop->property("tag").toString(), QString("0"));
    QCOMPARE(w.cmdOpencdrom->text(), QString("E"));
    struct Tip {
        const char* name;
        const char* toolTip;
    };
    for (const Tip& tip :
         {Tip{"cmdPlay", "Play"}, Tip{"cmdPause", "Pause"}, Tip{"cmdStop", " Stop"},
          Tip{"cmdNexttrack", "Next Track"}, Tip{"cmdFullscreen", "Full Screen (Alt + Enter)"},
          Tip{"cmdOnTop", "Always on Top"}, Tip{"cmdExit", "Exit Program"},
          Tip{"cmdOpencdrom", "Eject CD"}, Tip{"cmdCapture", "Capture screen shot"},
          Tip{"cmdBookmark", "Add to Bookmark"}}) {
        auto* button = w.findChild<QPushButton*>(tip.name);
        QVERIFY2(button, tip.name);
        QCOMPARE(button->toolTip(), QString(tip.toolTip));
        QVERIFY(button->geometry().bottom() < w.Frame1->height());
    }
    QVERIFY(!w.cmdCapture->isEnabled());
    QVERIFY(!w.cmdBookmark->isEnabled());
    for (int i = 0; i < TrackPanel::ButtonCount; ++i) {
        auto* button = w.findChild<QPushButton*>(QStringLiteral("Songcmd%1").arg(i));
        QVERIFY(button);
        QCOMPARE(button->text(), QString::number(i + 1));
        QVERIFY(!button->isEnabled());
    }
    // Upper row of 24, lower row of 18 with the jump list to its right.
    QCOMPARE(w.trackPanel().Songcmd[23]->geometry().top(), 500 / 15);
    QCOMPARE(w.trackPanel().Songcmd[24]->geometry().top(), 800 / 15);
    QVERIFY(w.trackPanel().Songcmd[41]->geometry().right() < e.panel().Combo1->geometry().left());
    QVERIFY(e.Timer4.isActive());
    QVERIFY(e.Timersongna.isActive());
    QVERIFY(!e.watchdogArmed());
    QCOMPARE(rig.player.videoWidget()->parentWidget(), &w);
}

void TestPlayerWindow::commandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path");
    QTest::newRow("file association without file") << "%1"
                                                   << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("quoted path") << "\"/media/my clip.mpg\""
                                 << "/media/my clip.mpg";
    QTest::newRow("quote inside") << "/tmp/it\"s.mpg"
                                  << "/tmp/its.mpg";
    QTest::newRow("bare") << "/tmp/a.dat"
                          << "/tmp/a.dat";
    QTest::newRow("quoted %1 is a name") << "\"%1\""
                                         << "%1";
}

void TestPlayerWindow::commandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QCOMPARE(CommandLine::mediaPath(line), path);
    FakeRig rig;
    rig.load(line);
    if (path.isEmpty())
        QVERIFY(rig.player.openedFiles.isEmpty());
}

void TestPlayerWindow::commandLinePlaysFileAsOwnList()
{
    FileFolder dir({"a.mpg", "b c.mpg", "d.mpg"});
    FakeRig rig;
    Playerfrm& w = rig.load('"' + dir.file("b c.mpg") + '"');
    QCOMPARE(rig.player.openedFiles, QStringList{dir.file("b c.mpg")});
    QCOMPARE(w.engine().File1().ListCount(), 1);
    QCOMPARE(w.engine().status(), QString("Playing B C.mpg  ........"));
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("01 of 1"));
    QVERIFY(w.trackPanel().Songcmd[0]->isEnabled());
    QVERIFY(!w.trackPanel().Songcmd[1]->isEnabled());
    QVERIFY(w.cmdCapture->isEnabled());
    QVERIFY(!w.cmdOpencdrom->isEnabled());
}

void TestPlayerWindow::commandLineWithMissingFileReachesPlayCommand()
{
    FileFolder dir({"empty.mpg"});
    // A path that names no file is said so once, and nothing is opened or retried.
    const QString folderName = QFileInfo(dir.path()).fileName();
    const QList<std::pair<QString, QString>> named = {
        {"/no/such/folder/clip.mpg", StatusText::fileNotFound("clip.mpg")},
        {dir.path(), StatusText::fileUnreadable(folderName)}};
    for (const auto& [path, status] : named) {
        FakeRig rig;
        Playerfrm& w = rig.load(path);
        QVERIFY(rig.player.openedFiles.isEmpty());
        QCOMPARE(w.engine().status(), status);
        QCOMPARE(w.engine().File1().ListCount(), 0);
        QVERIFY(!w.engine().watchdogArmed());
    }
    // A file that exists but never starts is left to the watchdog.
    FakeRig rig;
    rig.player.unplayable << dir.file("empty.mpg");
    Playerfrm& w = rig.load(dir.file("empty.mpg"));
    QCOMPARE(rig.player.openedFiles, QStringList{dir.file("empty.mpg")});
    QCOMPARE(w.engine().status(), StatusText::Loading);
    QVERIFY(w.engine().watchdogArmed());
    w.engine().tmrWrong_Format_Timer();
    QCOMPARE(w.engine().status(), StatusText::Unsupported);
}

void TestPlayerWindow::missingFileLeavesTheDiscAsItIs_data()
{
    QTest::addColumn<bool>("disc");
    QTest::newRow("disc in the drive") << true;
    QTest::newRow("no drive") << false;
}

// A file named on the command line that is not there: the status line says so once, and what
// the disc shows (its track playing, its track count) stays true.
void TestPlayerWindow::missingFileLeavesTheDiscAsItIs()
{
    QFETCH(bool, disc);
    FakeRig rig;
    if (disc) {
        rig.drives.add("sr0");
        rig.folderLister.discFolders["SR0:\\Mpegav"] = QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"};
    }
    QSignalSpy statuses(&rig.window().engine(), &PlaybackEngine::statusChanged);
    Playerfrm& w = rig.load("\"/no/such/folder/Nothere.mpg\"");
    const QString notFound = StatusText::fileNotFound("Nothere.mpg");
    QCOMPARE(w.engine().status(), notFound);
    const QString last = disc ? StatusText::playing("AVSEQ01.DAT") : notFound;
    QTRY_COMPARE_WITH_TIMEOUT(w.engine().status(), last, PlaybackEngine::NoticeMilliseconds + 5000);
    QStringList shown;
    for (const QList<QVariant>& status : statuses)
        shown << status.front().toString();
    QCOMPARE(shown.count(notFound), 1);
    QCOMPARE(shown.last(), last);
    if (disc) // the disc's own state comes back once the notice has been read
        QCOMPARE(shown.mid(shown.indexOf(notFound)), (QStringList{notFound, last}));
    QVERIFY(!shown.contains(StatusText::Unsupported));
    QCOMPARE(rig.player.openedFiles,
             disc ? QStringList{"SR0:\\Mpegav\\AVSEQ01.DAT"} : QStringList{});
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString(disc ? "01 of 2" : "00 of 0"));
    QCOMPARE(w.engine().File1().ListCount(), disc ? 2 : 0);
    QVERIFY(!w.engine().watchdogArmed());
}

void TestPlayerWindow::firstRunSeedsSettings()
{
    FakeRig rig;
    rig.load();
    QCOMPARE(rig.settings.values.value("Pictextcopy"),
             QString("This picture was captured using Tamrel VCD Player download at "
                     "https://tamrel-vcd.org/"));
    QCOMPARE(rig.settings.values.value("Screenshot"), QString("1"));
    QVERIFY(!rig.settings.values.contains("VCD Auto"));
    QVERIFY(!rig.settings.values.contains("Wallpaper"));
    QVERIFY(!rig.settings.values.contains("My Documents"));
}

void TestPlayerWindow::userCaptionIsKept()
{
    FakeRig rig;
    rig.settings.values["Pictextcopy"] = "my own caption";
    rig.settings.values["Screenshot"] = "0";
    rig.load();
    QCOMPARE(rig.settings.values.value("Pictextcopy"), QString("my own caption"));
    QCOMPARE(rig.settings.values.value("Screenshot"), QString("0"));
    QVERIFY(rig.settings.saves.isEmpty());
}

void TestPlayerWindow::vcdAutoBranches_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("branch");
    QTest::newRow("absent") << QVariant() << "Command29";
    QTest::newRow("on") << QVariant("1") << "Command29";
    QTest::newRow("off") << QVariant("0") << "Command30";
    QTest::newRow("unrecognised") << QVariant("yes") << "Command30";
}

void TestPlayerWindow::vcdAutoBranches()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, branch);
    FakeRig rig;
    if (stored.isValid())
        rig.settings.values["VCD Auto"] = stored.toString();
    RecordingWindow w(rig.services());
    w.mnuOpenVCD->setEnabled(false);
    w.Form_Load(QString());
    QCOMPARE(w.branches, QStringList{branch});
    if (branch == "Command30")
        QVERIFY(w.mnuOpenVCD->isEnabled());
}

void TestPlayerWindow::xpHidesCapture()
{
    FakeRig rig;
    rig.folders.osVersion = "XP";
    Playerfrm& w = rig.load();
    QCOMPARE(w.OsVersion, QString("XP"));
    QVERIFY(w.cmdCapture->isHidden());
    QVERIFY(!w.mnucapturescreen->isVisible());

    FakeRig nt;
    nt.folders.osVersion = "NT";
    QVERIFY(!nt.load().cmdCapture->isHidden());
}

void TestPlayerWindow::startupOrder()
{
    FileFolder dir({"x.mpg"});
    FakeRig rig;
    rig.player.setDisplaySize(MediaPlayer::DoubleSize);
    rig.player.calls.clear();
    Playerfrm& w = rig.load(dir.file("x.mpg"));
    QCOMPARE(w.txtcopyrname, QString("/home/user/Desktop/ScreenShot.bmp"));
    // "close all" at start-up, then the device check of the file that started playing.
    QCOMPARE(rig.mci.sent,
             (QStringList{"close all", "close all", "open cdaudio alias cd69 wait shareable"}));
    // Display size is set before the command-line file is handed over.
    const int display = rig.player.calls.indexOf("DisplaySize=4");
    const int open = rig.player.calls.indexOf("FileName=" + dir.file("x.mpg"));
    QVERIFY(display >= 0 && open > display);
    QVERIFY(!w.Timer1.isActive() && !w.Timer2.isActive() && !w.Timer3.isActive());
    QCOMPARE(w.Timer1.interval(), 100);
}

void TestPlayerWindow::exitButtonStopsAndEnds()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    rig.player.calls.clear();
    w.cmdExit->click();
    QCOMPARE(rig.exitCodes, QList<int>{0});
    QVERIFY(rig.player.calls.contains("Stop"));
    QCOMPARE(w.engine().status(), QString("Please wait, VCD Player is shut down ....."));
}

void TestPlayerWindow::closingStopsTwiceAndClosesDevicesThreeTimes()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    rig.player.calls.clear();
    rig.mci.sent.clear();
    w.close();
    QCOMPARE(rig.player.calls.count("Stop"), 2);
    QCOMPARE(rig.mci.sent.count("close all"), 3);
    QCOMPARE(rig.exitCodes, QList<int>{0});
    QCOMPARE(w.engine().status(), StatusText::ShuttingDown);
}

void TestPlayerWindow::typedCharactersReachTrackChoiceButPlayerKeysDoNot()
{
    FileFolder dir(FileFolder::numbered("t", 12, ".dat"));
    FakeRig rig;
    Playerfrm& w = rig.load();
    QVERIFY(w.engine().File1().setPath(dir.path()));
    QVERIFY(w.engine().File1().setListIndex(0));
    w.engine().StartListPlayback();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    rig.player.SetFocus();

    QTest::keyClick(rig.player.videoWidget(), 'b');
    QCOMPARE(rig.player.FileName(), dir.file("t11.dat"));
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("11 of 12"));
    QTest::keyClick(rig.player.videoWidget(), 'i'); // track 18 does not exist
    QCOMPARE(w.engine().status(), StatusText::Idle);
    QCOMPARE(rig.player.FileName(), dir.file("t11.dat"));

    rig.player.calls.clear();
    QTest::keyClick(rig.player.videoWidget(), Qt::Key_Space);
    QTest::keyClick(rig.player.videoWidget(), Qt::Key_Escape);
    QTest::keyClick(rig.player.videoWidget(), Qt::Key_Return, Qt::AltModifier);
    QVERIFY(rig.player.openedFiles.count() > 0);
    QVERIFY(!rig.player.calls.join(' ').contains("FileName="));
}

QTEST_MAIN(TestPlayerWindow)
#include "test_player_window.moc"
