#include "file_folder.h"
#include "platform/files/folder_lister.h"
#include "platform/files/media_folder_lister.h"
#include "platform/files/media_paths.h"
#include "playback/play_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Ordinary folders only: these lists never name a disc.
const MediaFolderLister localFolders;

void touch(const QString& path)
{
    QVERIFY(FileFolder::touch(QFileInfo(path).path(), {QFileInfo(path).fileName()}));
}
} // namespace

class TestPlayList : public QObject {
    Q_OBJECT
private slots:
    void patternMatching_data();
    void patternMatching();
    void entriesSortedWithoutRegardToCase();
    void listIndexBounds();
    void fullPathJoinsWithSlashEvenAfterTrailingSlash();
    void discPathsJoinWithBackslash();
    void singleFileFormsItsOwnList();
    void newPatternRereadsTheFolder();
    void missingOrUnusableFolderFails();
    void oddNamesAreListedAsTheyAre();
    void largeFolder();
    void movieFilesOnMountedCdGoThroughDiscReader_data();
    void movieFilesOnMountedCdGoThroughDiscReader();
};

void TestPlayList::patternMatching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    const QString allMedia = "*.mp3;*.dat;*.avi;*.qt;*.mpeg;*.mpg;*.asf;*.wm;*wma;*.wmv;*.cda";
    QTest::newRow("upper-case extension") << "*.dat"
                                          << "AVSEQ01.DAT" << true;
    QTest::newRow("other extension") << "*.dat"
                                     << "song.mp3" << false;
    QTest::newRow("second of several") << "*.mp3;*.dat"
                                       << "x.DaT" << true;
    QTest::newRow("wma without dot") << allMedia << "songwma" << true;
    QTest::newRow("wma with dot") << allMedia << "song.WMA" << true;
    QTest::newRow("wm extension") << allMedia << "clip.wm" << true;
    QTest::newRow("no partial extension") << allMedia << "clip.mpga" << false;
    QTest::newRow("blank parts ignored") << ";;*.avi; "
                                         << "a.avi" << true;
}

void TestPlayList::patternMatching()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(PlayList::matchesPattern(pattern, name), matches);
}

void TestPlayList::entriesSortedWithoutRegardToCase()
{
    QTemporaryDir dir;
    for (const char* name : {"b.dat", "A.DAT", "c.Dat", "readme.txt", "a2.dat"})
        touch(dir.filePath(name));
    QDir(dir.path()).mkdir("sub.dat"); // folders are never entries
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.entries(), (QStringList{"A.DAT", "a2.dat", "b.dat", "c.Dat"}));
    QCOMPARE(list.ListIndex(), -1);
    QCOMPARE(list.FileName(), QString());
}

void TestPlayList::listIndexBounds()
{
    QTemporaryDir dir;
    touch(dir.filePath("one.dat"));
    touch(dir.filePath("two.dat"));
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path()));
    QVERIFY(list.setListIndex(1));
    QVERIFY(!list.setListIndex(2));
    QVERIFY(!list.setListIndex(-2));
    QCOMPARE(list.ListIndex(), 1); // a failed move leaves the entry where it was
    QCOMPARE(list.FileName(), QString("two.dat"));
    QVERIFY(list.setListIndex(-1));
    QCOMPARE(list.FileName(), QString());

    PlayList empty(localFolders);
    QVERIFY(!empty.setListIndex(0));
}

void TestPlayList::fullPathJoinsWithSlashEvenAfterTrailingSlash()
{
    QTemporaryDir dir;
    touch(dir.filePath("x.dat"));
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path() + "/"));
    QVERIFY(list.setListIndex(0));
    QCOMPARE(list.fullPath(), dir.path() + "//x.dat");
    QVERIFY(QFile::exists(list.fullPath()));
}

void TestPlayList::discPathsJoinWithBackslash()
{
    QVERIFY(MediaPaths::isDiscPath("SR0:\\Mpegav"));
    QVERIFY(MediaPaths::isDiscPath("IMG1:\\MPEGAV\\AVSEQ01.DAT"));
    QVERIFY(!MediaPaths::isDiscPath("/media/cdrom/MPEGAV"));
    QVERIFY(!MediaPaths::isDiscPath("relative:name"));
    QCOMPARE(MediaPaths::join("SR0:\\Mpegav", "AVSEQ01.DAT"), QString("SR0:\\Mpegav\\AVSEQ01.DAT"));
    QCOMPARE(MediaPaths::join("SR0:\\Mpegav\\", "A.DAT"), QString("SR0:\\Mpegav\\\\A.DAT"));
    const MediaPaths::Split split = MediaPaths::splitFilePath("SR0:\\Mpegav\\AVSEQ02.DAT");
    QCOMPARE(split.folder, QString("SR0:\\Mpegav"));
    QCOMPARE(split.name, QString("AVSEQ02.DAT"));
}

void TestPlayList::singleFileFormsItsOwnList()
{
    const FileFolder dir({"a.mpg", "b.mpg"});
    PlayList list(localFolders);
    QVERIFY(list.setSingleFile(dir.file("b.mpg")));
    QCOMPARE(list.ListCount(), 1);
    QCOMPARE(list.ListIndex(), 0);
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(list.fullPath(), dir.file("b.mpg"));

    // A file that does not exist still names its entry; playing it is what fails.
    QVERIFY(list.setSingleFile(dir.file("gone.mpg")));
    QCOMPARE(list.FileName(), QString("gone.mpg"));
    QVERIFY(!list.setSingleFile(dir.path() + "/"));
}

