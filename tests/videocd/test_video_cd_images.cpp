// Disc images opened as discs, with the real player (no picture, no sound) and the real disc
// layer on the images of scripts/make-test-discs.sh (TAMREL_TEST_DISCS): every form vcdimager
// writes of a VCD 1.1, a VCD 2.0 and a Super Video CD, the path rules, the tray, the serial
// number, and damaged or odd files that must end quietly.

#include "app/player_window.h"
#include "disc_rig.h"
#include "fake_platform.h"
#include "platform/disc/mci_interpreter.h"
#include "platform/player/mpv_player.h"
#include "playback/playback_engine.h"
#include "playback/playback_panel.h"
#include "playback/status_text.h"
#include "test_media.h"
#include "unprivileged.h"
#include "videocd/track_panel.h"
#include "videocd/video_cd_loader.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The program with no CD drive at all (an empty drive list), the real player and disc layer.
struct Run {
    explicit Run(const QString& driveList = QString())
        : discs(driveList), player(MpvPlayer::Options{false, {"ao=null"}, &discs.library}),
          mci(discs.drives)
    {
        PlatformServices services = fakes.services();
        services.player = &player;
        services.drives = &discs.drives;
        services.folderLister = &discs.lister;
        services.mci = &mci;
        window = std::make_unique<Playerfrm>(services);
    }
    VideoCdLoader& videoCd() { return window->videoCd(); }
    QString status() { return window->engine().status(); }
    QString trackLabel() { return window->trackPanel().lblTrack_Display->text(); }
    bool playing()
    {
        return QTest::qWaitFor([this] { return player.PlayState() == MediaPlayer::Playing; }, 5000);
    }
    qint32 serial() { return discs.drives.SerNum(videoCd().txtCDdrive); }

    DiscRig discs;
    FakeRig fakes; // settings, folders and the process end
    MpvPlayer player;
    MciInterpreter mci;
    std::unique_ptr<Playerfrm> window;
};

const QStringList DiscNames{"vcd11", "vcd2", "svcd"};
const QStringList ImageForms{".cue", "-2336.cue", ".toc", ".nrg", ".bin", "-2336.bin"};
const QStringList LockedImages{"svcd.nrg", "svcd-2336.bin", "vcd11.toc", "mode1.iso"};

const QString VideoCdFolder = QStringLiteral("IMG0:\\Mpegav");
const QString SuperVideoCdFolder = QStringLiteral("IMG0:\\MPEG2");

} // namespace

class TestVideoCdImages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

    void imagePlaysAsDisc_data();
    void imagePlaysAsDisc();
    void everyFormOfADiscHasItsSerial();
    void binBesideItsCueIsTheSameDisc();
    void secondImageReplacesTheFirst();
    void imageInTheDriveListKeepsItsDrive();
    void trayTakesTheImageOutAndBack();
    void patternChosenEarlierIsKeptAfterSuperVideoCd();
    void otherPathsStayPlayLists();
    void noVideoCdIsQuiet_data();
    void noVideoCdIsQuiet();
    void unreadableImageIsNoDisc();
};

void TestVideoCdImages::imagePlaysAsDisc_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("tracks");
    const QList<std::pair<QString, QString>> discs{
        {"VCD 1.1", "vcd11"}, {"VCD 2.0", "vcd2"}, {"SVCD", "svcd"}};
    for (const auto& [kind, name] : discs) {
        const QString folder = name == "svcd" ? SuperVideoCdFolder : VideoCdFolder;
        const int tracks = name == "vcd11" ? 2 : 3;
        for (const QString& form : ImageForms)
            QTest::addRow("%s %s", qPrintable(kind), qPrintable(name + form))
                << TestMedia::disc(name + form) << folder << tracks;
        QTest::addRow("%s bin without its cue", qPrintable(kind))
            << "alone:" + name + ".bin" << folder << tracks;
        QTest::addRow("%s upper-case extension", qPrintable(kind))
            << "upper:" + name + ".nrg" << folder << tracks;
    }
    QTest::newRow("VCD 2.0 by vcdimager") << TestMedia::disc("vcd-a.cue") << VideoCdFolder << 3;
    QTest::newRow("Mode 1 iso") << TestMedia::disc("mode1.iso") << VideoCdFolder << 3;
    QTest::newRow("bin/cue cut in track 2")
        << TestMedia::disc("truncated.cue") << VideoCdFolder << 3;
}

