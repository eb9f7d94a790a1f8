// The player's audio filter chain: which stages it keeps, in which order, and the one "af"
// value mpv gets for them.

#include "platform/player/mpv/mpv_audio_filters.h"

#include <QtTest>

namespace {
const QString kLeft = "lavfi=[pan=stereo|c0=c0|c1=c0]";
const QString kTone = "lavfi=[bass=g=3,treble=g=-2]";
const QString kKey = "rubberband=pitch-scale=1.122462";
const QString kVoice = "lavfi=[pan=stereo|c0=c0-c1|c1=c1-c0]";
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
    void keyFilter_data();
    void keyFilter();
    void voiceCancelFilter();
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
    QTest::newRow("removed, then added again: back in its place")
        << QStringList{"chan=" + kLeft, "tone=" + kTone, "chan=", "chan=" + kLeft}
        << QList<bool>{true, true, true, true} << "@chan:" + kLeft + ",@tone:" + kTone;
    QTest::newRow("the sound path's order whatever the order of adding")
        << QStringList{"tone=" + kTone, "key=" + kKey, "voice=" + kVoice}
        << QList<bool>{true, true, true}
        << "@voice:" + kVoice + ",@key:" + kKey + ",@tone:" + kTone;
    QTest::newRow("the channel pick before the key, so the key never mixes it back")
        << QStringList{"key=" + kKey, "chan=" + kLeft} << QList<bool>{true, true}
        << "@chan:" + kLeft + ",@key:" + kKey;
    QTest::newRow("unknown stages after the known, in the order added")
        << QStringList{"zz=lavfi=[anull]", "tone=" + kTone, "aa=lavfi=[anull]", "chan=" + kLeft}
        << QList<bool>{true, true, true, true}
        << "@chan:" + kLeft + ",@tone:" + kTone + ",@zz:lavfi=[anull],@aa:lavfi=[anull]";
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

void TestMpvAudioFilters::keyFilter_data()
{
    QTest::addColumn<int>("semitones");
    QTest::addColumn<QString>("scale"); // the pitch-scale written, "" for no stage
    QTest::newRow("own key: no stage at all") << 0 << "";
    QTest::newRow("a semitone up") << 1 << "1.059463";
    QTest::newRow("two up: 440 Hz to 493.9 Hz") << 2 << "1.122462";
    QTest::newRow("three down: 440 Hz to 370.0 Hz") << -3 << "0.840896";
    QTest::newRow("an octave up") << 12 << "2.000000";
    QTest::newRow("an octave down") << -12 << "0.500000";
}

void TestMpvAudioFilters::keyFilter()
{
    QFETCH(int, semitones);
    QFETCH(QString, scale);
    // A decimal comma would make mpv refuse the whole chain.
    QLocale::setDefault(QLocale(QLocale::German));
    const QString filter = MpvAudioFilterChain::keyFilter(semitones);
    QLocale::setDefault(QLocale::c());
    if (scale.isEmpty()) {
        QVERIFY(filter.isEmpty());
        return;
    }
    QVERIFY2(filter.startsWith("rubberband="), qPrintable(filter));
    QVERIFY2(filter.endsWith(":pitch-scale=" + scale), qPrintable(filter));
    QCOMPARE(MpvAudioFilterChain::keyFilter(semitones, "other").section('=', 0, 0), "other");
}

void TestMpvAudioFilters::voiceCancelFilter()
{
    QVERIFY(MpvAudioFilterChain::voiceCancelFilter(false).isEmpty());
    const QString filter = MpvAudioFilterChain::voiceCancelFilter(true);
    // Made stereo first, so that a mono or 5.1 source meets the channel arithmetic in the form
    // it expects; each channel less the other above the bass.
    QVERIFY2(filter.startsWith("lavfi=[aformat=channel_layouts=stereo,"), qPrintable(filter));
    QVERIFY2(filter.contains("c0=c0-c1|c1=c1-c0"), qPrintable(filter));
    QCOMPARE(filter.count('['), filter.count(']'));
}
