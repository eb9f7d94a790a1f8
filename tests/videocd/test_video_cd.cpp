#include "bookmarks/bookmark.h"
#include "fake_platform.h"
#include "file_folder.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "videocd/cd_tray.h"
#include "videocd/eject_button.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace {
// Drives whose discs cannot be read: the device nodes do not exist.
void addUnreadableDrives(FakeRig& rig, const QStringList& ids)
{
    for (const QString& id : ids)
        rig.drives.list << CdDrive{id, "/nonexistent/" + id, false};
}

QStringList dat()
{
    return {"AVSEQ01.DAT", "AVSEQ02.DAT"};
}

// f001.mpg, f002.mpg...
QStringList numberedClips(int count)
{
    return FileFolder::numbered("f", count, ".mpg", 3);
}
// The button drawn at `scale` times its size in device pixels, as a screen at that scale
// shows it.
QImage drawn(QWidget* button, qreal scale)
{
    QImage image(button->size() * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    button->render(&image);
    return image;
}

// Pixels of `image` within `area` (in the button's own pixels) as dark as the button's text.
int inkIn(const QImage& image, const QRectF& area, int darkerThan = 90)
{
    const qreal scale = image.devicePixelRatio();
    const QRect pixels = QRectF(area.topLeft() * scale, area.size() * scale).toAlignedRect();
    int ink = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (image.valid(x, y) && qGray(image.pixel(x, y)) < darkerThan)
                ++ink;
    return ink;
}
} // namespace

class TestVideoCd : public QObject {
    Q_OBJECT
private slots:
    void noDriveAtAllIsQuiet();
    void oneDriveWithoutDisc();
    void driveListGrowsAtEveryScan();
    void vcdAutoOffReloadsKnownFolderOnly();
    void menuDetectionWithoutDrive();
    void bookmarkCheck_data();
    void bookmarkCheck();
    void failedDeviceTestNeitherShowsBoxNorEnds();
    void hundredThirtyFiles();
    void buttonsLeftEnabledByLongerList();
    void trayCaptionCycle();
    void trayMenuItemToggles();
    void movieFolderOfTheDisc_data();
    void movieFolderOfTheDisc();
    void imagesNeedDrivesThatTakeThem();
    void ejectButtonShowsItsPictureAndLetter_data();
    void ejectButtonShowsItsPictureAndLetter();
    void ejectPictureAboveTheLetter_data();
    void ejectPictureAboveTheLetter();
};

void TestVideoCd::noDriveAtAllIsQuiet()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    VideoCdLoader& vcd = w.videoCd();
    QCOMPARE(vcd.txtCDdrive, QString("CD Drive"));
    QVERIFY(vcd.List1.isEmpty());
    QVERIFY(vcd.Text2.isEmpty());
    QCOMPARE(w.engine().status(), StatusText::Idle);
    QVERIFY(!vcd.noticeShown());
    QVERIFY(!w.engine().panel().cmdPlay->isEnabled()); // the panel stays disabled
    QVERIFY(rig.player.openedFiles.isEmpty());
    QVERIFY(rig.exitCodes.isEmpty());
}

void TestVideoCd::oneDriveWithoutDisc()
{
    FakeRig rig;
    addUnreadableDrives(rig, {"sr0"});
    Playerfrm& w = rig.load();
    VideoCdLoader& vcd = w.videoCd();
    QCOMPARE(w.engine().status(), StatusText::NoMovies);
    QCOMPARE(vcd.List1, (QStringList{"sr0", "sr0"})); // both attempts use the one drive
    QCOMPARE(vcd.txtCDdrive, QString("SR0"));
    QCOMPARE(vcd.Text2, QString("SR0:\\Mpegav"));
    QVERIFY(!w.engine().watchdogArmed());
    QVERIFY(!w.cmdCapture->isEnabled());
    QVERIFY(!w.cmdBookmark->isEnabled());
    QVERIFY(!w.mnuaddbookmark->isEnabled());
    QVERIFY(!w.trackPanel().Songcmd[0]->isEnabled());
}

