// The rules for disc images the user opens: which paths are images, which file a drive then
// reads, which drive takes an image and the drive order that follows, and which cue sheets
// and .toc files are read as bare sector files.

#include "platform/disc/opened_images.h"
#include "platform/disc/read/disc_image.h"
#include "platform/disc/read/raw_image_source.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString describe(const QList<CdDrive>& drives)
{
    QStringList out;
    for (const CdDrive& d : drives)
        out << QStringLiteral("%1=%2").arg(d.id, QFileInfo(d.source).fileName());
    return out.join(", ");
}

// "img0=/a/x.cue, sr0" → drives; ids starting "img" are images.
QList<CdDrive> drivesOf(const QString& text)
{
    QList<CdDrive> drives;
    for (const QString& entry : text.split(", ", Qt::SkipEmptyParts)) {
        const QString id = entry.section('=', 0, 0);
        const QString source = entry.section('=', 1);
        drives << CdDrive{id, source.isEmpty() ? "/dev/" + id : source, id.startsWith("img")};
    }
    return drives;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QStringList>)

class TestDiscImages : public QObject {
    Q_OBJECT

private slots:
    void isImagePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("image");
        for (const char* path : {"/k/karaoke.cue", "/k/KARAOKE.CUE", "a.Bin", "/x/y.nrg",
                                 "disc.toc", "/m/movie.ISO", "relative/dir/x.iso"})
            QTest::newRow(path) << path << true;
        for (const char* path : {"/k/song.mpg", "/k/AVSEQ01.DAT", "/k/cue", "/k/x.cue.txt",
                                 "/k/x.bin.mpg", "/k/x.", "", "SR0:\\Mpegav\\AVSEQ01.DAT"})
            QTest::newRow(path) << path << false;
    }
    void isImagePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, image);
        QCOMPARE(DiscImage::isImagePath(path), image);
    }

    void discSource_data()
    {
        QTest::addColumn<QStringList>("files"); // made in an empty folder
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("source");
        QTest::newRow(".bin with its .cue") << QStringList{"k.bin", "k.cue"} << "k.bin"
                                            << "k.cue";
        QTest::newRow("upper-case .BIN and .CUE") << QStringList{"K.BIN", "K.CUE"} << "K.BIN"
                                                  << "K.CUE";
        QTest::newRow(".bin on its own") << QStringList{"k.bin"} << "k.bin"
                                         << "k.bin";
        QTest::newRow(".bin beside another cue sheet")
            << QStringList{"k.bin", "other.cue"} << "k.bin"
            << "k.bin";
        QTest::newRow("cue sheet") << QStringList{"k.bin", "k.cue"} << "k.cue"
                                   << "k.cue";
        QTest::newRow("a folder named like a cue sheet is no cue sheet")
            << QStringList{"k.bin", "k.cue/"} << "k.bin"
            << "k.bin";
        QTest::newRow("missing image") << QStringList{} << "gone.nrg"
                                       << "gone.nrg";
        QTest::newRow("path with dots") << QStringList{"sub/", "k.iso"} << "sub/../k.iso"
                                        << "k.iso";
    }
    void discSource()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, opened);
        QFETCH(QString, source);
        QTemporaryDir dir;
        for (const QString& name : files)
            QVERIFY(name.endsWith('/') ? QDir(dir.path()).mkdir(name.chopped(1))
                                       : TestMedia::writeFile(dir.filePath(name), "x"));
        QCOMPARE(DiscImage::discSource(dir.filePath(opened)), dir.filePath(source));
        // A relative path names the same file from the working folder.
        const QString here = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString fromRelative = DiscImage::discSource(opened);
        QDir::setCurrent(here);
        QCOMPARE(fromRelative, dir.filePath(source));
    }

    void openedImageDrives_data()
    {
        QTest::addColumn<QString>("discovered");
        QTest::addColumn<QStringList>("opened"); // in this order
        QTest::addColumn<QString>("lastDrive");
        QTest::addColumn<QString>("order");
        QTest::newRow("no drive: a new image drive") << "" << QStringList{"/d/a.cue"} << "img0"
                                                     << "img0=a.cue";
        QTest::newRow("second image replaces the first")
            << "" << QStringList{"/d/a.cue", "/d/b.nrg"} << "img0"
            << "img0=b.nrg";
        QTest::newRow("same image again: same drive")
            << "" << QStringList{"/d/a.cue", "/d/a.cue"} << "img0"
            << "img0=a.cue";
        QTest::newRow("new drive comes before a real drive")
            << "sr0" << QStringList{"/d/a.cue"} << "img0"
            << "img0=a.cue, sr0=sr0";
        QTest::newRow("next free number after listed images")
            << "img0=/d/x.cue, img1=/d/y.cue" << QStringList{"/d/a.cue"} << "img2"
            << "img2=a.cue, img0=x.cue, img1=y.cue";
        QTest::newRow("image already in a listed drive comes first")
            << "img0=/d/x.cue, img1=/d/y.cue" << QStringList{"/d/y.cue"} << "img1"
            << "img1=y.cue, img0=x.cue";
        QTest::newRow("listed drive again after an opened one")
            << "img0=/d/x.cue, sr0" << QStringList{"/d/a.cue", "/d/x.cue"} << "img0"
            << "img0=x.cue, sr0=sr0, img1=a.cue";
        QTest::newRow("opened drive again after a listed one")
            << "img0=/d/x.cue" << QStringList{"/d/a.cue", "/d/x.cue", "/d/b.iso"} << "img1"
            << "img1=b.iso, img0=x.cue";
    }
    void openedImageDrives()
    {
        QFETCH(QString, discovered);
        QFETCH(QStringList, opened);
        QFETCH(QString, lastDrive);
        QFETCH(QString, order);
        OpenedImages images;
        CdDrive drive;
        for (const QString& image : opened)
            drive = images.insert(image, drivesOf(discovered));
        QCOMPARE(drive.id, lastDrive);
        QVERIFY(drive.isImage);
        QCOMPARE(describe(images.arrange(drivesOf(discovered))), order);
    }

    void sheetFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<QStringList>>("files"); // relative to the sheet's folder
        const std::optional<QStringList> none;
        QTest::newRow("cue, 2336-byte sectors")
            << "a.cue"
            << QByteArray("FILE \"a b.bin\" BINARY\r\n  TRACK 01 MODE2/2336\r\n"
                          "    INDEX 01 00:00:00\r\n")
            << std::optional(QStringList{"a b.bin"});
        QTest::newRow("cue, unquoted names, one file a track")
            << "a.cue"
            << QByteArray("file t1.bin binary\ntrack 01 mode2/2336\nindex 01 00:00:00\n"
                          "FILE t2.bin BINARY\nTRACK 02 MODE2/2336\nINDEX 01 00:00:00\n")
            << std::optional(QStringList{"t1.bin", "t2.bin"});
        QTest::newRow("cue, 2352-byte sectors: libcdio's")
            << "a.cue" << QByteArray("FILE \"a.bin\" BINARY\nTRACK 01 MODE2/2352\n") << none;
        QTest::newRow("cue without a file")
            << "a.cue" << QByteArray("TRACK 01 MODE2/2336\nINDEX 01 00:00:00\n") << none;
        QTest::newRow("cue, empty name")
            << "a.cue" << QByteArray("FILE \"\" BINARY\nTRACK 01 MODE2/2336\n") << none;
        QTest::newRow("toc of data files, pregaps in files")
            << "v.toc"
            << QByteArray("CD_ROM_XA\n// Track 1\nTRACK MODE2_RAW\n COPY\n DATAFILE \"v_01.img\"\n"
                          "TRACK MODE2_RAW\n DATAFILE \"v_02_pregap.img\"\n START\n"
                          " DATAFILE \"v_02.img\" // the track\n")
            << std::optional(QStringList{"v_01.img", "v_02_pregap.img", "v_02.img"});
        QTest::newRow("toc, zero-filled pregap")
            << "v.toc" << QByteArray("TRACK MODE2_RAW\nZERO 00:02:00\nDATAFILE \"v.img\"\n")
            << none;
        QTest::newRow("toc, part of a file")
            << "v.toc" << QByteArray("TRACK MODE2_RAW\nDATAFILE \"v.img\" 00:10:00\n") << none;
        QTest::newRow("toc, FILE with offsets")
            << "v.toc" << QByteArray("TRACK AUDIO\nFILE \"a.wav\" 0 00:10:00\n") << none;
        QTest::newRow("toc, sector sizes mixed")
            << "v.toc"
            << QByteArray("TRACK MODE1\nDATAFILE \"a.img\"\nTRACK AUDIO\nDATAFILE \"b.img\"\n")
            << none;
        QTest::newRow("toc, unknown track mode")
            << "v.toc" << QByteArray("TRACK MODE9_ODD\nDATAFILE \"a.img\"\n") << none;
        QTest::newRow("toc without data files") << "v.toc" << QByteArray("CD_ROM_XA\n") << none;
        QTest::newRow("binary bytes") << "v.toc" << QByteArray("TRACK\0\x01\x02", 8) << none;
        QTest::newRow("cue, binary bytes")
            << "a.cue" << QByteArray("FILE a.bin BINARY\nTRACK 01 MODE2/2336\n\0", 40) << none;
        QTest::newRow("far too long for a sheet")
            << "v.toc"
            << "TRACK MODE2_RAW\n" + QByteArray(70000, '\n') + "DATAFILE \"a.img\"\n"
            << none;
    }
    void sheetFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(std::optional<QStringList>, files);
        QTemporaryDir dir;
        const QString sheet = dir.filePath(name);
        QVERIFY(TestMedia::writeFile(sheet, text));
        const std::optional<QStringList> found =
            name.endsWith(".cue") ? RawImage::cueSheetFiles(sheet) : RawImage::tocFiles(sheet);
        std::optional<QStringList> expected = files;
        if (expected)
            for (QString& file : *expected)
                file = dir.filePath(file);
        QCOMPARE(found, expected);
    }

    void sheetThatIsNoFile()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("d.toc"));
        QCOMPARE(RawImage::tocFiles(dir.filePath("d.toc")), std::nullopt);
        QCOMPARE(RawImage::cueSheetFiles(dir.filePath("missing.cue")), std::nullopt);
    }
};

QTEST_MAIN(TestDiscImages)
#include "test_disc_images.moc"
