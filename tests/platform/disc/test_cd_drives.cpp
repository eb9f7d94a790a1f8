// Drive discovery, disc serials, trays and the device commands on the images of
// scripts/make-test-discs.sh (TAMREL_TEST_DISCS), read by libcdio.

#include "disc_rig.h"
#include "platform/disc/linux_cd_drives.h"
#include "platform/disc/mci_interpreter.h"
#include "test_media.h"
#include "unprivileged.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString describe(const QList<CdDrive>& drives)
{
    QStringList out;
    for (const CdDrive& d : drives)
        out << QStringLiteral("%1=%2%3").arg(d.id, d.source, d.isImage ? " image" : "");
    return out.join(", ");
}

} // namespace

class TestCdDrives : public QObject {
    Q_OBJECT

private slots:

    void parseDriveList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("drives");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("images in list order, devices by node name")
            << "/dev/sr1:/a/x.cue:b.ISO:/dev/sr0:/c/y.bin:/d/z.nrg:/e/w.toc"
            << "sr1=/dev/sr1, img0=/a/x.cue image, img1=b.ISO image, sr0=/dev/sr0, "
               "img2=/c/y.bin image, img3=/d/z.nrg image, img4=/e/w.toc image";
        QTest::newRow("empty entries skipped") << "::/a/x.cue::"
                                               << "img0=/a/x.cue image";
        QTest::newRow("node names that are no identifier skipped")
            << "/dev/cd-rw:/dev/0sr:/dev/:/dev/sr0"
            << "sr0=/dev/sr0";
        QTest::newRow("node name ending in a newline skipped") << "/dev/sr0\n:/dev/sr1"
                                                               << "sr1=/dev/sr1";
        QTest::newRow("repeated node name skipped") << "/dev/sr0:/tmp/SR0:/dev/sr1"
                                                    << "sr0=/dev/sr0, sr1=/dev/sr1";
        QTest::newRow("missing files kept") << "/nowhere/sr7:/nowhere/a.cue"
                                            << "sr7=/nowhere/sr7, img0=/nowhere/a.cue image";
    }
    void parseDriveList()
    {
        QFETCH(QString, list);
        QFETCH(QString, drives);
        QCOMPARE(describe(DriveDiscovery::parseDriveList(list)), drives);
    }

    void discovery()
    {
        QTemporaryDir sys;
        for (const char* name : {"sr10", "sda", "sr2", "sr0", "loop0"})
            QVERIFY(QDir(sys.path()).mkdir(name));
        // A drive list, even an empty one, replaces discovery.
        QCOMPARE(describe(DriveDiscovery(QString(""), sys.path(), "/devices").discover()),
                 QString());
        QCOMPARE(describe(DriveDiscovery(QString("/dev/sr5"), sys.path(), "/devices").discover()),
                 QString("sr5=/dev/sr5"));
        const DriveDiscovery system(std::nullopt, sys.path(), "/devices");
        QCOMPARE(describe(system.discover()),
                 QString("sr0=/devices/sr0, sr2=/devices/sr2, sr10=/devices/sr10"));
        // Drives that come later are found by the next discovery.
        QVERIFY(QDir(sys.path()).mkdir("sr1"));
        QCOMPARE(describe(system.discover()), QString("sr0=/devices/sr0, sr1=/devices/sr1, "
                                                      "sr2=/devices/sr2, sr10=/devices/sr10"));
        // The variable is read once, when the discovery is made.
        qputenv("TAMREL_CD_DRIVES", "/dev/sr5");
        const DriveDiscovery fromVariable = DriveDiscovery::fromEnvironment(sys.path(), "/devices");
        qputenv("TAMREL_CD_DRIVES", "/dev/sr6");
        QCOMPARE(describe(fromVariable.discover()), QString("sr5=/dev/sr5"));
        qunsetenv("TAMREL_CD_DRIVES");
        QVERIFY(!DriveDiscovery::fromEnvironment().usesDriveList());
    }

    void serialNumber_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("serial"); // hex; "other" = neither 0 nor vcd-a's
        QTest::newRow("vcd-a") << TestMedia::disc("vcd-a.cue") << "img0"
                               << "5864d78f";
        QTest::newRow("upper-case id") << TestMedia::disc("vcd-a.cue") << "IMG0"
                                       << "5864d78f";
        QTest::newRow("second drive")
            << TestMedia::disc("vcd-b.cue") + ':' + TestMedia::disc("vcd-a.bin") << "img1"
            << "5864d78f";
        QTest::newRow("vcd-b") << TestMedia::disc("vcd-b.cue") << "img0"
                               << "other";
        QTest::newRow("vcd-a a second later") << TestMedia::disc("vcd-a-late.cue") << "img0"
                                              << "other";
        QTest::newRow("mode 1 iso") << TestMedia::disc("mode1.iso") << "img0"
                                    << "other";
        QTest::newRow("cut before its descriptor") << TestMedia::disc("stub.cue") << "img0"
                                                   << "0";
        QTest::newRow("missing image") << TestMedia::disc("none.cue") << "img0"
                                       << "0";
        QTest::newRow("no such drive") << TestMedia::disc("vcd-a.cue") << "img1"
                                       << "0";
        QTest::newRow("\"CD Drive\"") << TestMedia::disc("vcd-a.cue") << "CD Drive"
                                      << "0";
        QTest::newRow("device that is no CD") << "/dev/null"
                                              << "null"
                                              << "0";
        QTest::newRow("directory as device") << "/tmp"
                                             << "tmp"
                                             << "0";
    }
    void serialNumber()
    {
        QFETCH(QString, list);
        QFETCH(QString, id);
        QFETCH(QString, serial);
        const qint32 value = DiscRig(list).drives.SerNum(id);
        if (serial == "other")
            QVERIFY2(value != 0 && value != 0x5864D78F, qPrintable(QString::number(value)));
        else
            QCOMPARE(QString::number(quint32(value), 16), serial);
    }

    // $TMP holds a directory named "sub.iso" and a plain file named "sr3".
    void canOpen_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("opens");
        QTest::newRow("image") << TestMedia::disc("vcd-a.cue") << true;
        QTest::newRow("damaged image still opens") << TestMedia::disc("stub.cue") << true;
        QTest::newRow("missing image") << TestMedia::disc("none.iso") << false;
        QTest::newRow("directory as image") << "$TMP/sub.iso" << false;
        QTest::newRow("character device") << "/dev/null" << true;
        QTest::newRow("missing device") << "/nowhere/sr3" << false;
        QTest::newRow("plain file as device") << "$TMP/sr3" << false;
    }
    void canOpen()
    {
        QFETCH(QString, list);
        QFETCH(bool, opens);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub.iso"));
        QVERIFY(QFile(dir.filePath("sr3")).open(QIODevice::WriteOnly));
        DiscRig rig(list.replace("$TMP", dir.path()));
        QCOMPARE(rig.drives.canOpen(rig.drives.drives().value(0).id), opens);
    }

    // An image drive's tray takes the disc out until it closes; the device commands reach it.
    void imageTray()
    {
        DiscRig rig(TestMedia::disc("vcd-a.cue"));
        LinuxCdDrives& drives = rig.drives;
        MciInterpreter mci(drives);
        const QString folder = "IMG0:\\Mpegav";
        std::unique_ptr<DiscStream> stream = rig.library.openFile(folder + "\\avseq01.dat");
        QVERIFY(stream);
        char buffer[100];
        QCOMPARE(stream->read(0, buffer, 100), 100);

        QCOMPARE(mci.send("Set CDAudio Door Open Wait"), 0);
        QVERIFY(!rig.lister.listFiles(folder));
        QCOMPARE(drives.SerNum("img0"), 0);
        QCOMPARE(stream->read(0, buffer, 100), -1);
        QVERIFY(!rig.library.openFile(folder + "\\AVSEQ01.DAT"));
        // The device itself is still there, as with a real empty drive.
        QCOMPARE(mci.send("open cdaudio alias cd69 wait shareable"), 0);
        QVERIFY(drives.openTray("img0"));

        QCOMPARE(mci.send("Set CDAudio Door Closed Wait"), 0);
        QCOMPARE(rig.lister.listFiles(folder)->size(), 3);
        QCOMPARE(drives.SerNum("img0"), 0x5864D78F);
        QCOMPARE(stream->read(0, buffer, 100), -1); // a new disc, so old handles stay dead
        QVERIFY(rig.library.openFile(folder + "\\AVSEQ01.DAT"));

        QVERIFY(!drives.openTray("img1"));
        DiscRig none("");
        MciInterpreter noDrive(none.drives);
        QCOMPARE(noDrive.send("Set CDAudio Door Open Wait"),
                 long(MciInterpreter::DeviceNotAvailable));
        QCOMPARE(noDrive.send("open cdaudio alias cd69 wait shareable"),
                 long(MciInterpreter::DeviceNotAvailable));
    }

    // An image opened at run time: its drive comes first for the device commands too, and a
    // second image cuts off what was read from the first.
    void openedImageDrive()
    {
        DiscRig rig(TestMedia::disc("vcd-b.cue"));
        MciInterpreter mci(rig.drives);
        QCOMPARE(rig.drives.insertImage(TestMedia::disc("clip1.mpg")), std::nullopt);
        QCOMPARE(rig.drives.insertImage(TestMedia::disc("vcd-a.cue")), QString("img1"));
        QCOMPARE(describe(rig.drives.drives()),
                 QString("img1=%1 image, img0=%2 image")
                     .arg(TestMedia::disc("vcd-a.cue"), TestMedia::disc("vcd-b.cue")));
        std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG1:\\Mpegav\\AVSEQ01.DAT");
        QVERIFY(stream);
        char buffer[100];
        QCOMPARE(stream->read(0, buffer, 100), 100);

        QCOMPARE(mci.send("Set CDAudio Door Open Wait"), 0);
        QCOMPARE(rig.drives.SerNum("img1"), 0);
        QVERIFY(rig.drives.SerNum("img0") != 0); // the tray that moved is the first drive's
        // Opening an image puts it in, whatever the tray did before.
        QCOMPARE(rig.drives.insertImage(TestMedia::disc("svcd.nrg")), QString("img1"));
        QVERIFY(rig.drives.SerNum("img1") != 0);
        QCOMPARE(stream->read(0, buffer, 100), -1);
        QCOMPARE(rig.lister.listFiles("IMG1:\\MPEG2")->size(), 3);
        QVERIFY(!rig.lister.listFiles("IMG1:\\Mpegav"));
        QCOMPARE(rig.drives.drives().size(), 2);
    }

    void unreadableSources()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        QVERIFY(QFile::copy(TestMedia::disc("vcd-a.cue"), dir.filePath("vcd-a.cue")));
        QVERIFY(QFile::copy(TestMedia::disc("vcd-a.bin"), dir.filePath("vcd-a.bin")));
        QVERIFY(QFile::copy(TestMedia::disc("mode1.iso"), dir.filePath("mode1.iso")));
        for (const char* name : {"vcd-a.cue", "vcd-a.bin", "mode1.iso"})
            QVERIFY(QFile::setPermissions(dir.filePath(name), {}));
        // A device node only root may open; a plain file stands in where nodes can't be made.
        const QByteArray node = QFile::encodeName(dir.filePath("sr9"));
        if (::mknod(node.constData(), S_IFBLK | 0600, makedev(11, 9)) != 0)
            QVERIFY(QFile(dir.filePath("sr9")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(dir.filePath("sr9"), QFile::ReadOwner | QFile::WriteOwner));
        const QString list =
            dir.filePath("sr9") + ':' + dir.filePath("vcd-a.cue") + ':' + dir.filePath("mode1.iso");
        const int failures = asUnprivileged([&list] {
            DiscRig rig(list);
            MciInterpreter mci(rig.drives);
            int failed = 0;
            for (const QString id : {"sr9", "img0", "img1"}) {
                failed += rig.drives.canOpen(id) ? 1 : 0;
                failed += rig.drives.SerNum(id) != 0 ? 1 : 0;
                failed += rig.lister.listFiles(id + ":\\Mpegav") ? 1 : 0;
            }
            failed += mci.send("open cdaudio alias cd69 wait shareable") !=
                      MciInterpreter::DeviceCannotOpen;
            return failed;
        });
        QCOMPARE(failures, 0);
    }
};

QTEST_GUILESS_MAIN(TestCdDrives)
#include "test_cd_drives.moc"
