// The drives a folder can be picked from: which volumes count, which drive holds a path, and
// which roots can be opened now.
#include "platform/files/mounted_volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestMountedVolumes : public QObject {
    Q_OBJECT
private slots:
    void driveOfPath_data();
    void driveOfPath();
    void pseudoFileSystems_data();
    void pseudoFileSystems();
    void driveUsable_data();
    void driveUsable();
    void drivesOfThisMachine();
};

void TestMountedVolumes::driveOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("drive");
    QTest::newRow("on the root volume") << "/home/user/music"
                                        << "/";
    QTest::newRow("inside a mounted disc") << "/media/cd/MPEGAV"
                                           << "/media/cd";
    QTest::newRow("the mount point itself") << "/media/cd"
                                            << "/media/cd";
    QTest::newRow("a name that only starts alike") << "/media/cdrom/x"
                                                   << "/";
    QTest::newRow("nested mounts take the longest") << "/media/cd/inner/a"
                                                    << "/media/cd/inner";
}

void TestMountedVolumes::driveOfPath()
{
    QFETCH(QString, path);
    QFETCH(QString, drive);
    QCOMPARE(MountedVolumes::driveOf(path, {"/", "/media/cd/inner", "/media/cd", "/mnt"}), drive);
}

void TestMountedVolumes::pseudoFileSystems_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("pseudo");
    QTest::newRow("proc") << QByteArray("proc") << true;
    QTest::newRow("tmpfs in capitals") << QByteArray("TMPFS") << true;
    QTest::newRow("a desktop's fuse mount") << QByteArray("fuse.gvfsd-fuse") << true;
    QTest::newRow("ext4") << QByteArray("ext4") << false;
    QTest::newRow("a CD") << QByteArray("iso9660") << false;
    QTest::newRow("a user's fuse mount") << QByteArray("fuse.sshfs") << false;
    QTest::newRow("no type") << QByteArray() << false;
}

void TestMountedVolumes::pseudoFileSystems()
{
    QFETCH(QByteArray, type);
    QFETCH(bool, pseudo);
    QCOMPARE(MountedVolumes::isPseudoFileSystem(type), pseudo);
}

void TestMountedVolumes::driveUsable_data()
{
    // "<dir>" stands for a temporary folder, which is no volume's root.
    QTest::addColumn<QString>("root");
    QTest::addColumn<bool>("usable");
    QTest::newRow("the root") << "/" << true;
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("no such folder") << "/no/such/tamrel/volume" << false;
    QTest::newRow("a folder that is no mount point") << "<dir>/vol" << false;
    QTest::newRow("a file") << "<dir>/file" << false;
}

void TestMountedVolumes::driveUsable()
{
    QFETCH(QString, root);
    QFETCH(bool, usable);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("vol"));
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(MountedVolumes::driveUsable(root.replace("<dir>", dir.path())), usable);
}

// Whatever this machine has mounted: "/" first, then real folders outside the system's own
// areas, each once and in order.
void TestMountedVolumes::drivesOfThisMachine()
{
    const QList<DriveEntry> drives = MountedVolumes::drives();
    QVERIFY(!drives.isEmpty());
    QCOMPARE(drives.front().root, QString("/"));
    QCOMPARE(drives.front().label, QString("/"));
    QString previous;
    for (qsizetype i = 1; i < drives.size(); ++i) {
        const QString root = drives[i].root;
        QVERIFY2(root > previous, qPrintable(root));
        QVERIFY2(QFileInfo(root).isDir(), qPrintable(root));
        for (const char* area : {"/proc", "/sys", "/dev"})
            QVERIFY2(root != QLatin1String(area) && !root.startsWith(QLatin1String(area) + '/'),
                     qPrintable(root));
        QVERIFY(drives[i].label.contains(root));
        previous = root;
    }
}

QTEST_GUILESS_MAIN(TestMountedVolumes)
#include "test_mounted_volumes.moc"
