// Reading discs through the simulated drive, without the player: the drive's own account of
// what it did (the measure of the timing tests), a scratch in a file, a stream cut off while
// the drive is stuck on a read, and the disc's serial without another disc access.

#include "disc_rig.h"
#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/memory_sector_source.h"
#include "simulated_drive.h"
#include "test_media.h"

#include <QTest>
#include <atomic>
#include <thread>

namespace {

using Ms = SimulatedDrive::Milliseconds;
using Read = QPair<uint, uint>; // first sector, count

constexpr std::uint32_t DiscSectors = 400;
constexpr std::size_t RawSector = 2352;
constexpr std::uint32_t ChunkSectors = 32;

// Mode 2 sectors whose data bytes all hold their sector number.
std::vector<unsigned char> numberedSectors()
{
    std::vector<unsigned char> raw(DiscSectors * RawSector);
    for (std::uint32_t s = 0; s < DiscSectors; ++s) {
        raw[s * RawSector + 15] = 2;
        std::fill_n(raw.begin() + std::ptrdiff_t(s * RawSector + 24), Form2SectorSize,
                    static_cast<unsigned char>(s));
    }
    return raw;
}

std::unique_ptr<SectorSource> numberedDisc()
{
    return std::make_unique<MemorySectorSource>(numberedSectors(),
                                                MemorySectorSource::Layout::Raw2352);
}

SimulatedDrive::Timing noWaiting(bool spinning = true)
{
    SimulatedDrive::Timing timing;
    timing.timeScale = 0;
    timing.spinningAtStart = spinning;
    return timing;
}

} // namespace

class TestDriveReads : public QObject {
    Q_OBJECT
private slots:
    void driveAccount_data();
    void driveAccount();
    void scratchInAFile_data();
    void scratchInAFile();
    void cutOffStreamStopsWaiting();
    void serialWithoutAnotherRead();
};

void TestDriveReads::driveAccount_data()
{
    QTest::addColumn<QList<Read>>("reads");
    QTest::addColumn<bool>("spinning");
    QTest::addColumn<QList<bool>>("results");
    QTest::addColumn<int>("seeks");
    QTest::addColumn<int>("spinUps");
    QTest::newRow("reads that follow each other") << QList<Read>{{0, 32}, {32, 32}, {64, 8}} << true
                                                  << QList<bool>{true, true, true} << 1 << 0;
    QTest::newRow("jumps back and forth") << QList<Read>{{0, 32}, {300, 32}, {32, 32}} << true
                                          << QList<bool>{true, true, true} << 3 << 0;
    QTest::newRow("a drive at rest")
        << QList<Read>{{16, 1}, {17, 1}} << false << QList<bool>{true, true} << 1 << 1;
    QTest::newRow("through the scratch") << QList<Read>{{64, 32}, {96, 32}, {128, 32}, {160, 32}}
                                         << true << QList<bool>{true, false, false, true} << 1 << 0;
}

// The drive's account is what the timing tests measure against: a seek of 80-150 ms for each
// read that does not go on from the one before, a spin-up from rest, transfers at its speed.
void TestDriveReads::driveAccount()
{
    QFETCH(QList<Read>, reads);
    QFETCH(bool, spinning);
    QFETCH(QList<bool>, results);
    QFETCH(int, seeks);
    QFETCH(int, spinUps);
    SimulatedDrive drive(noWaiting(spinning));
    drive.setScratch(SimulatedDrive::Scratch{120, 20, Ms(2000)});
    std::unique_ptr<SectorSource> source = drive.wrap(numberedDisc());
    std::vector<unsigned char> out(ChunkSectors * Form2SectorSize);
    QList<bool> outcomes;
    std::uint32_t sectors = 0;
    for (const Read& read : reads) {
        outcomes << source->read(SectorKind::Form2, read.first, read.second, out.data());
        sectors += read.second;
    }
    const SimulatedDrive::Record record = drive.record();
    QCOMPARE(outcomes, results);
    QCOMPARE(record.reads, reads.size());
    QCOMPARE(record.seeks, seeks);
    QVERIFY(record.seekTime >= Ms(80) * seeks && record.seekTime <= Ms(150) * seeks);
    QCOMPARE(record.spinUps, spinUps);
    QCOMPARE(record.failedReads, int(results.count(false)));
    const double fullTransfer = 1000.0 * sectors / (75 * SimulatedDrive::Timing{}.speed);
    QVERIFY(record.transferTime.count() <= fullTransfer + 1e-6);
    if (!results.contains(false))
        QCOMPARE(record.transferTime.count(), fullTransfer);
    else
        QVERIFY(record.longestRead >= Ms(2000)); // the drive's retries on the scratch
}

