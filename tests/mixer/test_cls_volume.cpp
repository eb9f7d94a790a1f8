// The mixer object on a scripted mixer device.

#include "fake_mixer_device.h"
#include "mixer/cls_volume.h"

#include <QtTest>
#include <limits>

using Line = MixerDevice::Line;
using Control = MixerDevice::Control;

namespace {

// A mixer object with its device, tone stage and the error boxes it showed.
struct Rig {
    FakeMixerDevice device;
    FakeToneControl tone;
    QStringList boxes;
    std::unique_ptr<clsVolume> volume;

    clsVolume& make(bool withTone = false)
    {
        volume = std::make_unique<clsVolume>(device, withTone ? &tone : nullptr,
                                             [this](const QString& text) { boxes << text; });
        return *volume;
    }
    // The calls made since the last look.
    QStringList takeCalls() { return std::exchange(device.calls, {}); }
};

// A property by its name, so that one table row can name what it reads or writes.
qint32 readProperty(clsVolume& volume, const QString& name)
{
    if (name == "VolumeLevel")
        return volume.VolumeLevel();
    if (name == "WaveLevel")
        return volume.WaveLevel();
    if (name == "VolumeLevelBass")
        return volume.VolumeLevelBass();
    if (name == "VolumeLevelTreble")
        return volume.VolumeLevelTreble();
    if (name == "VolumeMute")
        return volume.VolumeMute();
    if (name == "WaveMute")
        return volume.WaveMute();
    if (name == "CurrentVolumeMeterOutput")
        return volume.CurrentVolumeMeterOutput();
    if (name == "CurrentVolumeMeterInput")
        return volume.CurrentVolumeMeterInput();
    qFatal("no property %s", qPrintable(name));
}

void writeProperty(clsVolume& volume, const QString& name, qint32 level)
{
    if (name == "VolumeLevel")
        volume.setVolumeLevel(level);
    else if (name == "WaveLevel")
        volume.setWaveLevel(level);
    else if (name == "VolumeLevelBass")
        volume.setVolumeLevelBass(level);
    else if (name == "VolumeLevelTreble")
        volume.setVolumeLevelTreble(level);
    else if (name == "WaveLevelBass")
        volume.setWaveLevelBass(level);
    else if (name == "WaveLevelTreble")
        volume.setWaveLevelTreble(level);
    else if (name == "VolumeMute")
        volume.setVolumeMute(level != 0);
    else if (name == "WaveMute")
        volume.setWaveMute(level != 0);
    else
        qFatal("no property %s", qPrintable(name));
}

const QStringList waveInputStart{"open",    "prepare 0 8192", "prepare 1 8192",
                                 "queue 0", "queue 1",        "start"};

} // namespace

Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(Control)

class TestClsVolume : public QObject {
    Q_OBJECT

private slots:
    void constructionLooksUpInOrder()
    {
        Rig rig;
        rig.make();
        QCOMPARE(rig.takeCalls(),
                 QStringList({"find Speaker Volume", "find Wave Volume", "find Speaker Mute",
                              "find Wave Mute", "find Speaker Bass", "find Wave Bass",
                              "find Speaker Treble", "find Wave Treble", "find WaveIn PeakMeter",
                              "find Microphone PeakMeter", "find Wave PeakMeter"}));
    }

