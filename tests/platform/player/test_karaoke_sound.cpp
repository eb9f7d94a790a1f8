// The karaoke stages of MpvPlayer heard where a user hears them: libmpv plays pure tones into
// the test command's sound server and the null sink's monitor is recorded and measured.
// Points in a recording are found by the recording's own length (frames since the first
// sound), never by the clock.

#include "platform/player/mpv_player.h"
#include "sound_probe.h"
#include "sound_server.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

using SoundMeasure::frames;
using SoundMeasure::span;

constexpr double kA440 = 440.0;

double keyed(double hz, int semitones)
{
    return hz * MpvAudioFilterChain::pitchRatio(semitones);
}

// What a player reported.
struct Events {
    int eos = 0;
    int playingEntries = 0;
    int listenerCalls = 0;

    void attach(MpvPlayer* player)
    {
        QObject::connect(player, &MediaPlayer::PlayStateChange, player, [this](long, long to) {
            if (to == MediaPlayer::Playing)
                ++playingEntries;
        });
        QObject::connect(player, &MediaPlayer::EndOfStream, player, [this](long) { ++eos; });
    }
};

QString describe(const char* what, double value, double wanted)
{
    return QStringLiteral("%1: %2, wanted %3").arg(QLatin1String(what)).arg(value).arg(wanted);
}

bool near(double value, double wanted, double fraction)
{
    return std::abs(value - wanted) <= wanted * fraction;
}

} // namespace

// The measurements of the sound itself belong to the optimised build: under the sanitizers the
// player is several times slower and they would only repeat those results. The stress cases,
// which exercise the stages' lifetimes, run in both.
#if defined(__SANITIZE_ADDRESS__)
#define MEASURED_IN_THE_OPTIMISED_BUILD() QSKIP("measured in the optimised build")
#else
#define MEASURED_IN_THE_OPTIMISED_BUILD() (void)0
#endif

class TestKaraokeSound : public QObject {
    Q_OBJECT

private:
    QString karaoke(const QString& name) const { return mediaDir_ + "/karaoke/" + name; }

    static std::unique_ptr<MpvPlayer> makePlayer(const QString& keyFilter = {})
    {
        MpvPlayer::Options options;
        options.renderVideo = false;
        // Through the sound server, never the silent fallback.
        options.extraOptions = {"ao=pulse", "audio-fallback-to-null=no"};
        if (!keyFilter.isEmpty())
            options.keyFilterName = keyFilter;
        return std::make_unique<MpvPlayer>(options);
    }

    // Waits until `seconds` more of the recording have arrived after frame `from`.
    static bool recordUntil(const SoundRecorder& recorder, std::int64_t from, double seconds)
    {
        return QTest::qWaitFor([&] { return recorder.frames() >= from + frames(seconds); },
                               int(seconds * 1000) + 10000);
    }
    // Waits until `seconds` of sound have been recorded.
    static bool soundFor(const SoundRecorder& recorder, double seconds)
    {
        return QTest::qWaitFor([&] { return recorder.framesSinceSound() >= frames(seconds); },
                               int(seconds * 1000) + 10000);
    }
    // Waits for the end of the medium and then for a third of a second of silence after the
    // last sound, so that all of it is in the recording.
    static bool recordToEnd(const SoundRecorder& recorder, const Events& events, int timeoutMs,
                            int endings = 1)
    {
        return QTest::qWaitFor([&] { return events.eos >= endings; }, timeoutMs) &&
               QTest::qWaitFor(
                   [&] {
                       return recorder.lastSoundFrame() >= 0 &&
                              recorder.frames() - recorder.lastSoundFrame() > frames(0.33);
                   },
                   5000);
    }
    // The dominant frequency of each channel over [from, from + seconds).
    static std::pair<double, double> dominant(const SoundRecorder& recorder, std::int64_t from,
                                              double seconds)
    {
        return {SoundMeasure::dominantHz(span(recorder.left(), from, frames(seconds))),
                SoundMeasure::dominantHz(span(recorder.right(), from, frames(seconds)))};
    }
    static double level(const std::vector<float>& channel, std::int64_t from, double seconds,
                        double hz)
    {
        return SoundMeasure::levelDb(span(channel, from, frames(seconds)), hz);
    }

