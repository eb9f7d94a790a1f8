// The songs inside the generated discs' tracks, found from their entry points through the disc
// library: the karaoke discs hold three songs of 3 s in their first track.

#include "platform/disc/disc_library.h"
#include "platform/disc/disc_song_starts.h"
#include "test_media.h"

#include <QtTest>

class TestDiscSongStarts : public QObject {
    Q_OBJECT
private slots:
    void songsOfEachTrack_data();
    void songsOfEachTrack();
    void anotherDiscInTheDrive();
};

void TestDiscSongStarts::songsOfEachTrack_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("track");
    QTest::addColumn<QList<double>>("starts");

    const QList<double> threeSongs{0, 3, 6};
    QTest::newRow("VCD 2.0, three songs") << "pbc-vcd.cue"
                                          << "IMG0:\\MPEGAV\\AVSEQ01.DAT" << threeSongs;
    QTest::newRow("SVCD, three songs") << "pbc-svcd.cue"
                                       << "IMG0:\\MPEG2\\AVSEQ01.MPG" << threeSongs;
    QTest::newRow("VCD 1.1, three songs") << "entries-vcd11.cue"
                                          << "img0:\\mpegav\\avseq01.dat" << threeSongs;
    // One entry a track: one song, as every other disc.
    QTest::newRow("a track of one song") << "pbc-vcd.cue"
                                         << "IMG0:\\MPEGAV\\AVSEQ02.DAT" << QList<double>{};
    QTest::newRow("a disc made without entries inside its tracks")
        << "vcd-a.cue"
        << "IMG0:\\MPEGAV\\AVSEQ01.DAT" << QList<double>{};
    QTest::newRow("no such track") << "pbc-vcd.cue"
                                   << "IMG0:\\MPEGAV\\AVSEQ09.DAT" << QList<double>{};
    QTest::newRow("no disc path") << "pbc-vcd.cue"
                                  << "/tmp/AVSEQ01.DAT" << QList<double>{};
    QTest::newRow("an ENTRIES file that is none")
        << "mode1.iso"
        << "IMG0:\\MPEGAV\\AVSEQ01.DAT" << QList<double>{};
    QTest::newRow("cut before its volume descriptor")
        << "stub.cue"
        << "IMG0:\\MPEGAV\\AVSEQ01.DAT" << QList<double>{};
}

void TestDiscSongStarts::songsOfEachTrack()
{
    QFETCH(QString, image);
    QFETCH(QString, track);
    QFETCH(QList<double>, starts);
    DiscLibrary library;
    library.setDrives({{"img0", TestMedia::disc(image), true}});
    DiscSongStarts songs(library);
    const std::vector<double> found = songs.songStarts(track);
    QStringList text;
    for (double start : found)
        text << QString::number(start, 'f', 2);
    QVERIFY2(int(found.size()) == starts.size(), qPrintable(text.join(' ')));
    for (qsizetype i = 0; i < starts.size(); ++i) {
        // The pack that starts a song is due a little before its first picture.
        QVERIFY2(std::abs(found[std::size_t(i)] - starts[i]) <= 0.3, qPrintable(text.join(' ')));
    }
    // Asked again: the same, from what was read the first time.
    QCOMPARE(songs.songStarts(track), found);
}

void TestDiscSongStarts::anotherDiscInTheDrive()
{
    DiscLibrary library;
    library.setDrives({{"img0", TestMedia::disc("pbc-vcd.cue"), true}});
    DiscSongStarts songs(library);
    QCOMPARE(songs.songStarts("IMG0:\\MPEGAV\\AVSEQ01.DAT").size(), 3u);
    library.setDrives({{"img0", TestMedia::disc("vcd-a.cue"), true}});
    QVERIFY(songs.songStarts("IMG0:\\MPEGAV\\AVSEQ01.DAT").empty());
    library.setDrives({});
    QVERIFY(songs.songStarts("IMG0:\\MPEGAV\\AVSEQ01.DAT").empty());
}

QTEST_GUILESS_MAIN(TestDiscSongStarts)
#include "test_disc_song_starts.moc"