// Started with the image on the command line: a disc in a drive, its tracks listed, track 1
// playing through libmpv.
void TestVideoCdImages::imagePlaysAsDisc()
{
    QFETCH(QString, image);
    QFETCH(QString, folder);
    QFETCH(int, tracks);
    QTemporaryDir dir;
    if (image.contains(':')) { // a copy: alone in a folder, or under an upper-case name
        const QString kind = image.section(':', 0, 0);
        const QString name = image.section(':', 1);
        image = dir.filePath(kind == "upper" ? name.toUpper() : name);
        QVERIFY(QFile::copy(TestMedia::disc(name), image));
    }
    Run run;
    run.window->Form_Load(image);
    QVERIFY2(run.playing(), qPrintable(run.status()));
    const QString first = folder == SuperVideoCdFolder ? "AVSEQ01.MPG" : "AVSEQ01.DAT";
    QCOMPARE(run.videoCd().txtCDdrive, QString("IMG0"));
    QCOMPARE(run.videoCd().Text2, folder);
    QCOMPARE(run.window->engine().File1().ListCount(), tracks);
    QCOMPARE(run.player.FileName(), folder + '\\' + first);
    QCOMPARE(run.status(), StatusText::playing(first));
    QTRY_COMPARE(run.trackLabel(), QString("01 of %1").arg(tracks));
    QVERIFY(run.player.Duration() > 1);
    QVERIFY(run.window->trackPanel().Songcmd[tracks - 1]->isEnabled());
    QVERIFY(!run.window->trackPanel().Songcmd[tracks]->isEnabled());
    QVERIFY(run.serial() != 0);
}

// The forms vcdimager writes of one disc hold the same volume descriptor, so a bookmark made on
// one is found on the others; opening an image again gives the same number.
void TestVideoCdImages::everyFormOfADiscHasItsSerial()
{
    for (const QString& name : DiscNames) {
        QSet<qint32> serials;
        for (const QString& form : ImageForms) {
            for (int opening = 0; opening < 2; ++opening) {
                DiscRig rig{QString()};
                const std::optional<QString> id =
                    rig.drives.insertImage(TestMedia::disc(name + form));
                QVERIFY(id);
                serials << rig.drives.SerNum(*id);
            }
        }
        QCOMPARE(serials.size(), 1);
        QVERIFY(!serials.contains(0));
    }
}

void TestVideoCdImages::binBesideItsCueIsTheSameDisc()
{
    Run run;
    run.window->Form_Load(TestMedia::disc("svcd.cue"));
    QVERIFY(run.playing());
    const qint32 serial = run.serial();
    QVERIFY(run.videoCd().playDiscImage(TestMedia::disc("svcd.bin")));
    QVERIFY(run.playing());
    const QList<CdDrive> drives = run.discs.drives.drives();
    QCOMPARE(drives.size(), 1);
    QCOMPARE(drives.front().source, TestMedia::disc("svcd.cue"));
    QCOMPARE(run.videoCd().List1.front(), QString("img0"));
    QCOMPARE(run.serial(), serial);
    QCOMPARE(run.player.FileName(), SuperVideoCdFolder + "\\AVSEQ01.MPG");
}

