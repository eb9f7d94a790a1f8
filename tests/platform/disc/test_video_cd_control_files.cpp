// The control files of the generated discs, read through the disc library as the player reads
// them: every image form, Video CD 1.1 and 2.0, Super Video CD, and discs that are damaged or
// hold no control files; and the karaoke discs as vcd-info (vcdimager) reads them, line by line.

#include "platform/disc/disc_library.h"
#include "platform/disc/video_cd_control_files.h"
#include "test_media.h"
#include "vcd_info_lines.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

namespace {

using namespace VcdInfoLines;

// vcd-info's report cut where each file's part starts: INFO, ENTRIES, then each LOT and each
// PSD it shows (a VCD 2.0's plain ones, then its extended ones). The player reads the last LOT
// and PSD shown, as the extended ones stand in for the plain ones.
struct VcdInfoReport {
    QStringList info, entries, lot, psd;

    explicit VcdInfoReport(const QStringList& lines)
    {
        QStringList* part = &info;
        bool inLot = false;
        for (const QString& line : lines) {
            const bool lotLine = line.startsWith("LID[");
            if (line.startsWith("ID: `ENTRY"))
                part = &entries;
            else if (lotLine && !inLot)
                (part = &lot)->clear();
            else if (line.endsWith("PSD.VCD") || line.endsWith("PSD.SVD") ||
                     line.endsWith("PSD_X.VCD"))
                (part = &psd)->clear();
            inLot = lotLine;
            *part << line;
        }
    }
};

QStringList starting(const QStringList& lines, const QStringList& starts)
{
    QStringList kept;
    for (const QString& line : lines)
        if (std::ranges::any_of(starts, [&](const QString& s) { return line.startsWith(s); }))
            kept << line;
    return kept;
}

// A segment's kind in words both sides can give: whether it has sound, a still or motion.
QString segmentText(int index, bool audio, const QString& video, bool continuation)
{
    return QStringLiteral("SEGMENT[%1]: audio %2, video %3, continuation %4")
        .arg(index, 4, 10, QChar('0'))
        .arg(audio ? "yes" : "no", video, continuation ? "yes" : "no");
}

QStringList ourSegments(const VideoCdControl::Info& info)
{
    QStringList lines;
    for (std::size_t i = 0; i < info.segments.size(); ++i) {
        const VideoCdControl::Segment& s = info.segments[i];
        const QString video = s.video == 0                   ? "none"
                              : s.video == 3 || s.video == 7 ? "motion"
                                                             : "still";
        lines << segmentText(int(i), s.audio != 0, video, s.continuation);
    }
    return lines;
}

// "SEGMENT[0000]: track# 0, LSN 225 ..." and on the next line "audio: no audio, video: NTSC
// still, continuation no".
QStringList theirSegments(const QStringList& info)
{
    static const QRegularExpression segment(QStringLiteral("^SEGMENT\\[(\\d+)\\]:"));
    static const QRegularExpression kind(
        QStringLiteral("^audio: (.*), video: (.*), continuation (yes|no)"));
    QStringList lines;
    for (qsizetype i = 0; i + 1 < info.size(); ++i) {
        const auto head = segment.match(info[i]);
        const auto fields = kind.match(info[i + 1]);
        if (!head.hasMatch() || !fields.hasMatch())
            continue;
        const QString video = fields.captured(2).contains("still")    ? "still"
                              : fields.captured(2).contains("motion") ? "motion"
                                                                      : "none";
        lines << segmentText(head.captured(1).toInt(), !fields.captured(1).startsWith("no "), video,
                             fields.captured(3) == "yes");
    }
    return lines;
}

} // namespace

class TestVideoCdControlFiles : public QObject {
    Q_OBJECT
private slots:
    void readsEachDisc_data();
    void readsEachDisc();
    void unknownDriveReadsNothing();
    void sameAsVcdInfo_data();
    void sameAsVcdInfo();
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

void TestVideoCdControlFiles::sameAsVcdInfo_data()
{
    QTest::addColumn<QString>("image");
    QTest::newRow("karaoke disc, VCD 2.0") << "pbc-vcd.cue";
    QTest::newRow("karaoke disc, SVCD") << "pbc-svcd.cue";
    QTest::newRow("karaoke disc, VCD 1.1") << "entries-vcd11.cue";
}

// What the player reads of each disc, as vcd-info would print it, against what vcd-info prints:
// INFO's fields and segments, every entry's track and sector, the LOT, and each list with its
// kind, links, items and selections, in the file's order.
void TestVideoCdControlFiles::sameAsVcdInfo()
{
    if (QStandardPaths::findExecutable("vcd-info").isEmpty())
        QSKIP("vcd-info (vcdimager) is not installed");
    QFETCH(QString, image);
    const QStringList printed = VcdInfoLines::run(TestMedia::disc(image));
    QVERIFY2(!printed.isEmpty(), "vcd-info could not read the image");
    const VcdInfoReport theirs(printed);
    DiscLibrary library;
    library.setDrives({{"img0", TestMedia::disc(image), true}});
    const VideoCdControlFiles control = readVideoCdControlFiles(library, "img0");
    QVERIFY(control.info && control.entries);

    for (const QString& line : infoLines(*control.info))
        QVERIFY2(theirs.info.contains(line), qPrintable("not from vcd-info: " + line));
    QCOMPARE(ourSegments(*control.info), theirSegments(theirs.info));
    QCOMPARE(entryLines(*control.entries),
             starting(theirs.entries, {"ID:", "version:", "entries:", "ENTRY["}));
    QCOMPARE(lotLines(lotOf(control.psd), control.info->offsetMultiplier),
             theirs.lot.filter(": offset = "));
    QCOMPARE(
        psdLines(control.psd, control.superVideoCd),
        starting(theirs.psd, {"PSD[", "NOI:", "Flags:", "prev:", "default:", "wait:", "playtime:",
                              "play-item", "ofs[", "next disc number:", "change picture item:"}));
}

QTEST_GUILESS_MAIN(TestVideoCdControlFiles)
#include "test_video_cd_control_files.moc"
