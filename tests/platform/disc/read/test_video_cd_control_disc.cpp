// The control files of a Video CD 2.0 that vcdimager builds here (entries inside a track, a
// menu over a segment, two play lists, one of them rejected, an end list), read from its BIN
// image with the player's own disc reading and parsed, then written out as vcd-info's lines:
// each must be one that vcd-info prints for the same disc.

#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/disc_reader.h"
#include "platform/disc/read/video_cd_control.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace VideoCdControl;

namespace {

const char* const DiscXml =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE videocd PUBLIC \"-//GNU//DTD VideoCD//EN\" "
    "\"http://www.gnu.org/software/vcdimager/videocd.dtd\">\n"
    "<videocd xmlns=\"http://www.gnu.org/software/vcdimager/1.0/\" class=\"vcd\" version=\"2.0\">\n"
    "  <info><album-id>PBCTEST</album-id><volume-count>1</volume-count>\n"
    "    <volume-number>1</volume-number></info>\n"
    "  <pvd><volume-id>PBCTEST</volume-id><system-id>CD-RTOS CD-BRIDGE</system-id></pvd>\n"
    "  <segment-items><segment-item src=\"still.mpg\" id=\"segment-menu\"/></segment-items>\n"
    "  <sequence-items>\n"
    "    <sequence-item src=\"clip1.mpg\" id=\"sequence-00\"><entry "
    "id=\"entry-001\">1.0</entry></sequence-item>\n"
    "    <sequence-item src=\"clip2.mpg\" id=\"sequence-01\"/>\n"
    "  </sequence-items>\n"
    "  <pbc>\n"
    "    <selection id=\"menu\">\n"
    "      <bsn>1</bsn><next ref=\"end\"/><default ref=\"play-one\"/><timeout ref=\"play-two\"/>\n"
    "      <wait>70</wait><loop jump-timing=\"delayed\">3</loop><play-item ref=\"segment-menu\"/>\n"
    "      <select ref=\"play-one\"/><select ref=\"play-two\"/>\n"
    "    </selection>\n"
    "    <playlist id=\"play-one\">\n"
    "      <next ref=\"play-two\"/><return ref=\"menu\"/><playtime>10</playtime><wait>5</wait>\n"
    "      <autowait>0</autowait><play-item ref=\"sequence-00\"/><play-item ref=\"entry-001\"/>\n"
    "    </playlist>\n"
    "    <playlist id=\"play-two\" rejected=\"true\">\n"
    "      <prev ref=\"play-one\"/><next ref=\"end\"/><return ref=\"menu\"/><wait>-1</wait>\n"
    "      <play-item ref=\"sequence-01\"/>\n"
    "    </playlist>\n"
    "    <endlist id=\"end\"><play-item ref=\"segment-menu\"/></endlist>\n"
    "  </pbc>\n"
    "</videocd>\n";

Bytes bytes(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())};
}

QString hex(int value, int digits)
{
    return QString::number(value, 16).rightJustified(digits, '0');
}

QString itemName(int number)
{
    const Item item = playItem(number);
    switch (item.kind) {
    case ItemKind::Track:
        return QStringLiteral("SEQUENCE[%1]").arg(item.index - 2);
    case ItemKind::Entry:
        return QStringLiteral("ENTRY[%1]").arg(item.index - 1);
    case ItemKind::Segment:
        return QStringLiteral("SEGMENT[%1]").arg(item.index - 1);
    default:
        return QStringLiteral("?");
    }
}

QString linkText(const Link& link)
{
    if (link.none())
        return QStringLiteral("disabled");
    return QStringLiteral("LID[%1] @0x%2").arg(link.listId).arg(hex(link.offset, 4));
}

QStringList lotLines(const Lot& lot, int multiplier)
{
    QStringList lines;
    for (const LotEntry& e : lot.lists)
        lines << QStringLiteral("LID[%1]: offset = %2 (0x%3)")
                     .arg(e.listId)
                     .arg(e.offset * multiplier)
                     .arg(hex(e.offset, 4));
    return lines;
}

