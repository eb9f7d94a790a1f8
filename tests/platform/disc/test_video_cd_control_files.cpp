// The control files of the generated discs, read through the disc library as the player reads
// them: every image form, Video CD 1.1 and 2.0, Super Video CD, and discs that are damaged or
// hold no control files.

#include "platform/disc/disc_library.h"
#include "platform/disc/video_cd_control_files.h"
#include "test_media.h"

#include <QtTest>

class TestVideoCdControlFiles : public QObject {
    Q_OBJECT
private slots:
    void readsEachDisc_data();
    void readsEachDisc();
    void unknownDriveReadsNothing();
};

void TestVideoCdControlFiles::readsEachDisc_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("superVideoCd");
    QTest::addColumn<bool>("info");
    QTest::addColumn<int>("entries"); // -1: no ENTRIES file read
    QTest::addColumn<int>("lists");

    // vcdxgen's playback control: a play list for each of the three tracks and an end list.
    for (const char* form : {"vcd2.cue", "vcd2-2336.cue", "vcd2.toc", "vcd2.nrg"})
        QTest::newRow(form) << form << false << true << 3 << 4;
    for (const char* form : {"svcd.cue", "svcd-2336.cue", "svcd.toc", "svcd.nrg"})
        QTest::newRow(form) << form << true << true << 3 << 4;
    // A karaoke disc: three songs in the first track, a menu, two play lists, an end list.
    QTest::newRow("karaoke disc, VCD 2.0") << "pbc-vcd.cue" << false << true << 4 << 4;
    QTest::newRow("karaoke disc, SVCD") << "pbc-svcd.cue" << true << true << 4 << 4;
    QTest::newRow("karaoke disc, VCD 1.1") << "entries-vcd11.cue" << false << true << 4 << 0;
    // Entries, one a track, and no playback control.
    QTest::newRow("VCD 1.1") << "vcd11.cue" << false << true << 2 << 0;
    QTest::newRow("VCD 1.1, cdrdao") << "vcd11.toc" << false << true << 2 << 0;
    QTest::newRow("VCD 2.0 made without playback control")
        << "vcd-a.cue" << false << true << 3 << 0;
    // The control files lie before the tracks: a disc cut in its second track keeps them.
    QTest::newRow("cut in track 2") << "truncated.cue" << false << true << 3 << 0;
    // Nothing to read, or not what the names promise: quietly nothing.
    QTest::newRow("an ENTRIES file that is none") << "mode1.iso" << false << false << -1 << 0;
    QTest::newRow("no Video CD folders") << "no-mpegav.iso" << false << false << -1 << 0;
    QTest::newRow("cut before its volume descriptor") << "stub.cue" << false << false << -1 << 0;
    QTest::newRow("an audio CD") << "audio.cue" << false << false << -1 << 0;
}

void TestVideoCdControlFiles::readsEachDisc()
{
    QFETCH(QString, image);
    QFETCH(bool, superVideoCd);
    QFETCH(bool, info);
    QFETCH(int, entries);
    QFETCH(int, lists);
    DiscLibrary library;
    library.setDrives({{"img0", TestMedia::disc(image), true}});
    const VideoCdControlFiles control = readVideoCdControlFiles(library, "img0");
    QCOMPARE(control.superVideoCd, superVideoCd);
    QCOMPARE(control.info.has_value(), info);
    QCOMPARE(control.entries ? int(control.entries->entries.size()) : -1, entries);
    QCOMPARE(int(control.psd.lists.size()), lists);
    QCOMPARE(control.hasPlaybackControl(), lists > 0);
    if (image.startsWith("pbc-")) {
        // The menu first: what a number picks and where the songs start.
        const VideoCdControl::PsdList& menu = control.psd.lists.front();
        QCOMPARE(menu.kind, superVideoCd ? VideoCdControl::ListKind::Selection
                                         : VideoCdControl::ListKind::ExtendedSelection);
        QCOMPARE(menu.baseNumber, 1);
        QCOMPARE(int(menu.selections.size()), 2);
        QCOMPARE(menu.item, 1000); // the menu's still, segment 1
        QCOMPARE(control.entries->entries[1].track, 2);
        QVERIFY(control.entries->entries[1].address.lba() >
                control.entries->entries[0].address.lba());
    }
    // What is missing is said, and only then.
    QCOMPARE(control.problems.isEmpty(), info);
}

void TestVideoCdControlFiles::unknownDriveReadsNothing()
{
    DiscLibrary library;
    const VideoCdControlFiles control = readVideoCdControlFiles(library, "img7");
    QVERIFY(!control.info && !control.entries && !control.hasPlaybackControl());
    QVERIFY(!control.problems.isEmpty());
}

QTEST_GUILESS_MAIN(TestVideoCdControlFiles)
#include "test_video_cd_control_files.moc"
