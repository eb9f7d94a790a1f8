// The measurements the karaoke tests and benchmarks rely on, on tones made here: a wrong
// frequency or level from them would pass or fail those tests for the wrong reason.

#include "sound_probe.h"

#include <QtTest>
#include <cmath>
#include <numbers>

namespace {

// `seconds` of a sum of sines (hz, amplitude) at SoundRecorder::Rate, starting at phase 0.3.
std::vector<float> tones(double seconds, std::initializer_list<std::pair<double, double>> parts)
{
    std::vector<float> samples(std::size_t(seconds * SoundRecorder::Rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double v = 0;
        for (const auto& [hz, amplitude] : parts)
            v += amplitude *
                 std::sin(2 * std::numbers::pi * hz * double(i) / SoundRecorder::Rate + 0.3);
        samples[i] = float(v);
    }
    return samples;
}

SoundMeasure::Span all(const std::vector<float>& samples)
{
    return SoundMeasure::span(samples, 0, std::int64_t(samples.size()));
}

} // namespace

class TestSoundProbe : public QObject {
    Q_OBJECT

private slots:
    void dominantFrequency_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("otherHz"); // a tone 12 dB weaker beside it, 0 for none
        QTest::newRow("key +2 of 440 Hz, half a second") << 493.883 << 0.5 << 0.0;
        QTest::newRow("key -3 of 440 Hz") << 369.994 << 1.0 << 0.0;
        QTest::newRow("beside a weaker tone a semitone up") << 440.0 << 0.5 << 466.164;
        QTest::newRow("low, beside a weaker high tone") << 98.0 << 0.5 << 3000.0;
        QTest::newRow("high") << 5123.4 << 0.5 << 0.0;
    }
    void dominantFrequency()
    {
        QFETCH(double, hz);
        QFETCH(double, seconds);
        QFETCH(double, otherHz);
        const std::vector<float> samples = otherHz > 0
                                               ? tones(seconds, {{hz, 0.25}, {otherHz, 0.0625}})
                                               : tones(seconds, {{hz, 0.25}});
        const double measured = SoundMeasure::dominantHz(all(samples));
        QVERIFY2(std::abs(measured - hz) <= hz * 0.002, qPrintable(QString::number(measured)));
        if (otherHz == 0) {
            const double crossings = SoundMeasure::crossingHz(all(samples));
            QVERIFY2(std::abs(crossings - hz) <= hz * 0.002,
                     qPrintable(QString::number(crossings)));
        }
    }

    void levels_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("db");
        QTest::newRow("full scale") << 1.0 << 0.0;
        QTest::newRow("a quarter") << 0.25 << -12.04;
        QTest::newRow("-60 dB") << 0.001 << -60.0;
    }
    void levels()
    {
        QFETCH(double, amplitude);
        QFETCH(double, db);
        // Off the analysis grid, with a strong tone 300 Hz away that must not leak in.
        const std::vector<float> samples = tones(1.0, {{1000.3, amplitude}, {1300.0, 0.5}});
        const double measured = SoundMeasure::levelDb(all(samples), 1000.3);
        QVERIFY2(std::abs(measured - db) <= 0.1, qPrintable(QString::number(measured)));
        QVERIFY(SoundMeasure::levelDb(all(samples), 700.0) < db - 40);
    }

    void silenceHasNoFrequency()
    {
        const std::vector<float> quiet(SoundRecorder::Rate / 2, 0.0f);
        QCOMPARE(SoundMeasure::dominantHz(all(quiet)), 0.0);
        QCOMPARE(SoundMeasure::crossingHz(all(quiet)), 0.0);
        QCOMPARE(SoundMeasure::levelDb(all(quiet), 440), -200.0);
        QCOMPARE(SoundMeasure::dominantHz({}), 0.0);
    }

    void spansStayInside()
    {
        const std::vector<float> samples(100, 0.5f);
        QCOMPARE(SoundMeasure::span(samples, 90, 50).size, std::size_t(10));
        QCOMPARE(SoundMeasure::span(samples, 150, 50).size, std::size_t(0));
        QCOMPARE(SoundMeasure::span(samples, -20, 30).size, std::size_t(30));
        QCOMPARE(SoundMeasure::peak(SoundMeasure::span(samples, 0, 100)), 0.5f);
    }
};

QTEST_MAIN(TestSoundProbe)
#include "test_sound_probe.moc"