// In vcd-info's order, the file's.
QStringList psdLines(Psd psd)
{
    std::sort(psd.lists.begin(), psd.lists.end(),
              [](const PsdList& a, const PsdList& b) { return a.offset < b.offset; });
    QStringList lines;
    for (std::size_t i = 0; i < psd.lists.size(); ++i) {
        const PsdList& l = psd.lists[i];
        const char* kinds[] = {"play list", "selection list", "extended selection list",
                               "end list",  "command list",   "unknown"};
        lines << QStringLiteral("PSD[%1] (LID[%2] @0x%3): %4 descriptor")
                     .arg(int(i), 2, 10, QChar('0'))
                     .arg(l.lotId != 0 ? l.lotId : l.listId)
                     .arg(hex(l.offset, 4))
                     .arg(kinds[int(l.kind)]);
        const QString links = QStringLiteral("prev: %1 | next: %2 | return: %3")
                                  .arg(linkText(l.previous), linkText(l.next), linkText(l.back));
        const QString rejected = l.rejected ? "yes" : "no";
        if (l.kind == ListKind::Play) {
            lines << QStringLiteral("NOI: %1 | LID#: %2 (rejected: %3)")
                         .arg(l.items.size())
                         .arg(l.listId)
                         .arg(rejected)
                  << links
                  << QStringLiteral("playtime: %1/15s | wait: %2s | autowait: %3s")
                         .arg(l.playTime)
                         .arg(waitSeconds(l.waitTime).value_or(-1))
                         .arg(waitSeconds(l.autoPauseTime).value_or(-1));
            for (std::size_t k = 0; k < l.items.size(); ++k)
                lines << QStringLiteral("play-item[%1]: %2 (0x%3)")
                             .arg(k)
                             .arg(itemName(l.items[k]))
                             .arg(hex(l.items[k], 4));
        } else if (l.kind == ListKind::Selection || l.kind == ListKind::ExtendedSelection) {
            lines
                << QStringLiteral("Flags: 0x%1 | NOS: %2 | BSN: %3 | LID: %4 (rejected: %5)")
                       .arg(hex(int(l.selectionArea) | int(l.commandList) << 1, 2))
                       .arg(l.selectionCount)
                       .arg(l.baseNumber)
                       .arg(l.listId)
                       .arg(rejected)
                << links
                << QStringLiteral("default: %1 | timeout: %2")
                       .arg(linkText(l.defaultLink), linkText(l.timeoutLink))
                << QStringLiteral("wait: %1 secs | loop: %2 (delayed: %3)")
                       .arg(waitSeconds(l.timeout).value_or(-1))
                       .arg(l.loopCount)
                       .arg(l.jumpDelayed ? "yes" : "no")
                << QStringLiteral("play-item: %1 (0x%2)").arg(itemName(l.item)).arg(hex(l.item, 4));
            for (std::size_t k = 0; k < l.selections.size(); ++k)
                lines << QStringLiteral("ofs[%1]: %2").arg(k).arg(linkText(l.selections[k]));
        }
    }
    return lines;
}

} // namespace

