// What counts as a disc path, and how one is taken apart and put together.

#include "platform/disc/disc_path.h"
#include "platform/files/media_paths.h"

#include <QTest>

class TestDiscPath : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("isDisc");
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QStringList>("components");
        QTest::newRow("movie file")
            << "SR0:\\Mpegav\\AVSEQ01.DAT" << true << "SR0" << QStringList{"Mpegav", "AVSEQ01.DAT"};
        QTest::newRow("lower case, image drive")
            << "img12:\\mpegav" << true << "img12" << QStringList{"mpegav"};
        QTest::newRow("root") << "SR0:\\" << true << "SR0" << QStringList{};
        QTest::newRow("doubled backslash")
            << "SR0:\\Mpegav\\\\A.DAT" << true << "SR0" << QStringList{"Mpegav", "A.DAT"};
        QTest::newRow("POSIX path") << "/media/cdrom/MPEGAV" << false << "" << QStringList{};
        QTest::newRow("colon in a relative name")
            << "relative:name" << false << "" << QStringList{};
        QTest::newRow("no backslash after the colon")
            << "SR0:Mpegav" << false << "" << QStringList{};
        QTest::newRow("digit first") << "0SR:\\Mpegav" << false << "" << QStringList{};
        QTest::newRow("URL") << "tamrel-disc://SR0%3A%5C" << false << "" << QStringList{};
        QTest::newRow("empty") << "" << false << "" << QStringList{};
    }
    void parse()
    {
        QFETCH(QString, path);
        QFETCH(bool, isDisc);
        QFETCH(QString, drive);
        QFETCH(QStringList, components);
        QCOMPARE(DiscPath::isDiscPath(path), isDisc);
        QCOMPARE(MediaPaths::isDiscPath(path), isDisc);
        const std::optional<DiscPath> parsed = DiscPath::parse(path);
        QCOMPARE(parsed.has_value(), isDisc);
        if (!parsed)
            return;
        QCOMPARE(parsed->driveId, drive);
        QCOMPARE(parsed->components, components);
        // Put together again it names the same place.
        QCOMPARE(DiscPath::parse(parsed->toString())->components, components);
    }

    // Tracks of a Video CD or a Super Video CD, which the player names to mpv as MPEG.
    void movieTrack_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("track");
        QTest::newRow("Video CD") << "SR0:\\Mpegav\\AVSEQ01.DAT" << true;
        QTest::newRow("any case") << "img3:\\mpegav\\avseq12.dat" << true;
        QTest::newRow("Super Video CD") << "IMG0:\\MPEG2\\AVSEQ01.MPG" << true;
        QTest::newRow("the folder") << "SR0:\\Mpegav" << false;
        QTest::newRow("deeper") << "SR0:\\Mpegav\\x\\A.DAT" << false;
        QTest::newRow("another folder") << "SR0:\\Movies\\A.MPG" << false;
        QTest::newRow("root file") << "SR0:\\AVSEQ01.DAT" << false;
        QTest::newRow("prefix only") << "SR0:\\MpegavX\\A.DAT" << false;
    }
    void movieTrack()
    {
        QFETCH(QString, path);
        QFETCH(bool, track);
        QCOMPARE(DiscPath::parse(path)->isMovieTrack(), track);
    }

    void format()
    {
        QCOMPARE(DiscPath::movieFolder("SR1"), QString("SR1:\\Mpegav"));
        QCOMPARE((DiscPath{"IMG0", {"MPEGAV", "AVSEQ01.DAT"}}).toString(),
                 QString("IMG0:\\MPEGAV\\AVSEQ01.DAT"));
        QCOMPARE((DiscPath{"SR0", {}}).toString(), QString("SR0:\\"));
        QVERIFY(DiscPath::isDriveId("sr10") && DiscPath::isDriveId("IMG0"));
        for (const char* id : {"", "0sr", "cd-rw", "sr 0", "CD Drive", "sr0\n"})
            QVERIFY2(!DiscPath::isDriveId(id), id);
    }
};

QTEST_GUILESS_MAIN(TestDiscPath)
#include "test_disc_path.moc"