void TestVideoCdImages::secondImageReplacesTheFirst()
{
    Run run;
    run.window->Form_Load(TestMedia::disc("vcd-a.cue"));
    QVERIFY(run.playing());
    const qint32 first = run.serial();
    run.window->trackPanel().Songcmd[2]->click();
    QVERIFY(run.playing());

    QVERIFY(run.videoCd().playDiscImage(TestMedia::disc("svcd.nrg")));
    QVERIFY(run.playing());
    QCOMPARE(run.discs.drives.drives().size(), 1);
    QCOMPARE(run.discs.drives.drives().front().source, TestMedia::disc("svcd.nrg"));
    QCOMPARE(run.player.FileName(), SuperVideoCdFolder + "\\AVSEQ01.MPG");
    QTRY_COMPARE(run.trackLabel(), QString("01 of 3"));
    QVERIFY(run.serial() != first);

    // Back to a Video CD: its .DAT files are its tracks again.
    QVERIFY(run.videoCd().playDiscImage(TestMedia::disc("vcd11.toc")));
    QVERIFY(run.playing());
    QCOMPARE(run.window->engine().File1().entries(), (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
    QCOMPARE(run.window->engine().File1().Pattern(), QString("*.dat"));
}

// An image that is in the drive list already plays from its own drive, which comes first.
void TestVideoCdImages::imageInTheDriveListKeepsItsDrive()
{
    Run run(TestMedia::disc("vcd-b.cue") + ':' + TestMedia::disc("vcd-a.cue"));
    run.window->Form_Load(TestMedia::disc("vcd-a.cue"));
    QVERIFY(run.playing());
    QCOMPARE(run.videoCd().txtCDdrive, QString("IMG1"));
    QCOMPARE(run.discs.drives.drives().size(), 2);
    QCOMPARE(run.discs.drives.drives().front().id, QString("img1"));
    QCOMPARE(run.window->engine().File1().ListCount(), 3); // vcd-b has two
}

void TestVideoCdImages::trayTakesTheImageOutAndBack()
{
    Run run;
    run.window->Form_Load(TestMedia::disc("svcd-2336.cue"));
    QVERIFY(run.playing());
    run.window->trackPanel().Songcmd[1]->click();
    QVERIFY(run.playing());

    // The tray button is usable once playback stops.
    run.window->playbackPanel().cmdStop->click();
    QVERIFY(run.window->cmdOpencdrom->isEnabled());
    run.window->cmdOpencdrom->click();
    QCOMPARE(run.window->cmdOpencdrom->text(), QString("C"));
    QCOMPARE(run.serial(), 0); // out of the drive
    QVERIFY(!run.discs.library.listFiles(SuperVideoCdFolder));

    run.window->cmdOpencdrom->click();
    QCOMPARE(run.window->cmdOpencdrom->text(), QString("E"));
    QVERIFY(run.playing());
    QCOMPARE(run.player.FileName(), SuperVideoCdFolder + "\\AVSEQ01.MPG");
    QTRY_COMPARE(run.trackLabel(), QString("01 of 3"));
    QVERIFY(run.serial() != 0);
}

// The .MPG pattern is the Super Video CD's alone: a pattern the user chose before still rules
// the next Video CD.
void TestVideoCdImages::patternChosenEarlierIsKeptAfterSuperVideoCd()
{
    Run run;
    run.window->engine().File1().setPattern("*.mp3");
    run.window->Form_Load(TestMedia::disc("svcd.toc"));
    QVERIFY(run.playing());
    QVERIFY(run.videoCd().playDiscImage(TestMedia::disc("vcd-a.cue")));
    QCOMPARE(run.status(), StatusText::NoMovies);
    QCOMPARE(run.window->engine().File1().Pattern(), QString("*.mp3"));
}

void TestVideoCdImages::otherPathsStayPlayLists()
{
    Run run;
    run.window->Form_Load("\"" + TestMedia::disc("clip1.mpg") + "\"");
    QVERIFY(run.playing());
    QVERIFY(run.discs.drives.drives().isEmpty());
    QCOMPARE(run.window->engine().File1().entries(), QStringList{"clip1.mpg"});
    QCOMPARE(run.player.FileName(), TestMedia::disc("clip1.mpg"));
}

void TestVideoCdImages::noVideoCdIsQuiet_data()
{
    QTest::addColumn<QString>("image"); // a test disc, or a file made by the test
    QTest::addColumn<QByteArray>("content");
    const QByteArray made;
    QTest::newRow("CD-DA cue sheet") << TestMedia::disc("audio.cue") << made;
    QTest::newRow("CD-i disc") << TestMedia::disc("cd-i.cue") << made;
    // ISO 9660 volumes, hence a serial number, but no tracks.
    QTest::newRow("SVCD with empty MPEG2")
        << TestMedia::disc("empty-mpeg2.iso") << QByteArray("volume");
    QTest::newRow("no movie folder") << TestMedia::disc("no-mpegav.iso") << QByteArray("volume");
    QTest::newRow("bin cut before its volume descriptor") << TestMedia::disc("stub.cue") << made;
    QTest::newRow("cue naming a missing bin")
        << "x.cue"
        << QByteArray("FILE \"gone.bin\" BINARY\n  TRACK 01 MODE2/2352\n"
                      "    INDEX 01 00:00:00\n");
    QTest::newRow("2336 cue naming a missing bin")
        << "x.cue" << QByteArray("FILE \"gone.bin\" BINARY\n  TRACK 01 MODE2/2336\n");
    QTest::newRow("cue naming a shorter bin") << "x.cue"
                                              << QByteArray("FILE \"short.bin\" BINARY\n"
                                                            "  TRACK 01 MODE2/2352\n"
                                                            "    INDEX 01 00:00:00\n");
    QTest::newRow("cue with bad syntax")
        << "x.cue" << QByteArray("FILE \"short.bin\" BINARY\nTRACK\nINDEX 01 zz:zz\nFILE\n");
    QTest::newRow("cue with absurd times")
        << "x.cue"
        << QByteArray("FILE \"short.bin\" BINARY\n  TRACK 01 MODE2/2352\n"
                      "    INDEX 01 99:99:99\n  TRACK 02 MODE2/2352\n"
                      "    INDEX 00 4000000:00:00\n    INDEX 01 -5:00:00\n");
    QTest::newRow("truncated NRG") << "x.nrg" << QByteArray("first half of svcd.nrg");
    QTest::newRow("toc naming a missing file")
        << "x.toc" << QByteArray("TRACK MODE2_RAW\nDATAFILE \"gone.img\"\n");
    for (const char* name : {"x.cue", "x.bin", "x.nrg", "x.toc", "x.iso"}) {
        QTest::addRow("random bytes as %s", name) << name << QByteArray("random");
        QTest::addRow("folder named %s", name) << name << QByteArray("folder");
        QTest::addRow("pipe named %s", name) << name << QByteArray("pipe");
    }
    QTest::newRow("missing image") << "gone.iso" << QByteArray("missing");
}

// Each ends with the quiet text of an empty drive, and nothing is played.
void TestVideoCdImages::noVideoCdIsQuiet()
{
    QFETCH(QString, image);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const bool volume = content == "volume";
    if (!content.isEmpty() && !volume) {
        image = dir.filePath(image);
        // The bin of the cue sheets: sector 16 and everything after it missing.
        QVERIFY(TestMedia::writeFile(
            dir.filePath("short.bin"),
            TestMedia::fileBytes(TestMedia::disc("vcd-a.bin")).left(2352 * 16)));
        QByteArray bytes = content;
        if (content == "random") {
            bytes.resize(300000);
            quint32 seed = 12345;
            for (char& c : bytes)
                c = char((seed = seed * 1103515245 + 12345) >> 16);
        } else if (content.startsWith("first half")) {
            const QByteArray whole = TestMedia::fileBytes(TestMedia::disc("svcd.nrg"));
            bytes = whole.left(whole.size() / 2);
        }
        if (content == "folder")
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(image).fileName()));
        else if (content == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(image).constData(), 0600), 0);
        else if (content != "missing")
            QVERIFY(TestMedia::writeFile(image, bytes));
    }
    Run run;
    // A read that never comes back (the pipe) is caught by the test's time limit.
    run.window->Form_Load(image);
    QTRY_COMPARE_WITH_TIMEOUT(run.status(), StatusText::NoMovies, 10000);
    QCOMPARE(run.videoCd().txtCDdrive, QString("IMG0"));
    QVERIFY(run.player.FileName().isEmpty());
    QVERIFY(!run.window->trackPanel().Songcmd[0]->isEnabled());
    QCOMPARE(run.serial() != 0, volume);
    QVERIFY(run.fakes.exitCodes.isEmpty());
}

// An image the user may not read is a drive without a readable disc.
void TestVideoCdImages::unreadableImageIsNoDisc()
{
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    for (const QString& name : LockedImages) {
        const QString copy = dir.filePath(name);
        QVERIFY(QFile::copy(TestMedia::disc(name), copy));
        QVERIFY(QFile::setPermissions(copy, {}));
    }
    for (const QString& file : QDir(TestMedia::discsFolder()).entryList({"vcd11_*"}))
        QVERIFY(QFile::copy(TestMedia::disc(file), dir.filePath(file)));
    const int result = asUnprivileged([&] {
        for (const QString& name : LockedImages) {
            DiscRig rig{QString()};
            const std::optional<QString> id = rig.drives.insertImage(dir.filePath(name));
            if (!id || rig.drives.SerNum(*id) != 0 || rig.library.listFiles(*id + ":\\MPEG2") ||
                rig.library.listFiles(*id + ":\\Mpegav"))
                return 1;
        }
        return 0;
    });
    QCOMPARE(result, 0);
}

QTEST_MAIN(TestVideoCdImages)
#include "test_video_cd_images.moc"
