// Level scaling between ALSA elements and the mixer's 0..65535, and when a lost mixer is tried
// again.

#include "platform/sound/alsa_mixer_device.h"

#include <QtTest>

using alsa_levels::LevelMax;
using namespace std::chrono_literals;

namespace {

// The wait after `failures` failed attempts, each made as soon as it was allowed: the first
// moment at which the next attempt is allowed.
std::chrono::milliseconds waitAfter(int failures)
{
    AttachBackoff backoff;
    AttachBackoff::Clock::time_point now{};
    std::chrono::milliseconds wait{};
    for (int i = 0; i < failures; ++i) {
        backoff.failed(now);
        wait = 0ms;
        while (!backoff.mayAttempt(now + wait, false))
            wait += 1ms;
        now += wait;
    }
    return wait;
}

} // namespace

class TestMixerLevels : public QObject {
    Q_OBJECT

private slots:
    void levelFromElement_data()
    {
        QTest::addColumn<long>("value");
        QTest::addColumn<long>("minimum");
        QTest::addColumn<long>("maximum");
        QTest::addColumn<qint32>("level");
        QTest::newRow("server, silent") << 0L << 0L << 65536L << 0;
        QTest::newRow("server, full") << 65536L << 0L << 65536L << 65535;
        QTest::newRow("server, half, rounded up") << 32768L << 0L << 65536L << 32768;
        QTest::newRow("server, knob 50") << 32750L << 0L << 65536L << 32750;
        QTest::newRow("server, 90 %") << 58982L << 0L << 65536L << 58981;
        QTest::newRow("server, above") << 70000L << 0L << 65536L << 65535;
        QTest::newRow("server, below") << -5L << 0L << 65536L << 0;
        QTest::newRow("card, 0") << 0L << 0L << 31L << 0;
        QTest::newRow("card, 15") << 15L << 0L << 31L << 31710;
        QTest::newRow("card, 16") << 16L << 0L << 31L << 33825;
        QTest::newRow("card, 31") << 31L << 0L << 31L << 65535;
        QTest::newRow("dB, lowest") << -10239L << -10239L << 0L << 0;
        QTest::newRow("dB, middle") << -5120L << -10239L << 0L << 32764;
        QTest::newRow("dB, 0") << 0L << -10239L << 0L << 65535;
        QTest::newRow("dB, above") << 100L << -10239L << 0L << 65535;
        QTest::newRow("empty range") << 0L << 0L << 0L << 0;
        QTest::newRow("inverted range") << 3L << 5L << 1L << 0;
    }
    void levelFromElement()
    {
        QFETCH(long, value);
        QFETCH(long, minimum);
        QFETCH(long, maximum);
        QTEST(alsa_levels::levelFromElement(value, minimum, maximum), "level");
    }

    void elementFromLevel_data()
    {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<long>("minimum");
        QTest::addColumn<long>("maximum");
        QTest::addColumn<long>("value");
        QTest::newRow("server, 0") << 0 << 0L << 65536L << 0L;
        QTest::newRow("server, knob 50") << 32750 << 0L << 65536L << 32750L;
        QTest::newRow("server, knob 100") << 65500 << 0L << 65536L << 65501L;
        QTest::newRow("server, full") << 65535 << 0L << 65536L << 65536L;
        QTest::newRow("server, above") << 70000 << 0L << 65536L << 65536L;
        QTest::newRow("server, below") << -1 << 0L << 65536L << 0L;
        QTest::newRow("card, knob 50") << 32750 << 0L << 31L << 15L;
        QTest::newRow("card, full") << 65535 << 0L << 31L << 31L;
        QTest::newRow("dB, 0") << 0 << -10239L << 0L << -10239L;
        QTest::newRow("dB, half") << 32768 << -10239L << 0L << -5119L;
        QTest::newRow("dB, full") << 65535 << -10239L << 0L << 0L;
        QTest::newRow("empty range") << 40000 << 7L << 7L << 7L;
    }
    void elementFromLevel()
    {
        QFETCH(qint32, level);
        QFETCH(long, minimum);
        QFETCH(long, maximum);
        QTEST(alsa_levels::elementFromLevel(level, minimum, maximum), "value");
    }

