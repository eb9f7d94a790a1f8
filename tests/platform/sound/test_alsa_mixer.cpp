// The ALSA mixer and capture against a PulseAudio server of this test's own (a null sink and
// a null source), which the test also kills and starts again.

#include "fake_mixer_device.h"
#include "mixer/cls_volume.h"
#include "platform/sound/alsa_mixer_device.h"
#include "sound_server.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <unistd.h>

using Line = MixerDevice::Line;
using Control = MixerDevice::Control;
using namespace std::chrono_literals;

namespace {

const QString Sink = QStringLiteral("tamrel_speaker");

// Everything written to the process's stderr while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    QString finish()
    {
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

template <typename Call> double millisecondsOf(Call call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(Control)

class TestAlsaMixer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<SoundServer> m_server;
    QStringList m_boxes;

    // The sink's front-left volume in PulseAudio's units (65536 = 100 %), -1 when unreadable.
    int sinkVolume() const
    {
        const QString text = m_server->pactl({"get-sink-volume", Sink}).value_or(QString());
        const auto match = QRegularExpression("front-left: (\\d+)").match(text);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    QString sinkMute() const
    {
        return m_server->pactl({"get-sink-mute", Sink}).value_or(QString()).trimmed();
    }
    int captureStreams() const
    {
        const QString text = m_server->pactl({"list", "short", "source-outputs"}).value_or("?");
        return int(text.split('\n', Qt::SkipEmptyParts).size());
    }
    clsVolume::ErrorBox boxRecorder()
    {
        return [this](const QString& text) { m_boxes << text; };
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("pulseaudio and pactl are not installed (packages pulseaudio, pulseaudio-utils)");
        QVERIFY2(qEnvironmentVariableIsSet("TAMREL_SOURCE_DIR"),
                 "TAMREL_SOURCE_DIR names the source tree with scripts/sound-server.sh");
        QVERIFY(m_folder.isValid());
        m_server = std::make_unique<SoundServer>(m_folder.filePath("sound"));
        QVERIFY2(m_server->start(), "the sound server did not start");
        qputenv("PULSE_SERVER", m_server->address().toLocal8Bit());
    }
    void cleanupTestCase()
    {
        if (m_server)
            m_server->stop();
    }
    // A test that failed half-way may have left the server stopped.
    void init()
    {
        m_boxes.clear();
        if (!m_server->isUp())
            QVERIFY2(m_server->start(), "the sound server did not start");
    }

    // A player started before the sound server (a desktop session still coming up). This runs
    // first, before anything in this process has read the ALSA configuration: libasound's
    // shared copy would keep "no server" for good.
    void serverStartsAfterThePlayer()
    {
        m_server->stop();
        AlsaMixerDevice device;
        clsVolume volume(device, nullptr, boxRecorder());
        QCOMPARE(volume.VolumeMax(), 0);
        volume.setVolumeLevel(32750);
        QCOMPARE(volume.VolumeLevel(), 0);

        QVERIFY2(m_server->start(), "the sound server did not start");
        QTRY_COMPARE_WITH_TIMEOUT((volume.setVolumeLevel(26855), sinkVolume()), 26855, 3000);
        QCOMPARE(volume.VolumeLevel(), 26855);
    }

    // PulseAudio's ALSA control has the master volume and switch and nothing else we use.
    void controlsOnTheServer_data()
    {
        QTest::addColumn<Line>("line");
        QTest::addColumn<Control>("control");
        QTest::addColumn<bool>("found");
        QTest::addColumn<qint32>("maximum");
        QTest::newRow("speaker volume") << Line::Speaker << Control::Volume << true << 65535;
        QTest::newRow("speaker mute") << Line::Speaker << Control::Mute << true << 1;
        QTest::newRow("speaker bass") << Line::Speaker << Control::Bass << false << 0;
        QTest::newRow("speaker treble") << Line::Speaker << Control::Treble << false << 0;
        QTest::newRow("wave volume") << Line::Wave << Control::Volume << false << 0;
        QTest::newRow("wave peak meter") << Line::Wave << Control::PeakMeter << false << 0;
        QTest::newRow("microphone meter") << Line::Microphone << Control::PeakMeter << false << 0;
    }
    void controlsOnTheServer()
    {
        QFETCH(Line, line);
        QFETCH(Control, control);
        QFETCH(bool, found);
        AlsaMixerDevice device;
        const auto bounds = device.findControl(line, control);
        QCOMPARE(bounds.has_value(), found);
        if (found) {
            QCOMPARE(bounds->minimum, 0);
            QTEST(bounds->maximum, "maximum");
        }
    }

    // The server's master runs 0..65536, so a level L is written as round(L × 65536 / 65535)
    // and read back as round(V × 65535 / 65536), which gives L again.
    void levelReachesTheServer_data()
    {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<int>("serverVolume");
        QTest::newRow("knob 50") << 32750 << 32750;  // 32750.4997 rounds down
        QTest::newRow("knob 41") << 26855 << 26855;  // 26855.41
        QTest::newRow("knob 100") << 65500 << 65501; // 65500.9995
        QTest::newRow("highest") << 65535 << 65536;
        QTest::newRow("silent") << 0 << 0;
    }
    void levelReachesTheServer()
    {
        QFETCH(qint32, level);
        AlsaMixerDevice device;
        clsVolume volume(device, nullptr, boxRecorder());
        QCOMPARE(volume.VolumeMax(), 65535);
        volume.setVolumeLevel(level);
        QTEST(sinkVolume(), "serverVolume");
        QCOMPARE(volume.VolumeLevel(), level);
    }

    void muteReachesTheServer()
    {
        AlsaMixerDevice device;
        clsVolume volume(device, nullptr, boxRecorder());
        volume.setVolumeMute(true);
        QCOMPARE(sinkMute(), QString("Mute: yes"));
        QVERIFY(volume.VolumeMute());
        volume.setVolumeMute(false);
        QCOMPARE(sinkMute(), QString("Mute: no"));
        QVERIFY(!volume.VolumeMute());
    }

    void changesByAnotherProgramAreRead()
    {
        AlsaMixerDevice device;
        clsVolume volume(device, nullptr, boxRecorder());
        volume.setVolumeLevel(1000);
        QVERIFY(m_server->pactl({"set-sink-volume", Sink, "90%"}));
        // 90 % of 65536 is 58982 on the server; 58982 × 65535 / 65536 = 58981.1.
        QCOMPARE(sinkVolume(), 58982);
        QTRY_COMPARE_WITH_TIMEOUT(volume.VolumeLevel(), 58981, 2000);
        QVERIFY(m_server->pactl({"set-sink-mute", Sink, "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(volume.VolumeMute(), 2000);
        QVERIFY(m_server->pactl({"set-sink-mute", Sink, "0"}));
        QTRY_VERIFY_WITH_TIMEOUT(!volume.VolumeMute(), 2000);
    }

    void noServerAtAll()
    {
        if (QFile::exists("/dev/snd/controlC0"))
            QSKIP("this machine has a sound card, which ALSA would use without a server");
        qputenv("PULSE_SERVER", m_folder.filePath("no-such-socket").prepend("unix:").toLocal8Bit());
        StderrCapture stderrCapture;
        AlsaMixerDevice device;
        FakeToneControl tone;
        std::unique_ptr<clsVolume> volume;
        QElapsedTimer elapsed;
        elapsed.start();
        const double construction = millisecondsOf(
            [&] { volume = std::make_unique<clsVolume>(device, &tone, boxRecorder()); });
        double slowest = 0;
        for (int i = 0; i < 20; ++i) {
            slowest = std::max(slowest, millisecondsOf([&] { volume->setVolumeLevel(32750); }));
            slowest = std::max(slowest, millisecondsOf([&] { volume->setVolumeMute(true); }));
            slowest = std::max(slowest, millisecondsOf([&] {
                                   QCOMPARE(volume->VolumeLevel(), 0);
                                   QVERIFY(!volume->VolumeMute());
                               }));
            std::this_thread::sleep_for(15ms); // the calls come spread over time, as a user's
        }
        const int waveCode = device.openWaveInput();
        const QString printed = stderrCapture.finish();
        qputenv("PULSE_SERVER", m_server->address().toLocal8Bit());

        QCOMPARE(volume->VolumeMax(), 0);
        QCOMPARE(volume->VolBassMax(), 65535); // the tone stage stands in
        QCOMPARE(waveCode, ENOENT);
        QCOMPARE(device.waveInputErrorText(waveCode), QString("No such file or directory"));
        QCOMPARE(printed, QString());
        qInfo("without a server: construction %.2f ms, slowest call %.2f ms", construction,
              slowest);
        // The calls do not each try the missing server again: attempts follow the back-off,
        // at most one per first delay, however many calls came in between (60 here).
        const qint64 allowed = elapsed.elapsed() / AttachBackoff::FirstDelay.count() + 2;
        QVERIFY2(device.attachAttempts() <= allowed, qPrintable(QString("%1 attempts in %2 ms")
                                                                    .arg(device.attachAttempts())
                                                                    .arg(elapsed.elapsed())));
    }

    void serverKilledAndStartedAgain()
    {
        AlsaMixerDevice device;
        clsVolume volume(device, nullptr, boxRecorder());
        volume.setVolumeLevel(20000);
        QCOMPARE(sinkVolume(), 20000);

        m_server->stop();
        const int attemptsBefore = device.attachAttempts();
        const double cpuBefore = processCpuSeconds();
        for (int i = 0; i < 50; ++i) {
            volume.setVolumeLevel(32750);
            QCOMPARE(volume.VolumeLevel(), 0);
            volume.VolumeMute();
            std::this_thread::sleep_for(100ms); // a call every tenth of a second, on purpose
        }
        const double cpuShare = (processCpuSeconds() - cpuBefore) / 5.0;
        qInfo("CPU while the server was away: %.2f %%", cpuShare * 100);
        QVERIFY2(cpuShare < 0.05, qPrintable(QString::number(cpuShare)));
        // Writes may retry every quarter second, reads only after the backoff: 20 attempts in 5 s,
        // where 150 calls went by.
        const int attempts = device.attachAttempts() - attemptsBefore;
        qInfo("attach attempts while the server was away: %d", attempts);
        QVERIFY2(attempts <= 22, qPrintable(QString::number(attempts)));

        QVERIFY2(m_server->start(), "the sound server did not start again");
        // Writes go on until one reaches the new server.
        QVERIFY(QTest::qWaitFor(
            [&] {
                volume.setVolumeLevel(32750);
                return sinkVolume() == 32750;
            },
            10000));
        QCOMPARE(volume.VolumeLevel(), 32750);
        QVERIFY(m_boxes.isEmpty());
    }

    void captureRunsAndRecoversFromOverruns()
    {
        AlsaMixerDevice device;
        QCOMPARE(device.openWaveInput(), 0);
        QCOMPARE(device.prepareWaveBuffer(0, 8192), 0);
        QCOMPARE(device.prepareWaveBuffer(1, 8192), 0);
        QCOMPARE(device.queueWaveBuffer(0), 0);
        QCOMPARE(device.queueWaveBuffer(1), 0);
        QCOMPARE(device.startWaveInput(), 0);
        QTRY_COMPARE(captureStreams(), 1);
        // 8192 one-byte frames at 8 kHz take about a second.
        QVERIFY(!device.waveBufferDone(0));
        QTRY_VERIFY_WITH_TIMEOUT(device.waveBufferDone(0), 3000);
        QCOMPARE(device.queueWaveBuffer(0), 0);
        QVERIFY(!device.waveBufferDone(0));
        // Nobody reads for longer than the device holds (a span on purpose): an overrun, from
        // which capture recovers.
        std::this_thread::sleep_for(3s);
        QVERIFY(device.waveBufferDone(1));
        QCOMPARE(device.queueWaveBuffer(1), 0);
        QVERIFY(!device.waveBufferDone(1));
        QTRY_VERIFY_WITH_TIMEOUT(device.waveBufferDone(1), 3000);
        device.stopWaveInput();
        QTRY_COMPARE(captureStreams(), 0);
        QCOMPARE(device.queueWaveBuffer(0), EBADFD);
    }

    void inputMeterKeepsCaptureGoing()
    {
        {
            AlsaMixerDevice device;
            clsVolume volume(device, nullptr, boxRecorder());
            for (int i = 0; i < 25; ++i) {
                QCOMPARE(volume.CurrentVolumeMeterInput(), 0); // ALSA has no peak meters
                std::this_thread::sleep_for(100ms);            // the meter's pace, on purpose
            }
            QCOMPARE(captureStreams(), 1);
        }
        QTRY_COMPARE(captureStreams(), 0);
        QCOMPARE(m_boxes, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestAlsaMixer)
#include "test_alsa_mixer.moc"
