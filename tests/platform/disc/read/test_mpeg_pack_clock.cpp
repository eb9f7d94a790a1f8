// The clock of MPEG program stream pack headers, MPEG-1 (Video CD) and MPEG-2 (Super Video CD).

#include "platform/disc/read/mpeg_pack_clock.h"

#include <QtTest>
#include <vector>

Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

namespace {

using Bytes = std::vector<std::uint8_t>;

// A pack header holding `clock` (in 90 kHz ticks), with its markers set.
Bytes mpeg1Pack(std::uint64_t clock)
{
    return {0x00,
            0x00,
            0x01,
            0xba,
            std::uint8_t(0x21 | ((clock >> 29) & 0x0e)),
            std::uint8_t(clock >> 22),
            std::uint8_t(0x01 | ((clock >> 14) & 0xfe)),
            std::uint8_t(clock >> 7),
            std::uint8_t(0x01 | ((clock << 1) & 0xfe)),
            0x80,
            0x1b,
            0x83};
}

Bytes mpeg2Pack(std::uint64_t clock)
{
    return {0x00,
            0x00,
            0x01,
            0xba,
            std::uint8_t(0x44 | ((clock >> 27) & 0x38) | ((clock >> 28) & 0x03)),
            std::uint8_t(clock >> 20),
            std::uint8_t(0x04 | ((clock >> 12) & 0xf8) | ((clock >> 13) & 0x03)),
            std::uint8_t(clock >> 5),
            std::uint8_t(0x04 | ((clock << 3) & 0xf8)),
            0x01,
            0x89,
            0xc3};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class TestMpegPackClock : public QObject {
    Q_OBJECT
private slots:
    void clockAtTheStart_data();
    void clockAtTheStart();
    void firstClockWithin_data();
    void firstClockWithin();
};

void TestMpegPackClock::clockAtTheStart_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<double>("seconds"); // -1: none

    // Every field of the clock carries weight: the top bits, the middle and the bottom.
    for (const unsigned long long clock :
         {0ull, 1ull, 90000ull, 0x7fffull, 0x8000ull, 0x1234567ull, 0x1ffffffffull}) {
        QTest::addRow("MPEG-1, %llu ticks", clock) << mpeg1Pack(clock) << clock / 90000.0;
        QTest::addRow("MPEG-2, %llu ticks", clock) << mpeg2Pack(clock) << clock / 90000.0;
    }
    QTest::newRow("empty") << Bytes{} << -1.0;
    QTest::newRow("the start code alone") << Bytes{0, 0, 1, 0xba} << -1.0;
    Bytes cut = mpeg1Pack(90000);
    cut.resize(9);
    QTest::newRow("cut inside the header") << cut << -1.0;
    Bytes other = mpeg1Pack(90000);
    other[3] = 0xe0; // a video packet, not a pack
    QTest::newRow("another start code") << other << -1.0;
    Bytes unknown = mpeg1Pack(90000);
    unknown[4] = 0x81; // neither '0010' nor '01'
    QTest::newRow("no version's marker") << unknown << -1.0;
    QTest::newRow("a pack further in") << Bytes{0} + mpeg1Pack(90000) << -1.0;
}

void TestMpegPackClock::clockAtTheStart()
{
    QFETCH(Bytes, bytes);
    QFETCH(double, seconds);
    const std::optional<double> clock = MpegPackClock::at(bytes);
    QCOMPARE(clock.has_value(), seconds >= 0);
    if (clock)
        QCOMPARE(*clock, seconds);
}

void TestMpegPackClock::firstClockWithin_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<double>("seconds"); // -1: none

    const Bytes emptySector(2324, 0);
    QTest::newRow("at the start") << mpeg1Pack(180000) << 2.0;
    QTest::newRow("after an empty sector") << emptySector + mpeg1Pack(180000) << 2.0;
    QTest::newRow("the first of two") << mpeg2Pack(90000) + mpeg2Pack(180000) << 1.0;
    // A start code whose header is damaged is passed over for the next good one.
    Bytes damaged = mpeg1Pack(90000);
    damaged[4] = 0x81;
    QTest::newRow("past a damaged header") << damaged + mpeg1Pack(270000) << 3.0;
    QTest::newRow("a start code at the very end") << emptySector + Bytes{0, 0, 1, 0xba} << -1.0;
    QTest::newRow("zeros") << emptySector << -1.0;
}

void TestMpegPackClock::firstClockWithin()
{
    QFETCH(Bytes, bytes);
    QFETCH(double, seconds);
    const std::optional<double> clock = MpegPackClock::first(bytes);
    QCOMPARE(clock.has_value(), seconds >= 0);
    if (clock)
        QCOMPARE(*clock, seconds);
}

QTEST_GUILESS_MAIN(TestMpegPackClock)
#include "test_mpeg_pack_clock.moc"