    // Whichever side has the finer steps survives a trip to the other and back, or every
    // repaint of the volume panel, which reads the level and writes it back, would creep.
    void roundTripsKeepTheFinerSide_data()
    {
        QTest::addColumn<long>("minimum");
        QTest::addColumn<long>("maximum");
        QTest::newRow("card 0..31") << 0L << 31L;
        QTest::newRow("card 0..255") << 0L << 255L;
        QTest::newRow("dB -10239..0") << -10239L << 0L;
        QTest::newRow("same steps 0..65535") << 0L << 65535L;
        QTest::newRow("server 0..65536") << 0L << 65536L;
        QTest::newRow("wide -1000000..1000000") << -1000000L << 1000000L;
    }
    void roundTripsKeepTheFinerSide()
    {
        QFETCH(long, minimum);
        QFETCH(long, maximum);
        if (maximum - minimum <= LevelMax) {
            for (long value = minimum; value <= maximum; ++value) {
                const long back = alsa_levels::elementFromLevel(
                    alsa_levels::levelFromElement(value, minimum, maximum), minimum, maximum);
                if (back != value)
                    QFAIL(qPrintable(
                        QStringLiteral("value %1 came back as %2").arg(value).arg(back)));
            }
        }
        if (maximum - minimum >= LevelMax) {
            for (qint32 level = 0; level <= LevelMax; ++level) {
                const qint32 back = alsa_levels::levelFromElement(
                    alsa_levels::elementFromLevel(level, minimum, maximum), minimum, maximum);
                if (back != level)
                    QFAIL(qPrintable(
                        QStringLiteral("level %1 came back as %2").arg(level).arg(back)));
            }
        }
    }

    void backoffDoubles_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("first") << 1 << 100;
        QTest::newRow("second") << 2 << 200;
        QTest::newRow("third") << 3 << 400;
        QTest::newRow("fifth") << 5 << 1600;
        QTest::newRow("sixth, longest") << 6 << 2000;
        QTest::newRow("tenth, still longest") << 10 << 2000;
    }
    void backoffDoubles()
    {
        QFETCH(int, failures);
        QFETCH(int, waitMs);
        QCOMPARE(int(waitAfter(failures).count()), waitMs);
    }

    void userWriteRetriesSooner_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<bool>("userAllowed");
        QTest::addColumn<bool>("anyAllowed");
        QTest::newRow("long wait, too soon") << 6 << 249 << false << false;
        QTest::newRow("long wait, quarter second") << 6 << 250 << true << false;
        QTest::newRow("long wait, over") << 6 << 2000 << true << true;
        QTest::newRow("short wait, before it") << 1 << 99 << false << false;
        QTest::newRow("short wait, over") << 1 << 100 << true << true;
    }
    void userWriteRetriesSooner()
    {
        QFETCH(int, failures);
        QFETCH(int, afterMs);
        AttachBackoff backoff;
        const AttachBackoff::Clock::time_point start{};
        for (int i = 0; i < failures; ++i)
            backoff.failed(start);
        const auto then = start + std::chrono::milliseconds(afterMs);
        QTEST(backoff.mayAttempt(then, true), "userAllowed");
        QTEST(backoff.mayAttempt(then, false), "anyAllowed");
    }

    void successStartsOver()
    {
        AttachBackoff backoff;
        const AttachBackoff::Clock::time_point start{};
        QVERIFY(backoff.mayAttempt(start, false));
        for (int i = 0; i < 6; ++i)
            backoff.failed(start);
        backoff.succeeded();
        backoff.failed(start);
        QVERIFY(!backoff.mayAttempt(start + 99ms, false));
        QVERIFY(backoff.mayAttempt(start + 100ms, false));
    }
};

QTEST_GUILESS_MAIN(TestMixerLevels)
#include "test_mixer_levels.moc"
