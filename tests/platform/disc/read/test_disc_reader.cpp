// Listing and reading disc folders through libcdio on the images of scripts/make-test-discs.sh
// (TAMREL_TEST_DISCS), and every kind of damaged disc failing quietly.

#include "disc_rig.h"
#include "platform/disc/read/disc_reader.h"
#include "test_media.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

namespace {

// The whole stream in reads of an awkward size; stops at the first failure.
QByteArray readAll(DiscStream& stream, qint64* failedAt = nullptr)
{
    QByteArray out;
    char buffer[7000];
    for (;;) {
        const qint64 n = stream.read(out.size(), buffer, sizeof buffer);
        if (n < 0 && failedAt)
            *failedAt = out.size();
        if (n <= 0)
            return out;
        out.append(buffer, n);
    }
}

std::optional<QStringList> sorted(std::optional<QStringList> names)
{
    if (names)
        names->sort();
    return names;
}

// Damage done to a copy of an image before it is read.
enum Damage {
    ZeroMpegavSector,
    ScrambleMpegavSector,
    ShortFirstRecord,
    LongNameInSecondRecord,
    OverlongThirdRecord,
    MpegavExtentBeyondDisc,
    MpegavSizeHuge,
    RootExtentBeyondDisc,
    NoVolumeDescriptor,
    ThirdFileRunsPastEnd,
    SecondFileSizeHuge,
    BackslashInSecondName,
};

void put32(QByteArray& image, qsizetype at, quint32 value)
{
    qToLittleEndian(value, image.data() + at);
    qToBigEndian(value, image.data() + at + 4);
}

// `raw`: 2352-byte sectors with the data 24 bytes in, else plain 2048-byte sectors.
void damage(QByteArray& image, Damage what, bool raw)
{
    const auto sectorStart = [raw](qsizetype at) {
        return raw ? at / 2352 * 2352 + 24 : at / 2048 * 2048;
    };
    const qsizetype pvd = raw ? 16 * 2352 + 24 : 16 * 2048;
    const qsizetype file1 = image.indexOf("AVSEQ01.DAT;1") - 33;
    const qsizetype file2 = image.indexOf("AVSEQ02.DAT;1") - 33;
    const qsizetype file3 = image.indexOf("AVSEQ03.DAT;1") - 33;
    const qsizetype mpegav = image.indexOf("\x06MPEGAV") - 32;
    const quint32 sectors = quint32(image.size() / (raw ? 2352 : 2048));
    switch (what) {
    case ZeroMpegavSector:
        image.replace(sectorStart(file1), 2048, QByteArray(2048, '\0'));
        break;
    case ScrambleMpegavSector:
        for (qsizetype i = sectorStart(file1), seed = 7; i < sectorStart(file1) + 2048; ++i)
            image[i] = char(seed = (seed * 1103515245 + 12345) & 0x7fffffff);
        break;
    case ShortFirstRecord:
        image[file1] = 5;
        break;
    case LongNameInSecondRecord:
        image[file2 + 32] = char(250);
        break;
    case OverlongThirdRecord:
        image[file3] = char(255);
        break;
    case MpegavExtentBeyondDisc:
        put32(image, mpegav + 2, 0x7fffffff);
        break;
    case MpegavSizeHuge:
        put32(image, mpegav + 10, 0xffffffff);
        break;
    case RootExtentBeyondDisc:
        put32(image, pvd + 156 + 2, sectors + 5);
        break;
    case NoVolumeDescriptor:
        image[pvd + 1] = 'X';
        break;
    case ThirdFileRunsPastEnd:
        put32(image, file3 + 2, sectors - 3);
        break;
    case SecondFileSizeHuge:
        put32(image, file2 + 10, 0xffffffff);
        break;
    case BackslashInSecondName:
        image[file2 + 33 + 5] = '\\'; // "AVSEQ\2.DAT"
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QStringList>)
Q_DECLARE_METATYPE(Damage)

class TestDiscReader : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("TAMREL_CD_DRIVES"); }

