// The control files of a Video CD (ENTRIES, INFO, LOT, PSD) from byte blocks built field by
// field (ENTRIES and INFO here, LOT and PSD by psd_builder.h), so each row names exactly the layout
// it reads: every field of each file kind, and damaged files (cut at every length, counts and
// offsets past the end, lists linking to themselves or in circles).

#include "platform/disc/read/video_cd_control.h"
#include "psd_builder.h"

#include <QtTest>

using namespace VideoCdControl;
using namespace PsdBuilder;

namespace {

char bcd(int n)
{
    return char((n / 10) << 4 | n % 10);
}

struct EntryRow {
    int track, minute, second, frame;
};

QByteArray entriesFile(const QByteArray& id, int version, int count, const QList<EntryRow>& entries)
{
    QByteArray data(2048, '\0');
    data.replace(0, 8, id);
    data[8] = char(version);
    put16(data, 10, count);
    for (int i = 0; i < entries.size(); ++i) {
        const EntryRow& e = entries[i];
        data[12 + 4 * i] = bcd(e.track);
        data[13 + 4 * i] = bcd(e.minute);
        data[14 + 4 * i] = bcd(e.second);
        data[15 + 4 * i] = bcd(e.frame);
    }
    return data;
}

QString describe(const Entries& e)
{
    QStringList out{QStringLiteral("v%1 n%2").arg(e.version).arg(e.declaredCount)};
    for (const Entry& entry : e.entries)
        out << QStringLiteral("%1@%2:%3:%4%5")
                   .arg(entry.track)
                   .arg(entry.address.minute)
                   .arg(entry.address.second)
                   .arg(entry.address.frame)
                   .arg(entry.valid ? "" : "!");
    return out.join(' ');
}

struct InfoFields {
    QByteArray id = "VIDEO_CD";
    int version = 2;
    QByteArray album = "KARAOKE 1";
    int volumes = 2, volume = 1;
    int flags = 0;
    quint32 psdSize = 0;
    int segMinute = 0, segSecond = 0;
    int multiplier = 8;
    int maxListId = 0;
    int segmentCount = 0;
    QByteArray segments;
};

QByteArray infoFile(const InfoFields& f)
{
    QByteArray data(2048, '\0');
    data.replace(0, 8, f.id);
    data[8] = char(f.version);
    data.replace(10, f.album.size(), f.album);
    data.replace(10 + f.album.size(), 16 - f.album.size(), QByteArray(16 - f.album.size(), ' '));
    put16(data, 26, f.volumes);
    put16(data, 28, f.volume);
    data[43] = char(f.flags);
    qToBigEndian(f.psdSize, data.data() + 44);
    data[48] = bcd(f.segMinute);
    data[49] = bcd(f.segSecond);
    data[51] = char(f.multiplier);
    put16(data, 52, f.maxListId);
    put16(data, 54, f.segmentCount);
    data.replace(56, f.segments.size(), f.segments);
    return data;
}

QString link(const Link& l)
{
    if (l.none())
        return QStringLiteral("-");
    if (l.listId == 0)
        return QStringLiteral("@%1").arg(l.offset);
    return QString::number(l.listId);
}

QString describe(const PsdList& l)
{
    QString s = QStringLiteral("%1%2%3 @%4")
                    .arg(l.lotId ? QString::number(l.lotId) : QStringLiteral("(%1)").arg(l.listId))
                    .arg(l.rejected ? "r" : "")
                    .arg(l.complete ? "" : "!")
                    .arg(l.offset);
    const auto links = [&] {
        return QStringLiteral(" <%1 >%2 ^%3").arg(link(l.previous), link(l.next), link(l.back));
    };
    switch (l.kind) {
    case ListKind::Play: {
        QStringList items;
        for (int i : l.items)
            items << QString::number(i);
        return s +
               QStringLiteral(" play [%1] t%2 w%3 a%4")
                   .arg(items.join(','))
                   .arg(l.playTime)
                   .arg(l.waitTime)
                   .arg(l.autoPauseTime) +
               links();
    }
    case ListKind::Selection:
    case ListKind::ExtendedSelection: {
        QStringList picks;
        for (const Link& p : l.selections)
            picks << link(p);
        s += QStringLiteral(" %1 b%2 n%3 [%4] d%5 o%6/%7 loop%8%9 item%10 f%11%12")
                 .arg(l.kind == ListKind::Selection ? "select" : "xselect")
                 .arg(l.baseNumber)
                 .arg(l.selectionCount)
                 .arg(picks.join(','))
                 .arg(link(l.defaultLink))
                 .arg(link(l.timeoutLink))
                 .arg(l.timeout)
                 .arg(l.loopCount)
                 .arg(l.jumpDelayed ? "j" : "")
                 .arg(l.item)
                 .arg(int(l.selectionArea))
                 .arg(int(l.commandList)) +
             links();
        if (!l.areas.empty())
            s += QStringLiteral(" areas%1 last%2,%3,%4,%5")
                     .arg(l.areas.size())
                     .arg(l.areas.back().x1)
                     .arg(l.areas.back().y1)
                     .arg(l.areas.back().x2)
                     .arg(l.areas.back().y2);
        return s;
    }
    case ListKind::End:
        return s + QStringLiteral(" end disc%1 pic%2").arg(l.nextDisc).arg(l.changePicture);
    case ListKind::Command:
        return s + QStringLiteral(" command");
    case ListKind::Unknown:
        break;
    }
    return s + QStringLiteral(" unknown");
}

QString describe(const Psd& psd)
{
    QStringList out;
    for (const PsdList& l : psd.lists)
        out << describe(l);
    return out.join(" | ");
}

// Play list 2 of a track, an entry and a segment, with a play time, a wait and an auto-pause,
// linking back to the list at 0.
Play songs(int next)
{
    return {.lid = 2,
            .items = {2, 100, 1001},
            .wait = 5,
            .playTime = 150,
            .autoPause = 255,
            .prev = 0,
            .next = next,
            .back = 0};
}

// What every result must keep to, whatever the input: counts within what the bytes hold.
void checkBounds(const Psd& psd, qsizetype size)
{
    for (const PsdList& l : psd.lists) {
        QVERIFY(qsizetype(l.offset) * 8 < size);
        QVERIFY(qsizetype(l.items.size()) * 2 <= size);
        QVERIFY(qsizetype(l.selections.size()) <= l.selectionCount);
    }
}

} // namespace