    QString mediaDir_;

private slots:
    void initTestCase()
    {
        mediaDir_ = qEnvironmentVariable("TAMREL_TEST_MEDIA");
        QVERIFY2(QFile::exists(karaoke("a440-8s.wav")),
                 "TAMREL_TEST_MEDIA must name the generated clips");
        const QString missing = SoundRecorder::unavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        QVERIFY(SoundRecorder::resetSpeaker());
    }

    // The key moves every frequency by 2^(n/12); the tempo stretches the time and keeps the key.
    void keyAndTempo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("tempo");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("seconds");
        QTest::newRow("key +2") << 2 << 100 << 493.88 << 5.0;
        QTest::newRow("key -3") << -3 << 100 << 369.99 << 5.0;
        QTest::newRow("tempo 80 %") << 0 << 80 << kA440 << 6.25;
        QTest::newRow("tempo 125 %") << 0 << 125 << kA440 << 4.0;
        QTest::newRow("key +2 at tempo 80 %") << 2 << 80 << 493.88 << 6.25;
    }
    void keyAndTempo()
    {
        MEASURED_IN_THE_OPTIMISED_BUILD();
        QFETCH(int, key);
        QFETCH(int, tempo);
        QFETCH(double, hz);
        QFETCH(double, seconds);
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setKey(key);
        player->setTempo(tempo);
        player->setFileName(karaoke("a440-5s.wav"));
        QVERIFY(recordToEnd(recorder, events, 20000));

        // The middle of the sound, clear of the stages' start and end.
        const auto [left, right] = dominant(recorder, recorder.firstSoundFrame() + frames(1), 2);
        const double length = SoundMeasure::soundSeconds(recorder);
        qInfo("key %+d tempo %d %%: %.2f / %.2f Hz (wanted %.2f), %.3f s of sound (wanted "
              "%.3f), longest silence inside %.1f ms",
              key, tempo, left, right, hz, length, seconds,
              SoundMeasure::longestSilenceMs(recorder));
        QVERIFY2(near(left, hz, 0.01), qPrintable(describe("left Hz", left, hz)));
        QVERIFY2(near(right, hz, 0.01), qPrintable(describe("right Hz", right, hz)));
        QVERIFY2(std::abs(length - seconds) <= 0.2,
                 qPrintable(describe("seconds of sound", length, seconds)));
    }

    // Voice cancel takes out what is centred and keeps what only one channel carries.
    void voiceCancel()
    {
        MEASURED_IN_THE_OPTIMISED_BUILD();
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        player->setFileName(karaoke("voice.wav"));
        QVERIFY(soundFor(recorder, 1.5));
        const std::int64_t before = recorder.firstSoundFrame() + frames(0.3);
        player->setVoiceCancel(true);
        const std::int64_t switched = recorder.frames();
        QVERIFY(recordUntil(recorder, switched, 2.2));
        const std::int64_t after = switched + frames(1);

        const double voiceL = level(recorder.left(), before, 1, 1000);
        const double voiceR = level(recorder.right(), before, 1, 1000);
        const double voiceOffL = level(recorder.left(), after, 1, 1000);
        const double voiceOffR = level(recorder.right(), after, 1, 1000);
        const double sideBefore = level(recorder.left(), before, 1, 300);
        const double sideAfter = level(recorder.left(), after, 1, 300);
        qInfo("1 kHz voice: left %.1f -> %.1f dB, right %.1f -> %.1f dB; left-only 300 Hz: "
              "%.1f -> %.1f dB",
              voiceL, voiceOffL, voiceR, voiceOffR, sideBefore, sideAfter);
        QVERIFY2(voiceL - voiceOffL >= 20,
                 qPrintable(describe("left voice dB", voiceOffL, voiceL)));
        QVERIFY2(voiceR - voiceOffR >= 20,
                 qPrintable(describe("right voice dB", voiceOffR, voiceR)));
        QVERIFY2(std::abs(sideAfter - sideBefore) <= 3,
                 qPrintable(describe("left 300 Hz dB", sideAfter, sideBefore)));
        player->Stop();
    }

    // The key moves while the song plays: in at the first step, in place after it, out at the
    // return, and the sound never breaks off.
    void keyChangesWhilePlaying_data()
    {
        QTest::addColumn<int>("tempo");
        QTest::newRow("normal tempo") << 100;
        QTest::newRow("tempo 90 %") << 90;
    }
    void keyChangesWhilePlaying()
    {
        MEASURED_IN_THE_OPTIMISED_BUILD();
        QFETCH(int, tempo);
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setTempo(tempo);
        player->setFileName(karaoke("a440-8s.wav"));

        struct Step {
            double atSecond; // of sound recorded
            int key;
            std::int64_t frame = 0;
        };
        std::vector<Step> steps{{0, 0}, {1.5, 2}, {3.5, 3}, {5.5, 0}};
        for (Step& step : steps) {
            QVERIFY(soundFor(recorder, step.atSecond));
            player->setKey(step.key);
            step.frame = recorder.frames();
        }
        QVERIFY(recordToEnd(recorder, events, 20000));

        const double silence = SoundMeasure::longestSilenceMs(recorder);
        qInfo("tempo %d %%: longest silence inside the sound %.2f ms", tempo, silence);
        // The changes cost a few milliseconds of the song at most: none is skipped or doubled.
        const double length =
            double(recorder.lastSoundFrame() - recorder.firstSoundFrame()) / SoundRecorder::Rate;
        qInfo("  %.3f s of sound", length);
        QVERIFY2(near(length, 8.0 * 100 / tempo, 0.02),
                 qPrintable(describe("seconds of sound", length, 8.0 * 100 / tempo)));
        for (const Step& step : steps) {
            // A second into the step, past the sound already on its way to the speaker.
            const std::int64_t from =
                std::max(step.frame, recorder.firstSoundFrame()) + frames(0.9);
            const auto [left, right] = dominant(recorder, from, 0.5);
            qInfo("  key %+d: %.2f / %.2f Hz", step.key, left, right);
            QVERIFY2(near(left, keyed(kA440, step.key), 0.01),
                     qPrintable(describe("Hz", left, keyed(kA440, step.key))));
            QVERIFY2(near(right, keyed(kA440, step.key), 0.01),
                     qPrintable(describe("Hz", right, keyed(kA440, step.key))));
        }
        QVERIFY2(silence <= 20, qPrintable(describe("longest silence ms", silence, 20)));
    }

    // A channel picked for both speakers goes through the key stage after the pick: nothing of
    // the other channel comes back.
    void pickedChannelWithKey_data()
    {
        QTest::addColumn<int>("balance");
        QTest::addColumn<double>("heard");
        QTest::addColumn<double>("absent");
        QTest::newRow("first channel")
            << MediaPlayer::BalanceFirstChannel << keyed(440, 2) << keyed(660, 2);
        QTest::newRow("second channel")
            << MediaPlayer::BalanceSecondChannel << keyed(660, 2) << keyed(440, 2);
    }
    void pickedChannelWithKey()
    {
        MEASURED_IN_THE_OPTIMISED_BUILD();
        QFETCH(int, balance);
        QFETCH(double, heard);
        QFETCH(double, absent);
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        player->setBalance(balance);
        player->setKey(2);
        player->setFileName(karaoke("left440-right660.wav"));
        QVERIFY(soundFor(recorder, 2.5));
        player->Stop();

        const std::int64_t from = recorder.firstSoundFrame() + frames(1);
        const auto [left, right] = dominant(recorder, from, 1.5);
        for (const auto* channel : {&recorder.left(), &recorder.right()}) {
            const double wanted = level(*channel, from, 1.5, heard);
            const double other = level(*channel, from, 1.5, absent);
            qInfo("%s: %.2f Hz at %.1f dB, %.2f Hz at %.1f dB",
                  channel == &recorder.left() ? "left" : "right", heard, wanted, absent, other);
            QVERIFY2(wanted - other >= 40, qPrintable(describe("other channel dB", other, wanted)));
        }
        QVERIFY2(near(left, heard, 0.01), qPrintable(describe("left Hz", left, heard)));
        QVERIFY2(near(right, heard, 0.01), qPrintable(describe("right Hz", right, heard)));
    }

    // A libmpv without the key's filter: the key says why and the other stages still work.
    void keyFilterMissing()
    {
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer("nosuchfilter");
        Events events;
        events.attach(player.get());
        player->setAvailabilityListener([&events] { ++events.listenerCalls; });
        player->setBalance(MediaPlayer::BalanceSecondChannel);
        player->setKey(2);
        player->setFileName(karaoke("left440-right660.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(!player->keyUnavailable().isEmpty(), 10000);
        QVERIFY(events.listenerCalls >= 1);
        qInfo() << "keyUnavailable:" << player->keyUnavailable();
        QVERIFY(player->keyUnavailable().contains("nosuchfilter"));
        QVERIFY(soundFor(recorder, 2.5));
        player->setKey(3);
        QVERIFY(recordUntil(recorder, recorder.frames(), 1.0));
        player->Stop();

        const std::int64_t from = recorder.firstSoundFrame() + frames(1);
        const auto [left, right] = dominant(recorder, from, 1.5);
        qInfo("second channel, no key stage: %.2f / %.2f Hz, 440 Hz at %.1f dB", left, right,
              level(recorder.left(), from, 1.5, 440));
        QVERIFY2(near(left, 660, 0.01), qPrintable(describe("left Hz", left, 660)));
        QVERIFY2(near(right, 660, 0.01), qPrintable(describe("right Hz", right, 660)));
        QVERIFY(level(recorder.left(), from, 1.5, 660) - level(recorder.left(), from, 1.5, 440) >=
                40);
        QVERIFY(events.playingEntries >= 1);
    }

    // ---- Bad input: each ends quietly, the player keeps answering -----------------------------

    void changesHundredTimesASecond()
    {
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setFileName(karaoke("a440-8s.wav"));
        QVERIFY(soundFor(recorder, 0.5));

        int ticks = 0;
        QTimer storm;
        storm.setInterval(10);
        connect(&storm, &QTimer::timeout, this, [&] {
            ++ticks;
            player->setKey(ticks % 11 - 5);
            player->setTempo(50 + ticks * 7 % 101);
        });
        storm.start();
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 200, 20000);
        storm.stop();

        // The last word holds.
        player->setKey(2);
        player->setTempo(100);
        const std::int64_t settled = recorder.frames();
        QVERIFY(recordUntil(recorder, settled, 1.6));
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        QTRY_COMPARE_WITH_TIMEOUT(player->mpvProperty("speed"), QString("1.000000"), 5000);
        const auto [left, right] = dominant(recorder, settled + frames(1), 0.5);
        qInfo("after 200 changes: %.2f / %.2f Hz", left, right);
        QVERIFY2(near(left, keyed(kA440, 2), 0.01),
                 qPrintable(describe("Hz", left, keyed(kA440, 2))));
        QVERIFY(recordToEnd(recorder, events, 20000));
        QCOMPARE(events.eos, 1);
    }

    void changesDuringTrackChange_data()
    {
        QTest::addColumn<bool>("beforeChange");
        QTest::addColumn<int>("firstKey");
        QTest::newRow("moved in place, then the change") << true << 2;
        QTest::newRow("the change, then moved in place") << false << 2;
        QTest::newRow("the stage goes in with the change") << false << 0;
        QTest::newRow("the stage goes in, then the change") << true << 0;
    }
    void changesDuringTrackChange()
    {
        QFETCH(bool, beforeChange);
        QFETCH(int, firstKey);
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setKey(firstKey);
        player->setFileName(karaoke("a440-5s.wav"));
        QVERIFY(soundFor(recorder, 1.0));
        if (beforeChange) {
            player->setKey(3);
            player->setTempo(90);
        }
        const std::int64_t changed = recorder.frames();
        player->setFileName(karaoke("a440-8s.wav"));
        if (!beforeChange) {
            player->setKey(3);
            player->setTempo(90);
        }
        QVERIFY(recordUntil(recorder, changed, 2.5));
        QTRY_VERIFY_WITH_TIMEOUT(events.playingEntries >= 2, 5000);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        QTRY_COMPARE_WITH_TIMEOUT(player->mpvProperty("speed"), QString("0.900000"), 5000);

        const auto [left, right] = dominant(recorder, changed + frames(1.5), 0.8);
        qInfo("after the change: %.2f / %.2f Hz, mpv's af: %s", left, right,
              qPrintable(player->mpvProperty("af")));
        QVERIFY2(near(left, keyed(kA440, 3), 0.01),
                 qPrintable(describe("left Hz", left, keyed(kA440, 3))));
        QVERIFY2(near(right, keyed(kA440, 3), 0.01),
                 qPrintable(describe("right Hz", right, keyed(kA440, 3))));
        QCOMPARE(events.eos, 0);
    }

    void changesAtTheEnd()
    {
        // EndOfStream comes while the last of the sound is still on its way to the speaker:
        // the next recording starts once that has played.
        auto tail = std::make_unique<SoundRecorder>();
        QVERIFY(tail->start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setKey(2);
        connect(player.get(), &MediaPlayer::EndOfStream, this, [&] {
            player->setKey(3);
            player->setTempo(110);
            player->setVoiceCancel(true);
            player->setVoiceCancel(false);
        });
        player->setFileName(karaoke("a440-5s.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(events.eos, 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), int(MediaPlayer::Stopped), 5000);
        QVERIFY(QTest::qWaitFor(
            [&] { return tail->frames() - tail->lastSoundFrame() > frames(0.33); }, 5000));
        tail.reset();

        // What was set at the end holds for the next medium.
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        player->setFileName(karaoke("a440-5s.wav"));
        QVERIFY(recordToEnd(recorder, events, 20000, 2));
        const auto [left, right] = dominant(recorder, recorder.firstSoundFrame() + frames(1), 2);
        const double length = SoundMeasure::soundSeconds(recorder);
        qInfo("next medium: %.2f / %.2f Hz, %.3f s of sound", left, right, length);
        QVERIFY2(near(left, keyed(kA440, 3), 0.01),
                 qPrintable(describe("Hz", left, keyed(kA440, 3))));
        QVERIFY2(std::abs(length - 5 / 1.1) <= 0.2,
                 qPrintable(describe("seconds of sound", length, 5 / 1.1)));
    }

    // The sound server goes away while a moved key plays (a desktop's session ending, the
    // server crashing): the player keeps answering and ends the medium quietly, and once the
    // server is back the next medium is heard in the key chosen meanwhile.
    void soundServerGoneWhilePlaying()
    {
        QTemporaryDir folder;
        SoundServer server(folder.filePath("sound"));
        QVERIFY(server.start());
        const QByteArray shared = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.address().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", shared); });

        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setKey(2);
        {
            SoundRecorder recorder;
            QVERIFY(recorder.start());
            player->setFileName(karaoke("a440-8s.wav"));
            QVERIFY(soundFor(recorder, 0.5));
        }
        server.stop();
        player->setKey(3);
        player->setTempo(110);
        QTRY_VERIFY_WITH_TIMEOUT(
            events.eos == 1 || player->PlayState() != int(MediaPlayer::Playing), 20000);
        QCOMPARE(player->mpvProperty("speed"), QString("1.100000"));

        QVERIFY(server.start());
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        const int before = events.eos;
        player->setFileName(karaoke("a440-5s.wav"));
        QVERIFY(recordToEnd(recorder, events, 20000, before + 1));
        const auto [left, right] = dominant(recorder, recorder.firstSoundFrame() + frames(1), 2);
        qInfo("after the server came back: %.2f / %.2f Hz", left, right);
        QVERIFY2(near(left, keyed(kA440, 3), 0.01),
                 qPrintable(describe("Hz", left, keyed(kA440, 3))));
        server.stop();
    }

    void mediumWithoutSound()
    {
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setVoiceCancel(true);
        player->setKey(2);
        player->setTempo(80);
        player->setFileName(mediaDir_ + "/orange.mpg");
        QTRY_VERIFY_WITH_TIMEOUT(events.playingEntries >= 1, 10000);
        player->setKey(3);
        player->setKey(0);
        player->setKey(-2);
        player->setVoiceCancel(false);
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentPosition() > 1.0, 10000);
        QCOMPARE(player->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(player->mpvProperty("speed"), QString("0.800000"));
        QCOMPARE(recorder.firstSoundFrame(), std::int64_t(-1));
        player->Stop();
        QCOMPARE(player->PlayState(), int(MediaPlayer::Stopped));

        // The stages set meanwhile reach the next medium with sound.
        player->setTempo(100);
        player->setFileName(karaoke("a440-5s.wav"));
        QVERIFY(soundFor(recorder, 2.0));
        player->Stop();
        const auto [left, right] = dominant(recorder, recorder.firstSoundFrame() + frames(1), 0.8);
        qInfo("next medium: %.2f / %.2f Hz", left, right);
        QVERIFY2(near(left, keyed(kA440, -2), 0.01),
                 qPrintable(describe("Hz", left, keyed(kA440, -2))));
    }

    // Other channel layouts under voice cancel and key +2. A mono source has nothing but a
    // centre, which voice cancel would take out whole: it plays as it is. The key must still
    // work on both.
    void otherLayouts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mono");
        QTest::newRow("mono") << "mono440.wav" << true;
        QTest::newRow("5.1") << "surround.wav" << false;
    }
    void otherLayouts()
    {
        MEASURED_IN_THE_OPTIMISED_BUILD();
        QFETCH(QString, file);
        QFETCH(bool, mono);
        SoundRecorder recorder;
        QVERIFY(recorder.start());
        auto player = makePlayer();
        Events events;
        events.attach(player.get());
        player->setVoiceCancel(true);
        player->setKey(2);
        player->setFileName(karaoke(file));
        QTRY_VERIFY_WITH_TIMEOUT(events.playingEntries >= 1, 10000);
        const std::int64_t playing = recorder.frames();
        QVERIFY(recordUntil(recorder, playing, 1.8));
        player->setVoiceCancel(false);
        const std::int64_t voiceBack = recorder.frames();
        QVERIFY(recordUntil(recorder, voiceBack, 1.8));
        player->Stop();

        const std::int64_t cancelled = playing + frames(0.8);
        const double tone = keyed(440, 2), right = keyed(660, 2), voice = keyed(1000, 2);
        auto levels = [&](std::int64_t from) {
            return QStringLiteral("left %1/%2/%3 dB, right %4/%5/%6 dB")
                .arg(level(recorder.left(), from, 1, tone), 0, 'f', 1)
                .arg(level(recorder.left(), from, 1, right), 0, 'f', 1)
                .arg(level(recorder.left(), from, 1, voice), 0, 'f', 1)
                .arg(level(recorder.right(), from, 1, tone), 0, 'f', 1)
                .arg(level(recorder.right(), from, 1, right), 0, 'f', 1)
                .arg(level(recorder.right(), from, 1, voice), 0, 'f', 1);
        };
        qInfo() << file << "at 493.9/740.8/1122.5 Hz, voice cancel on:" << levels(cancelled);
        qInfo() << file << "voice cancel off:" << levels(voiceBack + frames(0.8));

        const double keyedTone =
            SoundMeasure::dominantHz(span(recorder.left(), voiceBack + frames(0.8), frames(1)));
        QVERIFY2(near(keyedTone, tone, 0.01), qPrintable(describe("Hz", keyedTone, tone)));
        if (mono) {
            const double open = level(recorder.left(), voiceBack + frames(0.8), 1, tone);
            QVERIFY(qAbs(open - level(recorder.left(), cancelled, 1, tone)) <= 3);
            QVERIFY(qAbs(open - level(recorder.right(), cancelled, 1, tone)) <= 3);
        } else {
            const double cancelledTone =
                SoundMeasure::dominantHz(span(recorder.left(), cancelled, frames(1)));
            QVERIFY2(near(cancelledTone, tone, 0.01),
                     qPrintable(describe("Hz", cancelledTone, tone)));
            QVERIFY(level(recorder.left(), cancelled, 1, tone) -
                        level(recorder.left(), cancelled, 1, voice) >=
                    20);
        }
        QCOMPARE(events.eos, 0);
    }
};

QTEST_MAIN(TestKaraokeSound)
#include "test_karaoke_sound.moc"