    void boundsReadOnce()
    {
        Rig rig;
        rig.device.add(Line::Speaker, Control::Volume, {1, 101});
        rig.device.add(Line::Wave, Control::Volume, {2, 102});
        rig.device.add(Line::Speaker, Control::Bass, {3, 103});
        rig.device.add(Line::Wave, Control::Bass, {4, 104});
        rig.device.add(Line::Speaker, Control::Treble, {5, 105});
        rig.device.add(Line::Wave, Control::Treble, {6, 106});
        rig.device.add(Line::WaveIn, Control::PeakMeter, {-7, 107});
        rig.device.add(Line::Wave, Control::PeakMeter, {-8, 108});
        clsVolume& volume = rig.make(true);
        for (auto& [key, control] : rig.device.controls)
            control.bounds = {0, 1};

        const QList<qint32> bounds{volume.VolumeMin(),
                                   volume.VolumeMax(),
                                   volume.WaveMin(),
                                   volume.WaveMax(),
                                   volume.VolBassMin(),
                                   volume.VolBassMax(),
                                   volume.WaveBassMin(),
                                   volume.VolTrebleMin(),
                                   volume.VolTrebleMax(),
                                   volume.WaveTrebleMin(),
                                   volume.MinVolumeMeterInput(),
                                   volume.MaxVolumeMeterInput(),
                                   volume.MinVolumeMeterOutput(),
                                   volume.MaxVolumeMeterOutput()};
        QCOMPARE(bounds, QList<qint32>({1, 101, 2, 102, 3, 103, 4, 5, 105, 6, -7, 107, -8, 108}));
        QVERIFY(!rig.device.calls.contains("find Microphone PeakMeter"));
    }

    void missingToneControls_data()
    {
        QTest::addColumn<bool>("cardBass");
        QTest::addColumn<bool>("cardTreble");
        QTest::addColumn<bool>("withTone");
        QTest::addColumn<qint32>("bassMax");
        QTest::addColumn<qint32>("trebleMax");
        QTest::newRow("none, no tone stage") << false << false << false << 0 << 0;
        QTest::newRow("none, tone stage") << false << false << true << 65535 << 65535;
        QTest::newRow("bass only, no tone stage") << true << false << false << 100 << 0;
        QTest::newRow("treble only, tone stage") << false << true << true << 65535 << 100;
        QTest::newRow("both, tone stage") << true << true << true << 100 << 100;
    }
    void missingToneControls()
    {
        QFETCH(bool, cardBass);
        QFETCH(bool, cardTreble);
        QFETCH(bool, withTone);
        Rig rig;
        if (cardBass)
            rig.device.add(Line::Speaker, Control::Bass, {0, 100});
        if (cardTreble)
            rig.device.add(Line::Speaker, Control::Treble, {0, 100});
        clsVolume& volume = rig.make(withTone);
        QTEST(volume.VolBassMax(), "bassMax");
        QTEST(volume.VolTrebleMax(), "trebleMax");
        QCOMPARE(volume.VolBassMin(), 0);
        QCOMPARE(volume.VolTrebleMin(), 0);
    }