void TestVideoCd::driveListGrowsAtEveryScan()
{
    FakeRig rig;
    addUnreadableDrives(rig, {"sr0", "sr1"});
    Playerfrm& w = rig.load();
    VideoCdLoader& vcd = w.videoCd();
    // First scan D, E; the retry appends them again and picks entry 1, the second drive.
    QCOMPARE(vcd.List1, (QStringList{"sr0", "sr1", "sr0", "sr1"}));
    QCOMPARE(vcd.txtCDdrive, QString("SR1"));
    w.Command29();
    QCOMPARE(vcd.List1.size(), 8);
    QCOMPARE(vcd.txtCDdrive, QString("SR1"));

    // A later scan that finds no drive leaves the last drive in place.
    rig.drives.list.clear();
    w.Command29();
    QCOMPARE(vcd.txtCDdrive, QString("SR1"));
    QCOMPARE(vcd.List1.size(), 8);
}

void TestVideoCd::vcdAutoOffReloadsKnownFolderOnly()
{
    FakeRig rig;
    addUnreadableDrives(rig, {"sr0"});
    rig.settings.values["VCD Auto"] = "0";
    Playerfrm& w = rig.load();
    QCOMPARE(rig.drives.driveQueries, 0); // no scan
    QCOMPARE(w.engine().status(), StatusText::Idle);
    QVERIFY(!w.cmdCapture->isEnabled());
    QVERIFY(!w.cmdBookmark->isEnabled());
    QVERIFY(!w.mnuvcdbookmark->isEnabled());
    QVERIFY(w.mnuOpenVCD->isEnabled());
    QVERIFY(rig.player.openedFiles.isEmpty());
}

void TestVideoCd::menuDetectionWithoutDrive()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    w.bookmark().setControls(true, std::nullopt, true);
    w.mnuOpenVCD->trigger();
    QVERIFY(!w.cmdBookmark->isEnabled());
    QVERIFY(!w.MnuClearbookmark->isEnabled());
    QCOMPARE(w.engine().File1().Path(), QCoreApplication::applicationDirPath());
    QCOMPARE(w.engine().status(), StatusText::Idle); // no message
}

void TestVideoCd::bookmarkCheck_data()
{
    QTest::addColumn<QString>("storedPath");
    QTest::addColumn<QString>("storedId");
    QTest::addColumn<bool>("matches");
    QTest::newRow("same file, same disc") << "PLAYING"
                                          << "1234" << true;
    QTest::newRow("other disc") << "PLAYING"
                                << "1235" << false;
    QTest::newRow("path differs in case") << "playing-upper"
                                          << "1234" << false;
    QTest::newRow("cleared bookmark") << ""
                                      << "" << false;
}

void TestVideoCd::bookmarkCheck()
{
    QFETCH(QString, storedPath);
    QFETCH(QString, storedId);
    QFETCH(bool, matches);
    FileFolder dir({"Track.dat"});
    FakeRig rig;
    rig.drives.add("sr0", 1234);
    Playerfrm& w = rig.window();
    w.videoCd().txtCDdrive = "SR0";
    const QString playing = dir.file("Track.dat");
    rig.settings.values["Bookmarkpath"] = storedPath == "PLAYING"         ? playing
                                          : storedPath == "playing-upper" ? playing.toUpper()
                                                                          : storedPath;
    rig.settings.values["Bookmarkid"] = storedId;
    rig.settings.values["Bookmark"] = "754.3";
    w.bookmark().setControls(true, true, std::nullopt);

    w.engine().File1().setSingleFile(playing);
    w.engine().StartListPlayback();
    QVERIFY(w.bookmark().cdis2txt.isEmpty());
    rig.settle(); // reaching the playing state runs the check
    QCOMPARE(w.bookmark().cdis2txt, QString("1234"));
    QCOMPARE(w.bookmark().Bookcurrtxt, QString("754.3"));
    QCOMPARE(w.mnuvcdbookmark->isEnabled(), matches);
    if (matches) {
        QVERIFY(w.MnuClearbookmark->isEnabled());
        QVERIFY(!w.cmdBookmark->isEnabled());
        QVERIFY(!w.mnuaddbookmark->isEnabled());
    } else {
        QVERIFY(w.cmdBookmark->isEnabled()); // only "Retrieve" changes
    }
}

