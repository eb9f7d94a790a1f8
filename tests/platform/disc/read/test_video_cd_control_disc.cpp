// The control files of a Video CD 2.0 and a Super Video CD that vcdimager builds here (entries
// inside a track, a menu over a segment, two play lists, one of them rejected, an end list), read
// from its BIN image with the player's own disc reading and parsed, then written out as vcd-info's
// lines: each must be one that vcd-info prints for the same disc.

#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/disc_reader.h"
#include "platform/disc/read/video_cd_control.h"
#include "vcd_info_lines.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace VideoCdControl;
using VcdInfoLines::entryLines;
using VcdInfoLines::infoLines;
using VcdInfoLines::lotLines;
using VcdInfoLines::psdLines;

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

} // namespace

struct Disc {
    QString cue;
    bool svcd = false;
    // vcd-info's lines, trimmed, in three parts: up to the PSD, the PSD and the extended LOT,
    // the extended PSD (VCD 2.0 only).
    QStringList before, psd, extended;
};

class TestVideoCdControlDisc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QMap<QString, Disc> m_discs;

    bool run(const QString& folder, const QString& program, const QStringList& arguments,
             QByteArray* out = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(folder);
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

    // Clips in the form the disc wants, the description, the image and what vcd-info reads.
    bool build(const QString& name, bool svcd)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        const QString size = svcd ? "480x576:rate=25" : "352x240:rate=30000/1001";
        const QString target = svcd ? "pal-svcd" : "ntsc-vcd";
        const QStringList clip{
            "-nostdin", "-loglevel", "error",    "-y",
            "-f",       "lavfi",     "-i",       "testsrc2=size=" + size + ":duration=3",
            "-f",       "lavfi",     "-i",       "sine=frequency=440:sample_rate=44100:duration=3",
            "-target",  target,      "-shortest"};
        if (!run(folder, "ffmpeg", clip + QStringList{"clip1.mpg"}) ||
            !run(folder, "ffmpeg", clip + QStringList{"clip2.mpg"}) ||
            !run(folder, "ffmpeg",
                 {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  "testsrc2=size=" + size, "-frames:v", "1", "-target", target, "-an",
                  "still.mpg"}))
            return false;
        QByteArray xml(DiscXml);
        if (svcd)
            xml.replace("class=\"vcd\" version=\"2.0\"", "class=\"svcd\" version=\"1.0\"");
        QFile file(folder + "/disc.xml");
        if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size())
            return false;
        file.close();
        if (!run(folder, "vcdxbuild",
                 {"--quiet", "--cue-file=disc.cue", "--bin-file=disc.bin", "disc.xml"}))
            return false;
        Disc disc;
        disc.cue = folder + "/disc.cue";
        disc.svcd = svcd;
        QByteArray info;
        if (!run(folder, "vcd-info", {"-t", "-c", disc.cue, "-E", "-I", "-L", "-p"}, &info))
            return false;
        QStringList* part = &disc.before;
        for (const QByteArray& line : info.split('\n')) {
            const QString trimmed = QString::fromLatin1(line).trimmed();
            if (trimmed == "VCD/PSD.VCD" || trimmed == "SVCD/PSD.SVD")
                part = &disc.psd;
            else if (trimmed == "EXT/PSD_X.VCD")
                part = &disc.extended;
            *part << trimmed;
        }
        m_discs.insert(name, disc);
        return !disc.psd.isEmpty() && disc.extended.isEmpty() == svcd;
    }

    static QByteArray readFile(const Disc& d, const QStringList& path)
    {
        auto disc = DiscReader::open(d.cue);
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

    // The control file `name` ("INFO", ...) of the disc's own folder.
    static QByteArray control(const Disc& d, const QString& name)
    {
        return d.svcd ? readFile(d, {"SVCD", name + ".SVD"}) : readFile(d, {"VCD", name + ".VCD"});
    }

    static void checkLines(const QStringList& ours, const QStringList& theirs)
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

    static void discs()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("vcd 2.0") << "vcd2";
        QTest::newRow("svcd") << "svcd";
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"ffmpeg", "vcdxbuild", "vcd-info"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        QVERIFY(m_dir.isValid());
        QVERIFY(build("vcd2", false));
        QVERIFY(build("svcd", true));
    }

    void entries_data() { discs(); }
    void entries()
    {
        QFETCH(QString, name);
        const Disc& disc = m_discs[name];
        const auto e = parseEntries(bytes(control(disc, "ENTRIES")));
        QVERIFY(e);
        QVERIFY(e->problems.empty());
        // vcdimager names an SVCD's entries as a VCD 1.1's.
        QCOMPARE(e->format, disc.svcd ? EntriesFormat::Vcd11 : EntriesFormat::Vcd20);
        for (const Entry& entry : e->entries)
            QVERIFY(entry.valid);
        QCOMPARE(e->entries.size(), std::size_t(3)); // two tracks, one entry inside the first
        checkLines(entryLines(*e), disc.before);
    }

    void info_data() { discs(); }
    void info()
    {
        QFETCH(QString, name);
        const Disc& disc = m_discs[name];
        const auto info = parseInfo(bytes(control(disc, "INFO")));
        QVERIFY(info);
        QVERIFY(info->problems.empty());
        QCOMPARE(info->format, disc.svcd ? DiscFormat::Svcd : DiscFormat::Vcd20);
        QCOMPARE(info->segments.size(), std::size_t(1));
        checkLines(infoLines(*info), disc.before);
        QCOMPARE(QString::fromStdString(info->albumId), QStringLiteral("PBCTEST"));
    }

    void lists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("extended");
        QTest::newRow("vcd 2.0") << "vcd2" << false;
        QTest::newRow("vcd 2.0 EXT") << "vcd2" << true;
        QTest::newRow("svcd") << "svcd" << false;
    }
    void lists()
    {
        QFETCH(QString, name);
        QFETCH(bool, extended);
        const Disc& disc = m_discs[name];
        const auto info = parseInfo(bytes(control(disc, "INFO")));
        QVERIFY(info);
        const Lot table =
            parseLot(bytes(extended ? readFile(disc, {"EXT", "LOT_X.VCD"}) : control(disc, "LOT")));
        QVERIFY(table.problems.empty());
        const Psd lists =
            parsePsd(bytes(extended ? readFile(disc, {"EXT", "PSD_X.VCD"}) : control(disc, "PSD")),
                     table, info->offsetMultiplier);
        QVERIFY(lists.problems.empty());
        const QStringList& lotPart = extended ? disc.psd : disc.before;
        const QStringList& psdPart = extended ? disc.extended : disc.psd;
        checkLines(lotLines(table, info->offsetMultiplier), lotPart);
        // The LOT leaves out the rejected list (vcd-info: "LID[3]: rejected").
        QCOMPARE(int(table.lists.size()), count(lotPart, "LID[") - 1);
        QVERIFY(lotPart.contains("LID[3]: rejected"));
        QCOMPARE(int(table.lists.size()), info->maxListId - 1);
        checkLines(psdLines(lists, disc.svcd), psdPart);
        QCOMPARE(int(lists.lists.size()), count(psdPart, "PSD["));
        // The LOT's menu, play list and end list, then the rejected play list its links reach.
        QCOMPARE(lists.lists.size(), std::size_t(4));
        const PsdList& menu = lists.lists[0];
        QCOMPARE(menu.kind, extended ? ListKind::ExtendedSelection : ListKind::Selection);
        // An SVCD's selection lists carry their areas behind the area flag.
        QCOMPARE(menu.selectionArea, disc.svcd);
        QCOMPARE(menu.areas.size(), extended || disc.svcd ? std::size_t(6) : std::size_t(0));
        QCOMPARE(lists.lists[1].kind, ListKind::Play);
        QVERIFY(!lists.lists[1].rejected);
        QCOMPARE(lists.lists[2].kind, ListKind::End);
        // A VCD 2.0 end list shows no picture; an SVCD's shows the segment.
        QCOMPARE(lists.lists[2].changePicture, disc.svcd ? 1000 : 0);
        QCOMPARE(lists.lists[3].kind, ListKind::Play);
        QVERIFY(lists.lists[3].rejected);
        QCOMPARE(lists.lists[3].lotId, 0);
        QCOMPARE(lists.lists[3].listId, 3);
    }
};

QTEST_GUILESS_MAIN(TestVideoCdControlDisc)
#include "test_video_cd_control_disc.moc"