    void muteRule_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<Line>("line");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<bool>("muted");
        for (const auto& [property, line] :
             {std::pair{QString("VolumeMute"), Line::Speaker}, {QString("WaveMute"), Line::Wave}})
            for (const auto& [value, muted] :
                 {std::pair{1, true}, {0, false}, {2, false}, {-1, false}, {65535, false}})
                QTest::addRow("%s %d", qPrintable(property), value)
                    << property << line << value << muted;
    }
    void muteRule()
    {
        QFETCH(QString, property);
        QFETCH(Line, line);
        QFETCH(qint32, value);
        QFETCH(bool, muted);
        Rig rig;
        rig.device.add(line, Control::Mute, {0, 1}, value);
        clsVolume& volume = rig.make();
        QCOMPARE(readProperty(volume, property) != 0, muted);

        writeProperty(volume, property, 1);
        QCOMPARE(rig.device.control(line, Control::Mute)->value, 1);
        writeProperty(volume, property, 0);
        QCOMPARE(rig.device.control(line, Control::Mute)->value, 0);
    }

    void failedReadsGiveZero_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<Line>("line");
        QTest::addColumn<Control>("control");
        QTest::addColumn<bool>("present"); // present but unreadable, or missing altogether
        const std::tuple<const char*, Line, Control> properties[] = {
            {"VolumeLevel", Line::Speaker, Control::Volume},
            {"WaveLevel", Line::Wave, Control::Volume},
            {"VolumeLevelBass", Line::Speaker, Control::Bass},
            {"VolumeLevelTreble", Line::Speaker, Control::Treble},
            {"VolumeMute", Line::Speaker, Control::Mute},
            {"CurrentVolumeMeterOutput", Line::Wave, Control::PeakMeter},
            {"CurrentVolumeMeterInput", Line::WaveIn, Control::PeakMeter}};
        for (const auto& [property, line, control] : properties) {
            QTest::addRow("%s unreadable", property) << property << line << control << true;
            QTest::addRow("%s missing", property) << property << line << control << false;
        }
    }
    void failedReadsGiveZero()
    {
        QFETCH(QString, property);
        QFETCH(Line, line);
        QFETCH(Control, control);
        QFETCH(bool, present);
        Rig rig;
        if (present)
            rig.device.add(line, control, {-65535, 65535}, 1).readFails = true;
        clsVolume& volume = rig.make();
        QCOMPARE(readProperty(volume, property), 0);
    }

    void failedWritesDropped_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<Line>("line");
        QTest::addColumn<Control>("control");
        const std::tuple<const char*, Line, Control> properties[] = {
            {"VolumeLevel", Line::Speaker, Control::Volume},
            {"WaveLevel", Line::Wave, Control::Volume},
            {"VolumeLevelBass", Line::Speaker, Control::Bass},
            {"VolumeLevelTreble", Line::Speaker, Control::Treble},
            {"WaveLevelBass", Line::Wave, Control::Bass},
            {"WaveLevelTreble", Line::Wave, Control::Treble},
            {"VolumeMute", Line::Speaker, Control::Mute},
            {"WaveMute", Line::Wave, Control::Mute}};
        for (const auto& [property, line, control] : properties)
            QTest::newRow(property) << property << line << control;
    }
    void failedWritesDropped()
    {
        QFETCH(QString, property);
        QFETCH(Line, line);
        QFETCH(Control, control);
        Rig rig;
        rig.device.add(line, control, {0, 65535}, 7).writeFails = true;
        clsVolume& volume = rig.make();
        rig.takeCalls();
        writeProperty(volume, property, 1);
        QCOMPARE(rig.takeCalls(),
                 QStringList{QStringLiteral("set %1 1").arg(FakeMixerDevice::name(line, control))});
        QCOMPARE(rig.device.control(line, control)->value, 7);
        // The same write to a control that does not exist at all goes nowhere either.
        Rig missing;
        writeProperty(missing.make(), property, 1);
        QVERIFY(missing.boxes.isEmpty());
    }

    void inputMeterLine_data()
    {
        QTest::addColumn<bool>("waveIn");
        QTest::addColumn<bool>("microphone");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("reading");
        QTest::newRow("wave-in meter") << true << true << 200 << 20;
        QTest::newRow("microphone meter only") << false << true << 100 << 10;
        QTest::newRow("no meter") << false << false << 0 << 0;
    }
    void inputMeterLine()
    {
        QFETCH(bool, waveIn);
        QFETCH(bool, microphone);
        Rig rig;
        if (waveIn)
            rig.device.add(Line::WaveIn, Control::PeakMeter, {-200, 200}, -20);
        if (microphone)
            rig.device.add(Line::Microphone, Control::PeakMeter, {-100, 100}, -10);
        clsVolume& volume = rig.make();
        QTEST(volume.MaxVolumeMeterInput(), "maximum");
        QTEST(volume.CurrentVolumeMeterInput(), "reading");
    }

    void metersAsMagnitudes_data()
    {
        QTest::addColumn<qint32>("reading");
        QTest::addColumn<qint32>("magnitude");
        const qint32 lowest = std::numeric_limits<qint32>::min();
        const qint32 highest = std::numeric_limits<qint32>::max();
        QTest::newRow("negative") << -12345 << 12345;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("positive") << 777 << 777;
        QTest::newRow("lowest") << lowest << highest;
    }
    void metersAsMagnitudes()
    {
        QFETCH(qint32, reading);
        Rig rig;
        rig.device.add(Line::WaveIn, Control::PeakMeter, {-32768, 32767}, reading);
        rig.device.add(Line::Wave, Control::PeakMeter, {-32768, 32767}, reading);
        clsVolume& volume = rig.make();
        QTEST(volume.CurrentVolumeMeterOutput(), "magnitude");
        QTEST(volume.CurrentVolumeMeterInput(), "magnitude");
    }

    void inputMeterStartsWaveInputOnce()
    {
        Rig rig;
        rig.device.add(Line::WaveIn, Control::PeakMeter, {0, 100}, 5);
        clsVolume& volume = rig.make();
        QCOMPARE(volume.CurrentVolumeMeterOutput(), 0);
        rig.takeCalls();
        QCOMPARE(volume.CurrentVolumeMeterInput(), 5);
        QCOMPARE(rig.takeCalls(), waveInputStart + QStringList{"value WaveIn PeakMeter"});
        QCOMPARE(volume.CurrentVolumeMeterInput(), 5);
        QCOMPARE(rig.takeCalls(), QStringList{"value WaveIn PeakMeter"});
        QVERIFY(rig.boxes.isEmpty());
        rig.volume.reset();
        QCOMPARE(rig.takeCalls(), QStringList{"stop"});
    }

    void waveInputNeverStartedNeverStopped()
    {
        Rig rig;
        rig.make().CurrentVolumeMeterOutput();
        rig.volume.reset();
        QVERIFY(!rig.device.calls.contains("stop"));
        QVERIFY(!rig.device.calls.contains("open"));
    }

    void waveInputOpenFails()
    {
        Rig rig;
        rig.device.add(Line::WaveIn, Control::PeakMeter, {0, 100}, 9);
        rig.device.openResults = {4, 4, 4, 4};
        clsVolume& volume = rig.make();
        rig.takeCalls();
        QCOMPARE(volume.CurrentVolumeMeterInput(), 9);
        QCOMPARE(rig.boxes, QStringList({"wave error 4", "wave error 4"}));
        QCOMPARE(rig.takeCalls(), QStringList({"open", "open", "value WaveIn PeakMeter"}));
        // The retry succeeds when the device is there again.
        rig.device.openResults = {4};
        QCOMPARE(volume.CurrentVolumeMeterInput(), 9);
        QCOMPARE(rig.takeCalls(),
                 QStringList{"open"} + waveInputStart + QStringList{"value WaveIn PeakMeter"});
        QCOMPARE(rig.boxes.size(), 3);
        rig.volume.reset();
        QCOMPARE(rig.takeCalls(), QStringList{"stop"});
    }

    void waveBufferFailureGoesOn_data()
    {
        QTest::addColumn<QList<int>>("prepareResults");
        QTest::addColumn<QList<int>>("queueResults");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("first prepare")
            << QList<int>{5} << QList<int>{} << QStringList{"wave error 5"};
        QTest::newRow("second prepare")
            << QList<int>{0, 6} << QList<int>{} << QStringList{"wave error 6"};
        QTest::newRow("first queue")
            << QList<int>{} << QList<int>{7} << QStringList{"wave error 7"};
        QTest::newRow("every step")
            << QList<int>{1, 2} << QList<int>{3, 4}
            << QStringList({"wave error 1", "wave error 2", "wave error 3", "wave error 4"});
    }
    void waveBufferFailureGoesOn()
    {
        QFETCH(QList<int>, prepareResults);
        QFETCH(QList<int>, queueResults);
        Rig rig;
        rig.device.prepareResults = prepareResults;
        rig.device.queueResults = queueResults;
        clsVolume& volume = rig.make();
        rig.takeCalls();
        volume.CurrentVolumeMeterInput();
        QTEST(rig.boxes, "boxes");
        QCOMPARE(rig.takeCalls(), waveInputStart + QStringList{"value Microphone PeakMeter"});
        volume.CurrentVolumeMeterInput();
        QVERIFY(!rig.takeCalls().contains("open"));
    }

    void doneBuffersHandedBackAtMeterReads()
    {
        Rig rig;
        clsVolume& volume = rig.make();
        rig.device.bufferDone = {true, true};
        volume.CurrentVolumeMeterOutput(); // input not running: nothing is handed back
        QCOMPARE(rig.device.bufferDone, (std::array<bool, 2>{true, true}));

        volume.CurrentVolumeMeterInput();
        rig.takeCalls();
        rig.device.bufferDone = {false, true};
        volume.CurrentVolumeMeterInput();
        QCOMPARE(rig.takeCalls(), QStringList({"queue 1", "value Microphone PeakMeter"}));
        rig.device.bufferDone = {true, true};
        volume.CurrentVolumeMeterOutput();
        QCOMPARE(rig.takeCalls(), QStringList({"queue 0", "queue 1", "value Wave PeakMeter"}));
        volume.CurrentVolumeMeterOutput();
        QCOMPARE(rig.takeCalls(), QStringList{"value Wave PeakMeter"});
    }

    void toneGain_data()
    {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<double>("gainDb");
        QTest::newRow("lowest") << 0 << -12.0;
        QTest::newRow("flat") << 32768 << 0.0;
        QTest::newRow("knob 50") << 32750 << 0.0;
        QTest::newRow("knob 51") << 33405 << 0.2;
        QTest::newRow("highest") << 65535 << 12.0;
        QTest::newRow("knob 41") << 26855 << -2.2;
        QTest::newRow("knob 100") << 65500 << 12.0;
        QTest::newRow("below range") << -100 << -12.0;
        QTest::newRow("above range") << 70000 << 12.0;
    }
    void toneGain()
    {
        QFETCH(qint32, level);
        QTEST(clsVolume::toneGainDb(level), "gainDb");
        QVERIFY(!std::signbit(clsVolume::toneGainDb(32750)));
    }

    void toneStageStandsIn()
    {
        Rig rig;
        rig.device.add(Line::Speaker, Control::Volume);
        clsVolume& volume = rig.make(true);
        QCOMPARE(volume.VolumeLevelBass(), clsVolume::FlatTone);
        QCOMPARE(volume.VolumeLevelTreble(), clsVolume::FlatTone);
        QCOMPARE(rig.tone.calls, 0);

        volume.setVolumeLevelBass(26855);
        QCOMPARE(rig.tone.bassDb, -2.2);
        QCOMPARE(rig.tone.trebleDb, 0.0);
        volume.setVolumeLevelTreble(65535);
        QCOMPARE(rig.tone.bassDb, -2.2);
        QCOMPARE(rig.tone.trebleDb, 12.0);
        volume.setVolumeLevelBass(99999);
        QCOMPARE(volume.VolumeLevelBass(), 65535);
        QCOMPARE(volume.VolumeLevelTreble(), 65535);
        QCOMPARE(rig.tone.calls, 3);
        for (const QString& call : rig.device.calls)
            QVERIFY2(!call.startsWith("value Speaker B") && !call.startsWith("set Speaker B") &&
                         !call.startsWith("value Speaker T") && !call.startsWith("set Speaker T"),
                     qPrintable(call));
    }

    void cardToneControlsKeepTheToneStageOut()
    {
        Rig rig;
        rig.device.add(Line::Speaker, Control::Bass, {0, 65535}, 100);
        clsVolume& volume = rig.make(true);
        QCOMPARE(volume.VolumeLevelBass(), 100);
        volume.setVolumeLevelBass(26855);
        QCOMPARE(rig.device.control(Line::Speaker, Control::Bass)->value, 26855);
        QCOMPARE(rig.tone.calls, 0);
        // Treble is missing, so the tone stage takes it, bass staying flat there.
        volume.setVolumeLevelTreble(0);
        QCOMPARE(rig.tone.calls, 1);
        QCOMPARE(rig.tone.bassDb, 0.0);
        QCOMPARE(rig.tone.trebleDb, -12.0);
        QCOMPARE(rig.device.control(Line::Speaker, Control::Bass)->value, 26855);
    }
};

QTEST_GUILESS_MAIN(TestClsVolume)
#include "test_cls_volume.moc"