void TestDriveReads::scratchInAFile_data()
{
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("count");
    QTest::addColumn<bool>("readToTheEnd");
    QTest::newRow("a short scratch") << 100u << 10u << true;
    QTest::newRow("across two chunks") << 130u << 40u << true;
    QTest::newRow("the rest of the file unreadable") << 100u << 300u << false;
}

// A file of sectors 10..389 read twice over in player-sized pieces: a scratch reads as zeros,
// the drive is asked for each unreadable chunk once, and a file that cannot be read any more
// ends within a few chunks instead of asking the drive for every one.
void TestDriveReads::scratchInAFile()
{
    QFETCH(uint, first);
    QFETCH(uint, count);
    QFETCH(bool, readToTheEnd);
    SimulatedDrive drive(noWaiting());
    drive.setScratch(SimulatedDrive::Scratch{first, count, Ms(2000)});
    const IsoEntry file{"AVSEQ01.DAT", 10, 380 * DataSectorSize, false, true};
    DiscFileReader reader(drive.wrap(numberedDisc()), file);
    std::vector<unsigned char> piece(5000);
    for (int pass = 0; pass < 2; ++pass) {
        std::uint64_t offset = 0;
        std::int64_t n = 0;
        while ((n = reader.read(offset, piece.data(), piece.size())) > 0) {
            for (std::int64_t i = 0; i < n; ++i) {
                const std::uint64_t at = offset + std::uint64_t(i);
                const std::uint32_t inFile = std::uint32_t(at / Form2SectorSize);
                const std::uint32_t chunkStart = file.extent + inFile / ChunkSectors * ChunkSectors;
                const bool scratched =
                    chunkStart < first + count && first < chunkStart + ChunkSectors;
                const int expected = scratched ? 0 : int((file.extent + inFile) & 0xff);
                QCOMPARE(int(piece[std::size_t(i)]), expected);
            }
            offset += std::uint64_t(n);
        }
        QCOMPARE(n, readToTheEnd ? 0 : -1);
        QCOMPARE(offset == reader.size(), readToTheEnd);
    }
    const int touched = int((first + count - 1 - file.extent) / ChunkSectors -
                            (first - file.extent) / ChunkSectors) +
                        1;
    QCOMPARE(drive.record().failedReads, readToTheEnd ? touched : 8);
}

// The drive spends a second on a scratch when the stream is cut off (a track change, the
// tray): the reader stops waiting at once, the drive goes on with the read, and the library
// waits for it before it goes.
void TestDriveReads::cutOffStreamStopsWaiting()
{
    SimulatedDrive drive({});
    auto rig = std::make_unique<DiscRig>(TestMedia::disc("vcd-a.cue"), drive.opener());
    std::unique_ptr<DiscStream> stream = rig->library.openFile("IMG0:\\Mpegav\\AVSEQ01.DAT");
    QVERIFY(stream);
    drive.setScratch(SimulatedDrive::Scratch{0, 4000, Ms(1000)});
    std::atomic<qint64> result = 0;
    std::atomic<bool> returned = false;
    std::thread reader([&] {
        char buffer[4096];
        result = stream->read(0, buffer, sizeof buffer);
        returned = true;
    });
    QVERIFY(drive.waitForRead(Ms(5000)));
    stream->cancel();
    QVERIFY(QTest::qWaitFor([&] { return returned.load(); }, 5000));
    const bool driveStillBusy = drive.readsInProgress() > 0;
    reader.join();
    QCOMPARE(qint64(result), -1);
    QVERIFY(driveStillBusy);
    stream.reset();
    rig.reset();
    QCOMPARE(drive.readsInProgress(), 0);
}

// The program asks for the serial each time a track starts, on the GUI thread: the one read
// when the track was opened serves, until the tray moves.
void TestDriveReads::serialWithoutAnotherRead()
{
    SimulatedDrive drive(noWaiting());
    DiscRig rig(TestMedia::disc("vcd-a.cue"), drive.opener());
    const std::unique_ptr<DiscStream> stream = rig.library.openFile("IMG0:\\Mpegav\\AVSEQ02.DAT");
    QVERIFY(stream);
    const int reads = drive.record().reads;
    QCOMPARE(rig.drives.SerNum("img0"), qint32(0x5864D78F));
    QCOMPARE(drive.record().reads, reads);

    QVERIFY(rig.drives.openTray("img0"));
    QCOMPARE(rig.drives.SerNum("img0"), 0);
    QVERIFY(rig.drives.closeTray("img0"));
    QCOMPARE(rig.drives.SerNum("img0"), qint32(0x5864D78F));
    QCOMPARE(drive.record().reads, reads + 1);
    QCOMPARE(rig.drives.SerNum("img0"), qint32(0x5864D78F));
    QCOMPARE(drive.record().reads, reads + 1);
}

QTEST_GUILESS_MAIN(TestDriveReads)
#include "test_drive_reads.moc"