void TestVideoCd::failedDeviceTestNeitherShowsBoxNorEnds()
{
    FileFolder dir(numberedClips(1));
    FakeRig rig; // the open test fails as on a machine without a drive
    Playerfrm& w = rig.load(dir.file("f001.mpg"));
    QVERIFY(rig.mci.sent.contains("open cdaudio alias cd69 wait shareable"));
    QVERIFY(rig.exitCodes.isEmpty());
    QCOMPARE(w.engine().status(), StatusText::playing("f001.mpg"));
    QCOMPARE(w.bookmark().cdis2txt, QString("0")); // "CD Drive" has no serial
}

void TestVideoCd::hundredThirtyFiles()
{
    FileFolder dir(numberedClips(130));
    FakeRig rig;
    Playerfrm& w = rig.window();
    PlaybackEngine& e = w.engine();
    e.File1().setPattern("*.mpg");
    QVERIFY(e.File1().setPath(dir.path()));
    QVERIFY(e.File1().setListIndex(0));
    e.StartListPlayback();
    for (QPushButton* button : w.trackPanel().Songcmd)
        QVERIFY(button->isEnabled());
    w.trackPanel().Songcmd[41]->click();
    rig.settle();
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("42 of 130"));
    QVERIFY(e.selectJumpItem(50)); // entry 51, track 52: no button, label kept
    QCOMPARE(rig.player.FileName(), dir.file("f052.mpg"));
    rig.settle();
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("42 of 130"));
    w.trackPanel().Songcmd[6]->click();
    rig.settle();
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("07 of 130"));
}

void TestVideoCd::buttonsLeftEnabledByLongerList()
{
    FileFolder longer(numberedClips(20));
    FileFolder shorter(numberedClips(5));
    FakeRig rig;
    Playerfrm& w = rig.window();
    PlaybackEngine& e = w.engine();
    e.File1().setPattern("*.mpg");
    QVERIFY(e.File1().setPath(longer.path()));
    QVERIFY(e.File1().setListIndex(0));
    e.StartListPlayback();
    QVERIFY(e.File1().setPath(shorter.path()));
    QVERIFY(e.File1().setListIndex(2));
    e.StartListPlayback();
    rig.settle();
    QVERIFY(w.trackPanel().Songcmd[9]->isEnabled()); // kept from the list of 20
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("03 of 5"));
    // Its index does not exist: the current track starts again.
    rig.player.openedFiles.clear();
    w.trackPanel().Songcmd[9]->click();
    QCOMPARE(rig.player.openedFiles, QStringList{shorter.file("f003.mpg")});
    QCOMPARE(e.File1().ListIndex(), 2);
}

void TestVideoCd::trayCaptionCycle()
{
    FakeRig rig;
    addUnreadableDrives(rig, {"sr0"});
    Playerfrm& w = rig.load();
    rig.mci.sent.clear();
    const int queries = rig.drives.driveQueries;
    w.cmdOpencdrom->click();
    QCOMPARE(w.cmdOpencdrom->text(), QString("C"));
    QCOMPARE(rig.mci.sent, QStringList{"Set CDAudio Door Open Wait"});
    QCOMPARE(rig.drives.driveQueries, queries); // opening does not look for a disc
    w.cmdOpencdrom->click();
    QCOMPARE(w.cmdOpencdrom->text(), QString("E"));
    QCOMPARE(rig.mci.sent.at(1), QString("Set CDAudio Door Closed Wait"));
    QVERIFY(rig.drives.driveQueries > queries); // closing detects the new disc
    QCOMPARE(w.engine().status(), StatusText::NoMovies);
    QCOMPARE(rig.player.calls.last(), QString("SetFocus"));
}