void TestPlayList::newPatternRereadsTheFolder()
{
    const FileFolder dir({"a.mp3", "b.avi"});
    PlayList list(localFolders);
    QVERIFY(list.setSingleFile(dir.file("b.avi")));
    list.setPattern("*.mp3;*.avi");
    QCOMPARE(list.entries(), (QStringList{"a.mp3", "b.avi"}));
    list.setPattern("*.MP3");
    QCOMPARE(list.entries(), QStringList{"a.mp3"});
}

void TestPlayList::missingOrUnusableFolderFails()
{
    QTemporaryDir dir;
    touch(dir.filePath("a.dat"));
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path()));
    QVERIFY(list.setListIndex(0));
    QVERIFY(!list.setPath(dir.filePath("missing")));
    QVERIFY(!list.setPath(dir.filePath("a.dat"))); // a file is no folder
    QVERIFY(!list.setPath(QString()));
    QCOMPARE(list.Path(), dir.path()); // the list is kept as it was
    QCOMPARE(list.ListIndex(), 0);

    // The folder vanishes and the pattern changes: the list empties quietly.
    QVERIFY(QDir(dir.path()).removeRecursively());
    list.setPattern("*.mpg");
    QCOMPARE(list.ListCount(), 0);
    QCOMPARE(list.ListIndex(), -1);
}

void TestPlayList::oddNamesAreListedAsTheyAre()
{
    QTemporaryDir dir;
    const QStringList names{"it's \"quoted\".dat", "back\\slash.dat", "naïve ünïcode.dat",
                            "new\nline.dat", " lead space.dat"};
    for (const QString& name : names)
        touch(dir.filePath(name));
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.ListCount(), names.size());
    for (int i = 0; i < list.ListCount(); ++i) {
        QVERIFY(list.setListIndex(i));
        QVERIFY2(QFile::exists(list.fullPath()), qPrintable(list.fullPath()));
    }
}

void TestPlayList::largeFolder()
{
    QTemporaryDir dir;
    for (int i = 0; i < 20000; ++i)
        touch(dir.filePath(QStringLiteral("clip%1.DAT").arg(19999 - i, 5, 10, QChar('0'))));
    PlayList list(localFolders);
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.ListCount(), 20000);
    QCOMPARE(list.entry(0), QString("clip00000.DAT"));
    QCOMPARE(list.entry(19999), QString("clip19999.DAT"));
}

void TestPlayList::movieFilesOnMountedCdGoThroughDiscReader_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("discPath");
    QTest::newRow("iso9660 movie file") << "/media/cdrom/MPEGAV/AVSEQ01.DAT"
                                        << "iso9660"
                                        << "/dev/sr0"
                                        << "SR0:\\MPEGAV\\AVSEQ01.DAT";
    QTest::newRow("lower-case names, second drive") << "/media/cdrom//mpegav/avseq02.dat"
                                                    << "iso9660"
                                                    << "/dev/sr1"
                                                    << "SR1:\\mpegav\\avseq02.dat";
    QTest::newRow("udf") << "/media/cdrom/X.dat"
                         << "udf"
                         << "/dev/sr0"
                         << "SR0:\\X.dat";
    QTest::newRow("other kind of file") << "/media/cdrom/song.mp3"
                                        << "iso9660"
                                        << "/dev/sr0"
                                        << "";
    QTest::newRow("hard disk") << "/media/cdrom/a.dat"
                               << "ext4"
                               << "/dev/sda1"
                               << "";
    QTest::newRow("not a CD device") << "/media/cdrom/a.dat"
                                     << "iso9660"
                                     << "/dev/loop0"
                                     << "";
    QTest::newRow("outside the volume") << "/home/a.dat"
                                        << "iso9660"
                                        << "/dev/sr0"
                                        << "";
    QTest::newRow("device name ending in a newline") << "/media/cdrom/a.dat"
                                                     << "iso9660"
                                                     << "/dev/sr0\n"
                                                     << "";
    QTest::newRow("outside, through ..") << "/media/cdrom/../cdrom1/a.dat"
                                         << "iso9660"
                                         << "/dev/sr0"
                                         << "";
    QTest::newRow("name starting with two dots") << "/media/cdrom/..clip.dat"
                                                 << "iso9660"
                                                 << "/dev/sr0"
                                                 << "SR0:\\..clip.dat";
    // A disc path would split the name at the backslash and name another file.
    QTest::newRow("backslash in a name") << "/media/cdrom/MPEGAV/A\\B.DAT"
                                         << "iso9660"
                                         << "/dev/sr0"
                                         << "";
}

void TestPlayList::movieFilesOnMountedCdGoThroughDiscReader()
{
    QFETCH(QString, path);
    QFETCH(QString, type);
    QFETCH(QString, device);
    QFETCH(QString, discPath);
    const std::optional<QString> result =
        MediaPaths::discPathOnMountedCd(path, MediaPaths::Mount{"/media/cdrom", type, device});
    QCOMPARE(result.value_or(QString()), discPath);
}

QTEST_GUILESS_MAIN(TestPlayList)
#include "test_play_list.moc"