class TestVideoCdControl : public QObject {
    Q_OBJECT

private slots:
    void waitTime_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("seconds"); // -1: for ever
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("last in seconds") << 60 << 60;
        QTest::newRow("first in tens") << 61 << 70;
        QTest::newRow("second in tens") << 62 << 80;
        QTest::newRow("a hundred") << 64 << 100;
        QTest::newRow("last in tens") << 254 << 2000;
        QTest::newRow("for ever") << 255 << -1;
    }
    void waitTime()
    {
        QFETCH(int, code);
        QFETCH(int, seconds);
        QCOMPARE(waitSeconds(std::uint8_t(code)).value_or(-1), seconds);
    }

    void playItem_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        const auto row = [](const char* name, int n, ItemKind k, int i) {
            QTest::newRow(name) << n << int(k) << i;
        };
        row("nothing 0", 0, ItemKind::None, 0);
        row("nothing 1", 1, ItemKind::None, 0);
        row("first track", 2, ItemKind::Track, 2);
        row("last track", 99, ItemKind::Track, 99);
        row("first entry", 100, ItemKind::Entry, 1);
        row("last entry", 599, ItemKind::Entry, 500);
        row("reserved after entries", 600, ItemKind::Reserved, 0);
        row("reserved before segments", 999, ItemKind::Reserved, 0);
        row("first segment", 1000, ItemKind::Segment, 1);
        row("last segment", 2979, ItemKind::Segment, 1980);
        row("reserved after segments", 2980, ItemKind::Reserved, 0);
        row("largest", 0xffff, ItemKind::Reserved, 0);
    }
    void playItem()
    {
        QFETCH(int, number);
        QFETCH(int, kind);
        QFETCH(int, index);
        const Item item = VideoCdControl::playItem(number);
        QCOMPARE(int(item.kind), kind);
        QCOMPARE(item.index, index);
    }

    void entries_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<int>("problems");
        const QList<EntryRow> three{{2, 0, 4, 0}, {2, 1, 30, 74}, {3, 59, 59, 12}};
        QTest::newRow("vcd 2.0") << entriesFile("ENTRYVCD", 2, 3, three) << true
                                 << int(EntriesFormat::Vcd20)
                                 << "v2 n3 2@0:4:0 2@1:30:74 3@59:59:12" << 0;
        QTest::newRow("vcd 1.1") << entriesFile("ENTRYVCD", 1, 1, {{2, 0, 4, 0}}) << true
                                 << int(EntriesFormat::Vcd11) << "v1 n1 2@0:4:0" << 0;
        QTest::newRow("svcd") << entriesFile("ENTRYSVD", 1, 1, {{99, 70, 0, 1}}) << true
                              << int(EntriesFormat::Svcd) << "v1 n1 99@70:0:1" << 0;
        QTest::newRow("no entries") << entriesFile("ENTRYVCD", 2, 0, {}) << true
                                    << int(EntriesFormat::Vcd20) << "v2 n0" << 0;
        QTest::newRow("an info file")
            << entriesFile("VIDEO_CD", 2, 1, three) << false << 0 << "" << 0;
        QTest::newRow("empty") << QByteArray() << false << 0 << "" << 0;
        QTest::newRow("the name cut") << QByteArray("ENTRYVC") << false << 0 << "" << 0;
        QTest::newRow("the header cut") << QByteArray("ENTRYVCD\2\0\0", 11) << true
                                        << int(EntriesFormat::Vcd11) << "v0 n0" << 1;
        QTest::newRow("count past the end")
            << entriesFile("ENTRYVCD", 2, 3, three).left(12 + 4 * 2 + 3) << true
            << int(EntriesFormat::Vcd20) << "v2 n3 2@0:4:0 2@1:30:74" << 1;
        QByteArray many = entriesFile("ENTRYVCD", 2, 0xffff, {});
        many.resize(12 + 4 * 600, '\0');
        QTest::newRow("more than 500") << many << true << int(EntriesFormat::Vcd20) << "" << 501;
        QByteArray hex = entriesFile("ENTRYVCD", 2, 2, three);
        hex[13] = char(0x1a);
        QTest::newRow("no decimal minute")
            << hex << true << int(EntriesFormat::Vcd20) << "v2 n2 2@0:0:0! 2@1:30:74" << 1;
        QTest::newRow("second 60") << entriesFile("ENTRYVCD", 2, 1, {{2, 0, 60, 0}}) << true
                                   << int(EntriesFormat::Vcd20) << "v2 n1 2@0:0:0!" << 1;
        QTest::newRow("frame 75") << entriesFile("ENTRYVCD", 2, 1, {{2, 0, 2, 75}}) << true
                                  << int(EntriesFormat::Vcd20) << "v2 n1 2@0:0:0!" << 1;
        QTest::newRow("track 1") << entriesFile("ENTRYVCD", 2, 1, {{1, 0, 4, 0}}) << true
                                 << int(EntriesFormat::Vcd20) << "v2 n1 1@0:4:0!" << 1;
    }
    void entries()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, read);
        QFETCH(int, format);
        QFETCH(QString, entries);
        QFETCH(int, problems);
        const auto e = parseEntries(bytes(file));
        QCOMPARE(e.has_value(), read);
        if (!e)
            return;
        QCOMPARE(int(e->format), format);
        if (QByteArray(QTest::currentDataTag()) == "more than 500") {
            QCOMPARE(e->entries.size(), std::size_t(MaxEntries));
            QCOMPARE(e->declaredCount, 0xffff);
        } else {
            QCOMPARE(describe(*e), entries);
        }
        QCOMPARE(int(e->problems.size()), problems);
    }

    void entryAddress()
    {
        QCOMPARE((Msf{0, 2, 0}.lba()), 0);
        QCOMPARE((Msf{0, 4, 0}.lba()), 150);
        QCOMPARE((Msf{1, 0, 1}.lba()), 60 * 75 + 1 - 150);
    }

    void entriesCutAtEveryLength()
    {
        const QByteArray whole =
            entriesFile("ENTRYVCD", 2, 3, {{2, 0, 4, 0}, {2, 1, 30, 74}, {3, 59, 59, 12}});
        for (int length = 0; length <= 12 + 4 * 3; ++length) {
            const auto e = parseEntries(bytes(whole.left(length)));
            QCOMPARE(e.has_value(), length >= 8);
            if (!e)
                continue;
            const int fit = length < 12 ? 0 : (length - 12) / 4;
            QCOMPARE(int(e->entries.size()), fit);
            QCOMPARE(e->problems.empty(), fit == 3);
        }
    }

    void info_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("segments");
        QTest::addColumn<int>("problems");
        InfoFields vcd;
        vcd.psdSize = 0x12345;
        vcd.segMinute = 0;
        vcd.segSecond = 22;
        vcd.maxListId = 7;
        vcd.flags = 0x80;
        // Audio only; NTSC still with sound; PAL motion continued; PAL still, subtitles.
        vcd.segmentCount = 4;
        vcd.segments = QByteArray("\x01\x05\x3d\xd4", 4);
        QTest::newRow("vcd 2.0") << infoFile(vcd) << true
                                 << "1 VIDEO_CD v2 [KARAOKE 1] 1/2 x psd74565 seg0:22:0 m8 "
                                    "lid7 n4"
                                 << "a1v0 audio|a1v1 still|a1v7c motion|a0v5o3 still" << 0;
        InfoFields svcd;
        svcd.id = "SUPERVCD";
        svcd.version = 1;
        svcd.album = QByteArray("SIXTEEN CHARS!!!");
        QTest::newRow("svcd") << infoFile(svcd) << true
                              << "2 SUPERVCD v1 [SIXTEEN CHARS!!!] 1/2 psd0 seg0:0:0 m8 lid0 n0"
                              << "" << 0;
        InfoFields hq = svcd;
        hq.id = "HQ-VCD  ";
        hq.album = "";
        QTest::newRow("hq-vcd") << infoFile(hq) << true
                                << "3 HQ-VCD   v1 [] 1/2 psd0 seg0:0:0 m8 lid0 n0"
                                << "" << 0;
        InfoFields v11;
        v11.version = 1;
        QTest::newRow("vcd 1.1") << infoFile(v11) << true
                                 << "0 VIDEO_CD v1 [KARAOKE 1] 1/2 psd0 seg0:0:0 m8 lid0 n0"
                                 << "" << 0;
        InfoFields many = vcd;
        many.segmentCount = 2000;
        QTest::newRow("more than 1980 segments")
            << infoFile(many) << true
            << "1 VIDEO_CD v2 [KARAOKE 1] 1/2 x psd74565 seg0:22:0 m8 lid7 n2000"
            << "*" << 1;
        QTest::newRow("segments past the end")
            << infoFile(vcd).left(58) << true
            << "1 VIDEO_CD v2 [KARAOKE 1] 1/2 x psd74565 seg0:22:0 m8 lid7 n4"
            << "a1v0 audio|a1v1 still" << 1;
        QByteArray badSeg = infoFile(vcd);
        badSeg[49] = char(0x6a);
        QTest::newRow("no decimal segment address")
            << badSeg << true << "1 VIDEO_CD v2 [KARAOKE 1] 1/2 x psd74565 seg0:0:0 m8 lid7 n4"
            << "a1v0 audio|a1v1 still|a1v7c motion|a0v5o3 still" << 1;
        QTest::newRow("an entries file") << entriesFile("ENTRYVCD", 2, 0, {}) << false << ""
                                         << "" << 0;
        QTest::newRow("cut in the name") << QByteArray("VIDEO_") << false << ""
                                         << "" << 0;
    }
    void info()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, read);
        QFETCH(QString, fields);
        QFETCH(QString, segments);
        QFETCH(int, problems);
        const auto info = parseInfo(bytes(file));
        QCOMPARE(info.has_value(), read);
        if (!info)
            return;
        QCOMPARE(QStringLiteral("%1 %2 v%3 [%4] %5/%6%7 psd%8 seg%9:%10:%11 m%12 lid%13 n%14")
                     .arg(int(info->format))
                     .arg(QString::fromStdString(info->systemId))
                     .arg(info->version)
                     .arg(QString::fromStdString(info->albumId))
                     .arg(info->volumeNumber)
                     .arg(info->volumeCount)
                     .arg(info->extendedPbc ? " x" : "")
                     .arg(info->psdSize)
                     .arg(info->firstSegment.minute)
                     .arg(info->firstSegment.second)
                     .arg(info->firstSegment.frame)
                     .arg(info->offsetMultiplier)
                     .arg(info->maxListId)
                     .arg(info->segmentCount),
                 fields);
        if (segments == "*") {
            QCOMPARE(info->segments.size(), std::size_t(MaxSegments));
        } else {
            QStringList kinds;
            const char* names[] = {"none", "audio", "still", "motion"};
            for (const Segment& s : info->segments)
                kinds << QStringLiteral("a%1v%2%3%4 %5")
                             .arg(s.audio)
                             .arg(s.video)
                             .arg(s.continuation ? "c" : "")
                             .arg(s.ogt ? QStringLiteral("o%1").arg(s.ogt) : QString())
                             .arg(names[int(s.kind())]);
            QCOMPARE(kinds.join('|'), segments);
        }
        QCOMPARE(int(info->problems.size()), problems);
    }

    void infoCutAtEveryLength()
    {
        InfoFields f;
        f.segmentCount = 3;
        f.segments = QByteArray("\x01\x05\x0f", 3);
        const QByteArray whole = infoFile(f);
        for (int length = 0; length <= 60; ++length) {
            const auto info = parseInfo(bytes(whole.left(length)));
            QCOMPARE(info.has_value(), length >= 8);
            if (!info)
                continue;
            QCOMPARE(int(info->segments.size()), std::clamp(length - 56, 0, 3));
            QCOMPARE(info->problems.empty(), length >= 59);
        }
    }

    void lot_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<int>("problems");
        QTest::newRow("three") << lotFile({{1, 0}, {2, 3}, {40, 0x1234}}) << "1@0 2@3 40@4660" << 0;
        QTest::newRow("last id") << lotFile({{32767, 9}}) << "32767@9" << 0;
        QTest::newRow("none") << lotFile({}) << "" << 0;
        QTest::newRow("cut short") << lotFile({{1, 0}, {2, 3}}).left(5) << "1@0" << 1;
        QTest::newRow("only the reserved field") << QByteArray(2, '\0') << "" << 0;
        QTest::newRow("empty") << QByteArray() << "" << 1;
        QTest::newRow("longer than the table")
            << lotFile({{1, 0}}) + QByteArray(64, '\0') << "1@0" << 0;
    }
    void lot()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, lists);
        QFETCH(int, problems);
        const Lot lot = parseLot(bytes(file));
        QStringList out;
        for (const LotEntry& e : lot.lists)
            out << QStringLiteral("%1@%2").arg(e.listId).arg(e.offset);
        QCOMPARE(out.join(' '), lists);
        QCOMPARE(int(lot.problems.size()), problems);
    }

    void lotCutAtEveryLength()
    {
        const QByteArray whole = lotFile({{1, 0}, {3, 7}, {9, 20}});
        for (int length = 0; length <= 24; ++length) {
            const Lot lot = parseLot(bytes(whole.left(length)));
            const int ids = length < 2 ? 0 : (length - 2) / 2; // ids whose offsets are whole
            const int expected = (ids >= 1) + (ids >= 3) + (ids >= 9);
            QCOMPARE(int(lot.lists.size()), expected);
            QCOMPARE(lot.problems.empty(), length >= 2 && length % 2 == 0);
        }
    }

    void psd_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("lot");
        QTest::addColumn<int>("multiplier");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<int>("problems");

        Selection menu;
        menu.lid = 1;
        menu.base = 1;
        menu.selections = {3, 6};
        menu.defaultLink = 3;
        menu.timeoutLink = 6;
        menu.timeout = 70;
        menu.loop = 3;
        menu.jumpDelayed = true;
        menu.item = 1000;
        menu.next = 9;
        const QByteArray disc = PsdFile()
                                    .selection(0, menu)
                                    .play(3, songs(6))
                                    .play(6, {.lid = 3, .items = {3}, .prev = 3, .back = 0})
                                    .end(9, {.picture = 1002})
                                    .data();
        QTest::newRow("menu, two play lists, end")
            << disc << lotFile({{1, 0}, {2, 3}, {3, 6}, {4, 9}}) << 8
            << "1 @0 select b1 n2 [2,3] d2 o3/70 loop3j item1000 f00 <- >4 ^- | "
               "2 @3 play [2,100,1001] t150 w5 a255 <1 >3 ^1 | "
               "3 @6 play [3] t0 w0 a0 <2 >- ^1 | 4 @9 end disc0 pic1002"
            << 0;

        Selection flags = menu;
        flags.flags = 3;
        flags.loop = 0;
        flags.jumpDelayed = false;
        flags.base = 5;
        flags.selections = {};
        flags.defaultLink = MultiDefault;
        flags.timeoutLink = None;
        flags.next = None;
        QTest::newRow("no selections, area flag, multi default, loop for ever")
            << PsdFile().selection(0, flags).data() << lotFile({{1, 0}}) << 8
            << "1 @0 select b5 n0 [] d@65534 o-/70 loop0 item1000 f11 <- >- ^- areas4 last3,4,5,6"
            << 0;

        Selection extended = menu;
        extended.extended = true;
        extended.selections = {0};
        extended.defaultLink = None;
        extended.timeoutLink = None;
        extended.next = None;
        QTest::newRow("extended selection")
            << PsdFile().selection(0, extended).data() << lotFile({{1, 0}}) << 8
            << "1 @0 xselect b1 n1 [1] d- o-/70 loop3j item1000 f00 <- >- ^- areas5 last4,5,6,7"
            << 0;

        QTest::newRow("play list linking to itself")
            << PsdFile().play(0, {.lid = 1, .items = {2}, .prev = 0, .next = 0, .back = 0}).data()
            << lotFile({{1, 0}}) << 8 << "1 @0 play [2] t0 w0 a0 <1 >1 ^1" << 0;
        QTest::newRow("a circle")
            << PsdFile()
                   .play(0, {.lid = 1, .items = {2}, .next = 2})
                   .play(2, {.lid = 2, .items = {3}, .next = 0})
                   .data()
            << lotFile({{1, 0}}) << 8
            << "1 @0 play [2] t0 w0 a0 <- >2 ^- | (2) @2 play [3] t0 w0 a0 <- >1 ^-" << 0;
        QTest::newRow("rejected, reached by a link")
            << PsdFile()
                   .play(0, {.lid = 1, .next = 2})
                   .play(2, {.lid = 2 | Rejected, .items = {4}})
                   .data()
            << lotFile({{1, 0}}) << 8
            << "1 @0 play [] t0 w0 a0 <- >2 ^- | (2)r @2 play [4] t0 w0 a0 <- >- ^-" << 0;
        QTest::newRow("a link past the end")
            << PsdFile().play(0, {.lid = 1, .items = {2}, .next = 500}).data() << lotFile({{1, 0}})
            << 8 << "1 @0 play [2] t0 w0 a0 <- >@500 ^-" << 1;
        QTest::newRow("a LOT offset past the end")
            << PsdFile().play(0, {.lid = 1, .items = {2}}).data() << lotFile({{1, 0}, {2, 0x7000}})
            << 8 << "1 @0 play [2] t0 w0 a0 <- >- ^-" << 1;
        QByteArray items = PsdFile().play(0, {.lid = 1, .items = {2, 3}}).data();
        items[1] = char(200);
        QTest::newRow("more items than bytes")
            << items << lotFile({{1, 0}}) << 8 << "1! @0 play [2,3,0,0,0] t0 w0 a0 <- >- ^-" << 1;
        Selection many = flags;
        many.count = 255;
        many.flags = 2;
        many.selections = {0};
        QTest::newRow("more selections than bytes")
            << PsdFile().selection(0, many).data() << lotFile({{1, 0}}) << 8
            << "1! @0 select b5 n255 [1,1] d@65534 o-/70 loop0 item1000 f01 <- >- ^-" << 1;
        QTest::newRow("the LOT names another list")
            << PsdFile().play(0, {.lid = 9}).data() << lotFile({{1, 0}}) << 8
            << "1 @0 play [] t0 w0 a0 <- >- ^-" << 1;
        QTest::newRow("two ids, one list")
            << PsdFile().end(0, {.nextDisc = 2}).data() << lotFile({{1, 0}, {5, 0}}) << 8
            << "1 @0 end disc2 pic0" << 1;
        QTest::newRow("no list there")
            << QByteArray(8, '\x42') << lotFile({{1, 0}}) << 8 << "1! @0 unknown" << 1;
        QTest::newRow("a command list")
            << PsdFile().command(0, 1).data() << lotFile({{1, 0}}) << 8 << "1 @0 command" << 0;
        QTest::newRow("multiplier 1")
            << PsdFile().play(0, {.lid = 1, .next = 16}).end(2, {}).data() << lotFile({{1, 0}}) << 1
            << "1 @0 play [] t0 w0 a0 <- >@16 ^- | (0) @16 end disc0 pic0" << 0;
        QTest::newRow("multiplier 0") << disc << lotFile({{1, 0}}) << 0 << "" << 1;
        QTest::newRow("empty file") << QByteArray() << lotFile({{1, 0}}) << 8 << "" << 1;
        QTest::newRow("empty LOT") << disc << QByteArray() << 8 << "" << 0;
    }
    void psd()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, lot);
        QFETCH(int, multiplier);
        QFETCH(QString, lists);
        QFETCH(int, problems);
        const Psd psd = parsePsd(bytes(file), parseLot(bytes(lot)), multiplier);
        QCOMPARE(describe(psd), lists);
        QCOMPARE(int(psd.problems.size()), problems);
    }

    // A menu cut at every length: each list reads as far as its bytes go, none past them.
    void psdCutAtEveryLength()
    {
        Selection menu;
        menu.selections = {6, 9};
        menu.extended = true;
        const QByteArray whole =
            PsdFile().selection(0, menu).play(6, songs(9)).end(9, {.picture = 1002}).data();
        const Lot lot = parseLot(bytes(lotFile({{1, 0}, {2, 6}, {3, 9}})));
        for (int length = 0; length <= whole.size(); ++length) {
            const Psd psd = parsePsd(bytes(whole.left(length)), lot, 8);
            checkBounds(psd, length);
            const bool whole = length >= 9 * 8 + 4;
            QCOMPARE(psd.problems.empty(), whole);
            for (const PsdList& l : psd.lists)
                QVERIFY(l.complete || !whole);
        }
    }
};

QTEST_GUILESS_MAIN(TestVideoCdControl)
#include "test_video_cd_control.moc"
