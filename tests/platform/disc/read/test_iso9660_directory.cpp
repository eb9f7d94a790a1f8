// The directory-record parser, the volume serial and the file reader's bounds, on discs built
// in memory byte by byte, so each damaged or unusual layout is exactly the one named.

#include "platform/disc/read/disc_file_reader.h"
#include "platform/disc/read/iso9660_directory.h"
#include "platform/disc/read/memory_sector_source.h"

#include <QtTest>

namespace {

constexpr int Sector = 2048;
constexpr int Form2 = 0x1000; // XA attribute bits
constexpr int Form1 = 0x0800;

QByteArray record(const QByteArray& name, quint32 extent, quint32 size, bool dir = false,
                  int xaAttributes = -1)
{
    const int pad = name.size() % 2 == 0 ? 1 : 0;
    int length = 33 + name.size() + pad + (xaAttributes >= 0 ? 14 : 0);
    length += length % 2;
    QByteArray r(length, '\0');
    r[0] = char(length);
    qToLittleEndian(extent, r.data() + 2);
    qToBigEndian(extent, r.data() + 6);
    qToLittleEndian(size, r.data() + 10);
    qToBigEndian(size, r.data() + 14);
    r[25] = char(dir ? 2 : 0);
    r[32] = char(name.size());
    r.replace(33, name.size(), name);
    if (xaAttributes >= 0) {
        char* xa = r.data() + 33 + name.size() + pad;
        qToBigEndian(quint16(xaAttributes), xa + 4);
        xa[6] = 'X';
        xa[7] = 'A';
    }
    return r;
}

QByteArray padToSector(QByteArray data)
{
    data.append((Sector - data.size() % Sector) % Sector, '\0');
    return data;
}

// Appends records named "F" until the data is `end` bytes long; their descriptions go to names.
void fillTo(QByteArray& data, int end, QStringList& names)
{
    while (data.size() < end) {
        const int left = int(end - data.size());
        const int length = left > 254 ? std::min(254, left - 34) : left;
        QByteArray filler = record("F", 0, 0);
        filler[0] = char(length);
        filler.append(length - filler.size(), '\0');
        data += filler;
        names << "F 0 0";
    }
}

QStringList describe(const std::vector<IsoEntry>& entries)
{
    QStringList out;
    for (const IsoEntry& e : entries)
        out << QStringLiteral("%1 %2 %3%4%5")
                   .arg(QString::fromStdString(e.name))
                   .arg(e.extent)
                   .arg(e.size)
                   .arg(e.directory ? " dir" : "")
                   .arg(e.form2 ? " form2" : "");
    return out;
}

} // namespace

class TestIso9660Directory : public QObject {
    Q_OBJECT

private slots:
    void parseDirectory_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("expected");

        const QByteArray dots = record(QByteArray(1, '\0'), 20, Sector, true) +
                                record(QByteArray(1, '\1'), 18, Sector, true);
        QTest::newRow("dot entries skipped") << dots << QStringList{};
        QTest::newRow("version suffix dropped")
            << record("AVSEQ01.DAT;1", 450, 784384) << QStringList{"AVSEQ01.DAT 450 784384"};
        QTest::newRow("bare dot dropped")
            << record("README.;1", 30, 5) << QStringList{"README 30 5"};
        QTest::newRow("directory")
            << record("MPEGAV", 23, Sector, true) << QStringList{"MPEGAV 23 2048 dir"};
        QTest::newRow("xa form 2, odd name")
            << record("AVSEQ01.DAT;1", 450, 4096, false, Form2 | 0x555)
            << QStringList{"AVSEQ01.DAT 450 4096 form2"};
        QTest::newRow("xa form 2, even name (padded)")
            << record("AVSEQ1.DAT;1", 450, 4096, false, Form2)
            << QStringList{"AVSEQ1.DAT 450 4096 form2"};
        QTest::newRow("xa form 1")
            << record("INFO.VCD;1", 151, 2048, false, Form1) << QStringList{"INFO.VCD 151 2048"};