void TestVideoCd::trayMenuItemToggles()
{
    FakeRig rig;
    Playerfrm& w = rig.load();
    QCOMPARE(w.mnutray->text(), QString("Open CD Tray"));
    w.mnutray->trigger();
    w.mnutray->trigger();
    QCOMPARE(rig.mci.sent.mid(rig.mci.sent.size() - 2),
             (QStringList{"Set CDAudio Door Open Wait", "Set CDAudio Door Closed Wait"}));
    QCOMPARE(w.cmdOpencdrom->text(), QString("E"));
}

void TestVideoCd::ejectButtonShowsItsPictureAndLetter_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1x") << qreal(1);
    QTest::newRow("2x") << qreal(2);
}

// The eject button shows an eject sign above its letter; enabled it is drawn in the text's full
// colour, disabled in the grey of every disabled control, so the two never look alike.
void TestVideoCd::ejectButtonShowsItsPictureAndLetter()
{
    QFETCH(qreal, scale);
    FakeRig rig;
    Playerfrm& w = rig.load();
    auto* eject = qobject_cast<EjectButton*>(w.cmdOpencdrom);
    QVERIFY(eject);
    QCOMPARE(eject->text(), QString("E"));
    QCOMPARE(eject->toolTip(), QString("Eject CD"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QStyleOptionButton option;
    option.initFrom(eject);
    const QRect contents =
        eject->style()->subElementRect(QStyle::SE_PushButtonContents, &option, eject);
    const EjectButton::Layout layout =
        EjectButton::layoutFor(contents, eject->fontMetrics().height());
    eject->setEnabled(true);
    const QImage enabled = drawn(eject, scale);
    eject->setEnabled(false);
    const QImage disabled = drawn(eject, scale);

    // The sign: solid in the middle of its upper half and of its bar, open at its top corners.
    const QRectF sign = layout.picture;
    const qreal pixel = 1 / scale;
    const QRectF middle(sign.center().x() - 1, sign.top() + sign.height() * 0.45, 2, 2);
    const QRectF bar(sign.center().x() - 1, sign.bottom() - sign.height() * 0.12, 2, pixel);
    const QRectF corner(sign.left(), sign.top(), sign.width() * 0.2, sign.height() * 0.2);
    QVERIFY(inkIn(enabled, middle) > 0);
    QVERIFY(inkIn(enabled, bar) > 0);
    QCOMPARE(inkIn(enabled, corner), 0);
    QVERIFY2(inkIn(enabled, layout.letter) > 0, "no letter below the sign");
    // Disabled, none of it is as dark as enabled text.
    QCOMPARE(inkIn(disabled, QRectF(contents)), 0);
    QVERIFY(inkIn(enabled, QRectF(contents)) > 10 * scale * scale);
}

void TestVideoCd::ejectPictureAboveTheLetter_data()
{
    QTest::addColumn<QRectF>("contents");
    QTest::addColumn<qreal>("letterHeight");
    QTest::newRow("design size") << QRectF(2, 2, 16, 21) << qreal(10);
    QTest::newRow("twice the design size") << QRectF(4, 4, 36, 46) << qreal(10);
    QTest::newRow("wide and low") << QRectF(2, 2, 60, 18) << qreal(10);
    QTest::newRow("narrow and tall") << QRectF(1, 1, 8, 60) << qreal(10);
    QTest::newRow("too small for anything") << QRectF(0, 0, 2, 2) << qreal(10);
}

void TestVideoCd::ejectPictureAboveTheLetter()
{
    QFETCH(QRectF, contents);
    QFETCH(qreal, letterHeight);
    const EjectButton::Layout layout = EjectButton::layoutFor(contents, letterHeight);
    QVERIFY(contents.contains(layout.letter));
    QVERIFY(layout.picture.isEmpty() || contents.contains(layout.picture));
    QVERIFY(layout.picture.bottom() <= layout.letter.top());
    QVERIFY(layout.letter.height() <= letterHeight);
    // The sign is a little wider than high, centred above the letter.
    if (!layout.picture.isEmpty()) {
        QVERIFY(layout.picture.width() <= layout.picture.height() * 1.15 + 1e-9);
        QVERIFY(std::abs(layout.picture.center().x() - contents.center().x()) < 1e-9);
    }
}

QTEST_MAIN(TestVideoCd)
#include "test_video_cd.moc"

void TestVideoCd::movieFolderOfTheDisc_data()
{
    QTest::addColumn<QStringList>("mpegav"); // "-": no such folder
    QTest::addColumn<QStringList>("mpeg2");
    QTest::addColumn<QString>("folder"); // empty: no movies
    QTest::addColumn<QStringList>("tracks");
    const QStringList none{"-"};
    const QStringList dat{"AVSEQ02.DAT", "AVSEQ01.DAT"};
    const QStringList mpg{"AVSEQ01.MPG", "avseq02.mpg", "README.TXT"};
    QTest::newRow("Video CD") << dat << none << "SR0:\\Mpegav"
                              << QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"};
    QTest::newRow("Super Video CD")
        << none << mpg << "SR0:\\MPEG2" << QStringList{"AVSEQ01.MPG", "avseq02.mpg"};
    QTest::newRow("both: the Video CD")
        << dat << mpg << "SR0:\\Mpegav" << QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"};
    QTest::newRow("empty MPEGAV beside MPEG2")
        << QStringList{} << mpg << QString() << QStringList{};
    QTest::newRow("empty MPEG2") << none << QStringList{} << QString() << QStringList{};
    QTest::newRow("MPEG2 without .MPG")
        << none << QStringList{"AVSEQ01.DAT"} << QString() << QStringList{};
    QTest::newRow("neither") << none << none << QString() << QStringList{};
}

// A Super Video CD's MPEG2 folder is its movie folder only when there is no MPEGAV.
void TestVideoCd::movieFolderOfTheDisc()
{
    QFETCH(QStringList, mpegav);
    QFETCH(QStringList, mpeg2);
    QFETCH(QString, folder);
    QFETCH(QStringList, tracks);
    FakeRig rig;
    rig.drives.add("sr0");
    if (mpegav != QStringList{"-"})
        rig.folderLister.discFolders["SR0:\\Mpegav"] = mpegav;
    if (mpeg2 != QStringList{"-"})
        rig.folderLister.discFolders["SR0:\\MPEG2"] = mpeg2;
    Playerfrm& w = rig.load();
    if (folder.isEmpty()) {
        QCOMPARE(w.engine().status(), StatusText::NoMovies);
        QVERIFY(rig.player.openedFiles.isEmpty());
        return;
    }
    QCOMPARE(w.videoCd().Text2, folder);
    QCOMPARE(w.engine().File1().entries(), tracks);
    QCOMPARE(rig.player.openedFiles, QStringList{folder + '\\' + tracks.front()});
    QCOMPARE(w.trackPanel().lblTrack_Display->text(), QString("01 of 2"));
    // The Video CD pattern is back for the next disc.
    rig.folderLister.discFolders.clear();
    rig.folderLister.discFolders["SR0:\\Mpegav"] = dat();
    w.Command29();
    rig.settle();
    QCOMPARE(w.engine().File1().Pattern(), QString("*.dat"));
    QCOMPARE(w.videoCd().Text2, QString("SR0:\\Mpegav"));
}

// Drives that take no images leave an image path to the play list.
void TestVideoCd::imagesNeedDrivesThatTakeThem()
{
    FakeRig rig;
    FileFolder discs({"karaoke.cue"});
    Playerfrm& w = rig.load(discs.file("karaoke.cue"));
    QCOMPARE(w.engine().File1().entries(), QStringList{"karaoke.cue"});
    QVERIFY(!w.videoCd().playDiscImage(discs.file("karaoke.cue")));
}