class TestVideoCdControlDisc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_cue;
    // vcd-info's lines, trimmed, in three parts: up to the PSD, the PSD and the extended LOT,
    // the extended PSD.
    QStringList m_before, m_psd, m_extended;

    bool run(const QString& program, const QStringList& arguments, QByteArray* out = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(program, arguments);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            qWarning() << program << arguments << p.readAllStandardError();
            return false;
        }
        if (out)
            *out = p.readAllStandardOutput();
        return true;
    }

    QByteArray readFile(const QStringList& path)
    {
        auto disc = DiscReader::open(m_cue);
        if (!disc)
            return {};
        const auto entry = DiscReader::findFile(*disc, path);
        if (!entry)
            return {};
        DiscFileReader file(std::move(disc), *entry);
        QByteArray data(qsizetype(file.size()), '\0');
        qsizetype done = 0;
        while (done < data.size()) {
            const auto n =
                file.read(std::uint64_t(done), reinterpret_cast<unsigned char*>(data.data() + done),
                          std::size_t(data.size() - done));
            if (n <= 0)
                return {};
            done += qsizetype(n);
        }
        return data;
    }

    void checkLines(const QStringList& ours, const QStringList& theirs)
    {
        QVERIFY(!ours.isEmpty());
        for (const QString& line : ours)
            QVERIFY2(theirs.contains(line), qPrintable("not from vcd-info: " + line));
    }

    static int count(const QStringList& lines, const QString& start)
    {
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString& l) { return l.startsWith(start); }));
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"ffmpeg", "vcdxbuild", "vcd-info"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        QVERIFY(m_dir.isValid());
        const QStringList clip{
            "-nostdin", "-loglevel", "error",    "-y",
            "-f",       "lavfi",     "-i",       "testsrc2=size=352x240:rate=30000/1001:duration=3",
            "-f",       "lavfi",     "-i",       "sine=frequency=440:sample_rate=44100:duration=3",
            "-target",  "ntsc-vcd",  "-shortest"};
        QVERIFY(run("ffmpeg", clip + QStringList{"clip1.mpg"}));
        QVERIFY(run("ffmpeg", clip + QStringList{"clip2.mpg"}));
        QVERIFY(run("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                               "testsrc2=size=352x240:rate=30000/1001", "-frames:v", "1", "-target",
                               "ntsc-vcd", "-an", "still.mpg"}));
        QFile xml(m_dir.filePath("disc.xml"));
        QVERIFY(xml.open(QIODevice::WriteOnly));
        xml.write(DiscXml);
        xml.close();
        QVERIFY(run("vcdxbuild",
                    {"--quiet", "--cue-file=disc.cue", "--bin-file=disc.bin", "disc.xml"}));
        m_cue = m_dir.filePath("disc.cue");
        QByteArray info;
        QVERIFY(run("vcd-info", {"-t", "-c", m_cue, "-E", "-I", "-L", "-p"}, &info));
        QStringList* part = &m_before;
        for (const QByteArray& line : info.split('\n')) {
            const QString trimmed = QString::fromLatin1(line).trimmed();
            if (trimmed == "VCD/PSD.VCD")
                part = &m_psd;
            else if (trimmed == "EXT/PSD_X.VCD")
                part = &m_extended;
            *part << trimmed;
        }
        QVERIFY(!m_psd.isEmpty() && !m_extended.isEmpty());
    }

    void entries()
    {
        const auto e = parseEntries(bytes(readFile({"VCD", "ENTRIES.VCD"})));
        QVERIFY(e);
        QVERIFY(e->problems.empty());
        QCOMPARE(e->format, EntriesFormat::Vcd20);
        QStringList lines{"ID: `ENTRYVCD'", "version: 0x02",
                          QStringLiteral("entries: %1").arg(e->entries.size())};
        for (std::size_t i = 0; i < e->entries.size(); ++i) {
            const Entry& entry = e->entries[i];
            QVERIFY(entry.valid);
            lines << QStringLiteral("ENTRY[%1]: track# %2 (SEQUENCE[%3]), LSN %4 (MSF %5:%6:%7)")
                         .arg(int(i), 2, 10, QChar('0'))
                         .arg(entry.track - 1, 2)
                         .arg(entry.track - 2)
                         .arg(entry.address.lba(), 6)
                         .arg(entry.address.minute, 2, 10, QChar('0'))
                         .arg(entry.address.second, 2, 10, QChar('0'))
                         .arg(entry.address.frame, 2, 10, QChar('0'));
        }
        QCOMPARE(e->entries.size(), std::size_t(3)); // two tracks, one entry inside the first
        checkLines(lines, m_before);
    }

    void info()
    {
        const auto info = parseInfo(bytes(readFile({"VCD", "INFO.VCD"})));
        QVERIFY(info);
        QVERIFY(info->problems.empty());
        QCOMPARE(info->format, DiscFormat::Vcd20);
        QCOMPARE(info->segments.size(), std::size_t(1));
        const Msf& s = info->firstSegment;
        checkLines({"ID: `VIDEO_CD'", "version: 0x02",
                    QStringLiteral("album id: `%1'").arg(QString::fromStdString(info->albumId)),
                    QStringLiteral("volume count: %1").arg(info->volumeCount),
                    QStringLiteral("volume number: %1").arg(info->volumeNumber),
                    QStringLiteral("extended pbc: %1").arg(info->extendedPbc ? "yes" : "no"),
                    QStringLiteral("psd size: %1").arg(info->psdSize),
                    QStringLiteral("first segment addr: %1:%2:%3")
                        .arg(s.minute, 2, 10, QChar('0'))
                        .arg(s.second, 2, 10, QChar('0'))
                        .arg(s.frame, 2, 10, QChar('0')),
                    QStringLiteral("offset multiplier: 0x%1").arg(hex(info->offsetMultiplier, 2)),
                    QStringLiteral("maximum lid: %1").arg(info->maxListId),
                    QStringLiteral("number of segments: %1").arg(info->segmentCount)},
                   m_before);
        QCOMPARE(QString::fromStdString(info->albumId), QStringLiteral("PBCTEST"));
    }

    void lists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("lot");
        QTest::addColumn<QString>("psd");
        QTest::newRow("PSD.VCD") << "VCD"
                                 << "LOT.VCD"
                                 << "PSD.VCD";
        QTest::newRow("EXT/PSD_X.VCD") << "EXT"
                                       << "LOT_X.VCD"
                                       << "PSD_X.VCD";
    }
    void lists()
    {
        QFETCH(QString, folder);
        QFETCH(QString, lot);
        QFETCH(QString, psd);
        const bool extended = folder == "EXT";
        const auto info = parseInfo(bytes(readFile({"VCD", "INFO.VCD"})));
        QVERIFY(info);
        const Lot table = parseLot(bytes(readFile({folder, lot})));
        QVERIFY(table.problems.empty());
        const Psd lists = parsePsd(bytes(readFile({folder, psd})), table, info->offsetMultiplier);
        QVERIFY(lists.problems.empty());
        const QStringList& lotPart = extended ? m_psd : m_before;
        const QStringList& psdPart = extended ? m_extended : m_psd;
        checkLines(lotLines(table, info->offsetMultiplier), lotPart);
        // The LOT leaves out the rejected list (vcd-info: "LID[3]: rejected").
        QCOMPARE(int(table.lists.size()), count(lotPart, "LID[") - 1);
        QVERIFY(lotPart.contains("LID[3]: rejected"));
        QCOMPARE(int(table.lists.size()), info->maxListId - 1);
        checkLines(psdLines(lists), psdPart);
        QCOMPARE(int(lists.lists.size()), count(psdPart, "PSD["));
        // The LOT's menu, play list and end list, then the rejected play list its links reach.
        QCOMPARE(lists.lists.size(), std::size_t(4));
        QCOMPARE(lists.lists[0].kind, extended ? ListKind::ExtendedSelection : ListKind::Selection);
        QCOMPARE(lists.lists[0].areas.size(), extended ? std::size_t(6) : std::size_t(0));
        QCOMPARE(lists.lists[1].kind, ListKind::Play);
        QCOMPARE(lists.lists[2].kind, ListKind::End);
        QCOMPARE(lists.lists[3].kind, ListKind::Play);
        QVERIFY(lists.lists[3].rejected);
        QCOMPARE(lists.lists[3].lotId, 0);
        QCOMPARE(lists.lists[3].listId, 3);
        QVERIFY(!lists.lists[1].rejected);
        QCOMPARE(lists.lists[2].changePicture, 0); // VCD 2.0 end lists show no picture
    }
};

QTEST_GUILESS_MAIN(TestVideoCdControlDisc)
#include "test_video_cd_control_disc.moc"