        const QByteArray a = record("A.DAT;1", 1, 1), b = record("B.DAT;1", 2, 2);
        QTest::newRow("zero padding up to the next sector")
            << padToSector(a) + b << QStringList{"A.DAT 1 1", "B.DAT 2 2"};
        QByteArray crossing = a;
        QStringList crossingNames{"A.DAT 1 1"};
        fillTo(crossing, Sector - 10, crossingNames);
        crossing += b; // starts 10 bytes before the sector end, longer than that
        QTest::newRow("record crossing a sector end")
            << padToSector(crossing) + b << crossingNames + QStringList{"B.DAT 2 2"};
        QByteArray shortLength = a + b;
        shortLength[a.size()] = 20;
        QTest::newRow("length below a record's minimum")
            << padToSector(shortLength) + b << QStringList{"A.DAT 1 1", "B.DAT 2 2"};
        QByteArray longName = a + b;
        longName[a.size() + 32] = char(200);
        QTest::newRow("name longer than its record") << longName << QStringList{"A.DAT 1 1"};
        QTest::newRow("buffer ends inside a record")
            << (a + b).left(a.size() + 20) << QStringList{"A.DAT 1 1"};
    }
    void parseDirectory()
    {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, expected);
        const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
        QCOMPARE(describe(Iso9660::parseDirectory(bytes, std::size_t(data.size()))), expected);
    }

    // The serial is the signed reading of the four sums; callers print it as decimal text.
    void volumeSerial_data()
    {
        QTest::addColumn<QList<int>>("bytes"); // offset, value, offset, value...
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << QList<int>{} << "0";
        QTest::newRow("0x80000001") << QList<int>{0, 0x80, 3, 0x01} << "-2147483647";
        QTest::newRow("0xC0A80164")
            << QList<int>{0, 0xC0, 1, 0xA8, 2, 0x01, 3, 0x64} << "-1062731420";
        QTest::newRow("byte sums wrap") << QList<int>{0, 0x80, 4, 0x80, 2044, 0x01} << "16777216";
        QTest::newRow("steps of four") << QList<int>{5, 1, 2047, 2} << "65538";
    }
    void volumeSerial()
    {
        QFETCH(QList<int>, bytes);
        QFETCH(QString, text);
        Iso9660::VolumeDescriptor pvd{};
        for (int i = 0; i + 1 < bytes.size(); i += 2)
            pvd[std::size_t(bytes[i])] = static_cast<unsigned char>(bytes[i + 1]);
        QCOMPARE(QString::number(Iso9660::volumeSerial(pvd)), text);
    }

    // A file of `size` bytes at `extent` on a disc of `sectors` raw sectors whose every
    // payload byte holds its sector number.
    void fileBounds_data()
    {
        QTest::addColumn<uint>("extent");
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("form2");
        QTest::addColumn<qint64>("readable");
        QTest::newRow("form 2, whole") << 2u << 3u * Sector << true << 3 * 2324ll;
        QTest::newRow("form 2, partial last unit") << 2u << 3u * Sector - 5 << true << 3 * 2324ll;
        QTest::newRow("data, exact size") << 2u << 5000u << false << 5000ll;
        QTest::newRow("runs past the end") << 8u << 10u * Sector << true << 2 * 2324ll;
        QTest::newRow("starts past the end") << 40u << 10u * Sector << true << 0ll;
        QTest::newRow("starts at 0xFFFFFFFF") << 0xFFFFFFFFu << 0xFFFFFFFFu << false << 0ll;
    }
    void fileBounds()
    {
        QFETCH(uint, extent);
        QFETCH(uint, size);
        QFETCH(bool, form2);
        QFETCH(qint64, readable);
        const int sectors = 10;
        std::vector<unsigned char> raw(std::size_t(sectors) * 2352);
        for (int s = 0; s < sectors; ++s) {
            raw[std::size_t(s) * 2352 + 15] = 2; // Mode 2
            std::fill_n(raw.begin() + s * 2352 + 24, 2324, static_cast<unsigned char>(s));
        }
        DiscFileReader file(std::make_unique<MemorySectorSource>(
                                std::move(raw), MemorySectorSource::Layout::Raw2352),
                            IsoEntry{"F", extent, size, false, form2});
        QCOMPARE(qint64(file.size()), readable);

        // Odd-sized reads cross sector and chunk boundaries; every byte names its sector.
        const qint64 unit = form2 ? 2324 : 2048;
        std::vector<unsigned char> buffer(1000);
        qint64 offset = 0;
        while (offset < readable) {
            const std::int64_t n = file.read(std::uint64_t(offset), buffer.data(), buffer.size());
            QVERIFY(n > 0);
            for (std::int64_t i = 0; i < n; ++i)
                QCOMPARE(int(buffer[std::size_t(i)]), int(extent + (offset + i) / unit));
            offset += n;
        }
        QCOMPARE(offset, readable);
        QCOMPARE(file.read(std::uint64_t(readable), buffer.data(), buffer.size()), 0);
        QCOMPARE(file.read(std::uint64_t(readable) + 12345, buffer.data(), buffer.size()), 0);
    }

    void plainIsoHasNoForm2Sectors()
    {
        MemorySectorSource iso(std::vector<unsigned char>(4 * Sector),
                               MemorySectorSource::Layout::Iso2048);
        std::vector<unsigned char> out(2 * 2324);
        QVERIFY(iso.read(SectorKind::Data, 3, 1, out.data()));
        QVERIFY(!iso.read(SectorKind::Data, 3, 2, out.data()));
        QVERIFY(!iso.read(SectorKind::Form2, 0, 1, out.data()));
        // So a file marked Form 2 on a plain .iso reads as 2048-byte sectors.
        DiscFileReader file(
            std::make_unique<MemorySectorSource>(std::vector<unsigned char>(4 * Sector),
                                                 MemorySectorSource::Layout::Iso2048),
            IsoEntry{"F", 1, 2 * Sector, false, true});
        QCOMPARE(file.size(), 2u * Sector);
    }
};

QTEST_GUILESS_MAIN(TestIso9660Directory)
#include "test_iso9660_directory.moc"