    void listFiles_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<std::optional<QStringList>>("names");
        const QStringList three{"AVSEQ01.DAT", "AVSEQ02.DAT", "AVSEQ03.DAT"};
        const std::optional<QStringList> none;
        QTest::newRow("bin/cue") << "vcd-a.cue"
                                 << "IMG0:\\Mpegav" << std::optional(three);
        QTest::newRow("bin/cue, lower-case id and folder")
            << "vcd-a.cue"
            << "img0:\\mpegav" << std::optional(three);
        QTest::newRow("bin/cue, trailing separator") << "vcd-a.cue"
                                                     << "IMG0:\\MPEGAV\\" << std::optional(three);
        QTest::newRow("bin/cue by its .bin") << "vcd-b.bin"
                                             << "IMG0:\\Mpegav" << std::optional(three.mid(0, 2));
        QTest::newRow("bin/cue, other folder")
            << "vcd-a.cue"
            << "IMG0:\\vcd" << std::optional(QStringList{"ENTRIES.VCD", "INFO.VCD"});
        QTest::newRow("root holds folders only") << "vcd-a.cue"
                                                 << "IMG0:\\" << std::optional(QStringList{});
        QTest::newRow("mode 1 iso") << "mode1.iso"
                                    << "IMG0:\\Mpegav" << std::optional(three);
        QTest::newRow("lower-case names on the disc")
            << "mixed-case.iso"
            << "IMG0:\\MPEGAV" << std::optional(QStringList{"Avseq02.Dat", "avseq01.dat"});
        QTest::newRow("cut in a track") << "truncated.cue"
                                        << "IMG0:\\Mpegav" << std::optional(three);
        QTest::newRow("cut before its descriptor") << "stub.cue"
                                                   << "IMG0:\\Mpegav" << none;
        QTest::newRow("no MPEGAV") << "no-mpegav.iso"
                                   << "IMG0:\\Mpegav" << none;
        QTest::newRow("MPEGAV without .DAT")
            << "empty-mpegav.iso"
            << "IMG0:\\Mpegav" << std::optional(QStringList{"README.TXT"});
        QTest::newRow("file as folder") << "vcd-a.cue"
                                        << "IMG0:\\Mpegav\\AVSEQ01.DAT" << none;
        QTest::newRow("unknown drive") << "vcd-a.cue"
                                       << "IMG1:\\Mpegav" << none;
        QTest::newRow("missing image") << "gone.cue"
                                       << "IMG0:\\Mpegav" << none;
        QTest::newRow("clip as image") << "clip1.mpg.iso"
                                       << "IMG0:\\Mpegav" << none;
    }
    void listFiles()
    {
        QFETCH(QString, image);
        QFETCH(QString, folder);
        QFETCH(std::optional<QStringList>, names);
        QTemporaryDir dir;
        QString path = TestMedia::disc(image);
        if (image == "clip1.mpg.iso") // a file of the right name that is no disc
            QVERIFY(QFile::copy(TestMedia::disc("clip1.mpg"), path = dir.filePath(image)));
        DiscRig rig(path);
        QCOMPARE(sorted(rig.lister.listFiles(folder)), sorted(names));
    }

    // The library knows the drives it is given and never looks for others itself.
    void onlyGivenDrivesAreKnown()
    {
        DiscLibrary library;
        QVERIFY(!library.listFiles("IMG1:\\Mpegav"));
        QVERIFY(!library.openFile("IMG1:\\Mpegav\\AVSEQ01.DAT"));
        QCOMPARE(library.serial("img1"), 0);
        library.setDrives(DriveDiscovery::parseDriveList(TestMedia::disc("vcd-b.cue") + ':' +
                                                         TestMedia::disc("vcd-a.cue")));
        QCOMPARE(library.listFiles("IMG1:\\Mpegav")->size(), 3);
        QCOMPARE(library.serial("img1"), 0x5864D78F);
        library.setDrives({});
        QVERIFY(!library.listFiles("IMG1:\\Mpegav"));
    }

    void driveNamedLikeTheKernel()
    {
        DiscLibrary library;
        library.setDrives({{"sr0", TestMedia::disc("vcd-a.cue"), true}});
        QCOMPARE(library.listFiles("SR0:\\Mpegav")->size(), 3);
        QVERIFY(library.openFile("SR0:\\Mpegav\\avseq03.dat"));
        QCOMPARE(library.serial("SR0"), 0x5864D78F);
    }

    // Movie tracks are the clip, whole and unchanged, between vcdimager's zero margins.
    void trackBytes_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("padded");
        for (int n = 1; n <= 3; ++n) {
            const QString file = QStringLiteral("AVSEQ0%1.DAT").arg(n);
            const QString clip = QStringLiteral("clip%1.mpg").arg(n);
            QTest::addRow("vcd-a track %d", n) << "vcd-a.cue" << file << clip << true;
            QTest::addRow("mode 1 iso track %d", n) << "mode1.iso" << file << clip << false;
        }
        QTest::newRow("vcd-b track 1") << "vcd-b.cue"
                                       << "avseq01.dat"
                                       << "clip9.mpg" << true;
        QTest::newRow("lower-case names") << "mixed-case.iso"
                                          << "AVSEQ02.DAT"
                                          << "clip2.mpg" << false;
    }
    void trackBytes()
    {
        QFETCH(QString, image);
        QFETCH(QString, file);
        QFETCH(QString, clip);
        QFETCH(bool, padded);
        DiscRig rig(TestMedia::disc(image));
        std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG0:\\MPEGAV\\" + file);
        QVERIFY(stream);
        const QByteArray track = readAll(*stream);
        const QByteArray source = TestMedia::fileBytes(TestMedia::disc(clip));
        QCOMPARE(track.size(), stream->size());
        if (!padded) {
            QVERIFY(track == source);
            return;
        }
        QCOMPARE(track.size() % 2324, 0);
        const qsizetype at = track.indexOf(source);
        QVERIFY(at > 0);
        QCOMPARE(track.left(at).count('\0'), at);
        QCOMPARE(track.mid(at + source.size()).count('\0'), track.size() - at - source.size());
    }

    // Reads stop at the disc's real end, whatever the directory says.
    void truncatedImage()
    {
        DiscRig rig(TestMedia::disc("truncated.cue"));
        std::unique_ptr<DiscStream> first = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
        QVERIFY(first);
        QCOMPARE(first->size(), (700 - 450) * 2324);
        QCOMPARE(readAll(*first).size(), first->size());
        std::unique_ptr<DiscStream> beyond = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ03.DAT");
        QVERIFY(beyond);
        QCOMPARE(beyond->size(), 0);
        char byte;
        QCOMPARE(beyond->read(0, &byte, 1), 0);
    }

    void damagedDirectory_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<Damage>("what");
        QTest::addColumn<std::optional<QStringList>>("names");
        QTest::addColumn<bool>("exact"); // else names are among those listed
        const QStringList three{"AVSEQ01.DAT", "AVSEQ02.DAT", "AVSEQ03.DAT"};
        const std::optional<QStringList> none;
        QTest::newRow("records zeroed")
            << "mode1.iso" << ZeroMpegavSector << std::optional(QStringList{}) << true;
        QTest::newRow("records scrambled")
            << "mode1.iso" << ScrambleMpegavSector << std::optional(QStringList{}) << false;
        QTest::newRow("records scrambled, bin")
            << "vcd-a.cue" << ScrambleMpegavSector << std::optional(QStringList{}) << false;
        QTest::newRow("record shorter than its header")
            << "mode1.iso" << ShortFirstRecord << std::optional(QStringList{}) << true;
        QTest::newRow("name longer than its record")
            << "mode1.iso" << LongNameInSecondRecord << std::optional(three.mid(0, 1)) << true;
        QTest::newRow("record longer than its data")
            << "mode1.iso" << OverlongThirdRecord << std::optional(three) << true;
        QTest::newRow("folder beyond the disc")
            << "vcd-a.cue" << MpegavExtentBeyondDisc << none << true;
        QTest::newRow("folder of 4 GiB")
            << "mode1.iso" << MpegavSizeHuge << std::optional(three) << false;
        QTest::newRow("root beyond the disc")
            << "mode1.iso" << RootExtentBeyondDisc << none << true;
        QTest::newRow("no volume descriptor") << "vcd-a.cue" << NoVolumeDescriptor << none << true;
        QTest::newRow("file runs past the end")
            << "mode1.iso" << ThirdFileRunsPastEnd << std::optional(three) << true;
        QTest::newRow("file runs past the end, bin")
            << "vcd-a.cue" << ThirdFileRunsPastEnd << std::optional(three) << true;
        QTest::newRow("file of 4 GiB")
            << "mode1.iso" << SecondFileSizeHuge << std::optional(three) << true;
        // Its disc path would name a file 2.DAT in a folder AVSEQ.
        QTest::newRow("backslash in a name")
            << "vcd-a.cue" << BackslashInSecondName
            << std::optional(QStringList{"AVSEQ01.DAT", "AVSEQ03.DAT"}) << true;
    }
    void damagedDirectory()
    {
        QFETCH(QString, image);
        QFETCH(Damage, what);
        QFETCH(std::optional<QStringList>, names);
        QFETCH(bool, exact);
        QTemporaryDir dir;
        const bool raw = image.endsWith(".cue");
        const QString data = dir.filePath(raw ? "vcd-a.bin" : image);
        QByteArray bytes = TestMedia::fileBytes(TestMedia::disc(raw ? "vcd-a.bin" : image));
        damage(bytes, what, raw);
        QFile out(data);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        out.close();
        if (raw)
            QVERIFY(QFile::copy(TestMedia::disc(image), dir.filePath(image)));
        DiscRig rig(dir.filePath(image));

        const std::optional<QStringList> listed = sorted(rig.lister.listFiles("IMG0:\\Mpegav"));
        QCOMPARE(listed.has_value(), names.has_value());
        if (!listed)
            return;
        if (exact)
            QCOMPARE(*listed, *names);
        for (const QString& name : *names)
            QVERIFY(listed->contains(name));
        // Every file listed reads to its end, never past the disc.
        const qint64 discBytes = QFileInfo(data).size() / (raw ? 2352 : 2048) * 2324;
        for (const QString& name : *listed) {
            std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG0:\\Mpegav\\" + name);
            QVERIFY2(stream, qPrintable(name)); // by the name it was listed under
            QVERIFY(stream->size() <= discBytes);
            qint64 failedAt = -1;
            const QByteArray content = readAll(*stream, &failedAt);
            QCOMPARE(failedAt, -1);
            QCOMPARE(content.size(), stream->size());
        }
    }

    // A disc image that goes away or shrinks under a reading stream: reads end, quietly.
    void imageChangesWhileRead_data()
    {
        QTest::addColumn<bool>("remove"); // else cut to 500 sectors
        QTest::newRow("deleted") << true;
        QTest::newRow("cut short") << false;
    }
    void imageChangesWhileRead()
    {
        QFETCH(bool, remove);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(TestMedia::disc("vcd-a.cue"), dir.filePath("vcd-a.cue")));
        QVERIFY(QFile::copy(TestMedia::disc("vcd-a.bin"), dir.filePath("vcd-a.bin")));
        DiscRig rig(dir.filePath("vcd-a.cue"));
        std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ03.DAT");
        QVERIFY(stream);
        char buffer[5000];
        QCOMPARE(stream->read(0, buffer, sizeof buffer), qint64(sizeof buffer));
        if (remove) {
            QVERIFY(QFile::remove(dir.filePath("vcd-a.bin")));
            QVERIFY(QFile::remove(dir.filePath("vcd-a.cue")));
        } else {
            QVERIFY(QFile::resize(dir.filePath("vcd-a.bin"), 500 * 2352));
        }
        const QByteArray rest = readAll(*stream);
        QVERIFY(rest.size() <= stream->size());
        QCOMPARE(rig.lister.listFiles("IMG0:\\Mpegav").has_value(), !remove);
    }

    // Damaged images that libcdio itself opens make it log; threads doing so at once must
    // not trip its logger's recursion check (which aborted the program).
    void damagedImagesOpenedFromManyThreads()
    {
        QTemporaryDir dir;
        QFile junk(dir.filePath("junk.iso"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(64 * 1024, '\x5a'));
        junk.close();
        QFile cue(dir.filePath("missing-bin.cue"));
        QVERIFY(cue.open(QIODevice::WriteOnly));
        cue.write("FILE \"gone.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n");
        cue.close();
        const QStringList images{junk.fileName(), cue.fileName()};
        std::atomic<int> opened = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 300; ++i)
                    opened += DiscReader::open(images[(t + i) % 2]) ? 1 : 0;
            });
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(int(opened), 0);
    }

    // mpv reads on its own thread while the tray moves on the GUI thread. Whatever the
    // interleaving, no stream opens on a disc that is out, and no read that starts while the
    // tray is open returns data.
    void trayMovesWhileAnotherThreadReads()
    {
        DiscRig rig(TestMedia::disc("vcd-a.cue"));
        enum Phase { DiscIn, TrayOpen, Closing };
        std::atomic<int> phase = DiscIn;
        std::atomic<bool> done = false;
        std::atomic<int> reads = 0, opensWhileOpen = 0, readsWhileOpen = 0;
        std::atomic<int> wrongOpens = 0, wrongReads = 0;
        // Counts the closings: the tray open before and after an open is the same opening only
        // when no closing came in between (the disc may have been in meanwhile).
        std::atomic<int> closings = 0;
        std::thread reader([&] {
            char buffer[9000];
            while (!done) {
                const int closingsBefore = closings;
                const int before = phase;
                std::unique_ptr<DiscStream> s = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
                opensWhileOpen += before == TrayOpen ? 1 : 0;
                if (s && before == TrayOpen && phase == TrayOpen && closings == closingsBefore)
                    ++wrongOpens;
                // A stream that failed is tried again: once cut off it must stay dead.
                for (qint64 at = 0, failures = 0; s && !done && failures < 3;) {
                    const int during = phase;
                    const qint64 n = s->read(at, buffer, sizeof buffer);
                    readsWhileOpen += during == TrayOpen ? 1 : 0;
                    wrongReads += during == TrayOpen && n > 0 ? 1 : 0;
                    if (n == 0)
                        break;
                    failures += n < 0 ? 1 : 0;
                    if (n > 0) {
                        ++reads;
                        at += n;
                    }
                }
            }
        });
        for (int i = 0; i < 200; ++i) {
            rig.drives.openTray("img0");
            phase = TrayOpen;
            QTest::qWait(i % 3); // the tray open for 0 to 2 ms: the race is the test
            phase = Closing;
            rig.drives.closeTray("img0");
            phase = DiscIn;
            ++closings;
            QTest::qWait(i % 2); // the disc in for 0 or 1 ms before the next opening
            // Every tenth time the disc stays in until the reader has read from it: a stream
            // that takes longer to open than the disc is in would otherwise never read (the
            // sanitizer build opens a cue sheet several times slower).
            if (i % 10 == 9) {
                const int before = reads;
                QVERIFY(QTest::qWaitFor([&] { return reads > before; }, 10000));
            }
        }
        done = true;
        reader.join();
        QVERIFY(reads > 0);
        QVERIFY(opensWhileOpen > 0);
        QVERIFY(readsWhileOpen > 0);
        QCOMPARE(int(wrongOpens), 0);
        QCOMPARE(int(wrongReads), 0);
        QCOMPARE(rig.drives.SerNum("img0"), 0x5864D78F);
    }

    // A stream open on the disc cannot outlive its tray being opened, and none opens while
    // the tray is open; closing it brings the disc, but not the old streams, back.
    void streamsFollowTheTray()
    {
        DiscRig rig(TestMedia::disc("vcd-a.cue"));
        std::unique_ptr<DiscStream> before = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
        QVERIFY(before);
        QVERIFY(rig.drives.openTray("img0"));
        char buffer[100];
        QCOMPARE(before->read(0, buffer, sizeof buffer), -1);
        QVERIFY(!rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT"));
        QVERIFY(!rig.lister.listFiles("IMG0:\\Mpegav"));
        QVERIFY(rig.drives.closeTray("img0"));
        QCOMPARE(before->read(0, buffer, sizeof buffer), -1);
        std::unique_ptr<DiscStream> after = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
        QVERIFY(after);
        QCOMPARE(after->read(0, buffer, sizeof buffer), qint64(sizeof buffer));
        after->cancel();
        QCOMPARE(after->read(0, buffer, sizeof buffer), -1);
    }
};

QTEST_GUILESS_MAIN(TestDiscReader)
#include "test_disc_reader.moc"
