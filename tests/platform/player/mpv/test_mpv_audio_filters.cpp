// The player's audio filter chain: which stages it keeps, in which order, and the one "af"
// value mpv gets for them.

#include "platform/player/mpv/mpv_audio_filters.h"

#include <QtTest>

namespace {
const QString kLeft = "lavfi=[pan=stereo|c0=c0|c1=c0]";
const QString kTone = "lavfi=[bass=g=3,treble=g=-2]";
} // namespace

class TestMpvAudioFilters : public QObject {
    Q_OBJECT
private slots:
    void chain_data();
    void chain();
    void channelFilter_data();
    void channelFilter();
    void toneFilter_data();
    void toneFilter();
};

void TestMpvAudioFilters::chain_data()
{
    // Each change is "label=filter"; "label=" removes the stage.
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QList<bool>>("changed");
    QTest::addColumn<QString>("text");

    QTest::newRow("no stages") << QStringList{} << QList<bool>{} << "";
    QTest::newRow("one stage") << QStringList{"chan=" + kLeft} << QList<bool>{true}
                               << "@chan:" + kLeft;
    QTest::newRow("stages in first-added order")
        << QStringList{"chan=" + kLeft, "tone=" + kTone} << QList<bool>{true, true}
        << "@chan:" + kLeft + ",@tone:" + kTone;
    QTest::newRow("a changed stage keeps its place")
        << QStringList{"chan=" + kLeft, "tone=" + kTone, "chan=lavfi=[anull]"}
        << QList<bool>{true, true, true} << "@chan:lavfi=[anull],@tone:" + kTone;
    QTest::newRow("the same filter again changes nothing")
        << QStringList{"chan=" + kLeft, "chan=" + kLeft} << QList<bool>{true, false}
        << "@chan:" + kLeft;
    QTest::newRow("removed, then added again: last")
        << QStringList{"chan=" + kLeft, "tone=" + kTone, "chan=", "chan=" + kLeft}
        << QList<bool>{true, true, true, true} << "@tone:" + kTone + ",@chan:" + kLeft;
    QTest::newRow("removing the only stage")
        << QStringList{"tone=" + kTone, "tone="} << QList<bool>{true, true} << "";
    QTest::newRow("removing an absent stage changes nothing")
        << QStringList{"chan=" + kLeft, "tone="} << QList<bool>{true, false} << "@chan:" + kLeft;
}

void TestMpvAudioFilters::chain()
{
    QFETCH(QStringList, changes);
    QFETCH(QList<bool>, changed);
    QFETCH(QString, text);
    MpvAudioFilterChain chain;
    QList<bool> results;
    for (const QString& change : changes) {
        const qsizetype equals = change.indexOf('=');
        results << chain.setStage(change.left(equals), change.mid(equals + 1));
    }
    QCOMPARE(results, changed);
    QCOMPARE(chain.text(), text);
}

void TestMpvAudioFilters::channelFilter_data()
{
    QTest::addColumn<int>("balance");
    QTest::addColumn<QString>("pan"); // the pan part of the filter, "" for no stage
    QTest::newRow("first channel") << -10000 << "pan=stereo|c0=c0|c1=c0";
    QTest::newRow("just left of centre") << -1 << "pan=stereo|c0=c0|c1=c0";
    QTest::newRow("both") << 0 << "";
    QTest::newRow("second channel") << 10000 << "pan=stereo|c0=c1|c1=c1";
}

void TestMpvAudioFilters::channelFilter()
{
    QFETCH(int, balance);
    QFETCH(QString, pan);
    const QString filter = MpvAudioFilterChain::channelFilter(balance);
    if (pan.isEmpty()) {
        QVERIFY(filter.isEmpty());
        return;
    }
    // Mono sources are made stereo before pan picks a channel.
    QCOMPARE(filter, "lavfi=[aformat=channel_layouts=stereo," + pan + "]");
}

void TestMpvAudioFilters::toneFilter_data()
{
    QTest::addColumn<double>("bass");
    QTest::addColumn<double>("treble");
    QTest::addColumn<QString>("filter");
    QTest::newRow("flat: no stage") << 0.0 << 0.0 << "";
    QTest::newRow("bass only") << 12.0 << 0.0 << "lavfi=[bass=g=12.0]";
    QTest::newRow("treble only") << 0.0 << -12.0 << "lavfi=[treble=g=-12.0]";
    QTest::newRow("both, tenths") << -0.2 << 3.4 << "lavfi=[bass=g=-0.2,treble=g=3.4]";
}

// Gains are written with a decimal point whatever the locale, since mpv parses them in C.
void TestMpvAudioFilters::toneFilter()
{
    QFETCH(double, bass);
    QFETCH(double, treble);
    QFETCH(QString, filter);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(MpvAudioFilterChain::toneFilter(bass, treble), filter);
    QLocale::setDefault(before);
}

QTEST_GUILESS_MAIN(TestMpvAudioFilters)
#include "test_mpv_audio_filters.moc"
