// From setKey() on MpvPlayer to the new key on the sound server's monitor: the player loops a
// 440 Hz tone through PulseAudio, the monitor is recorded with each piece timestamped on
// arrival (steady clock), and the first moment the tone holds the new key for 50 ms is taken
// as the moment it is heard. Each round steps 0 → +2 (the stage goes in), +2 → +1 and
// +1 → +2 (moved in place), +2 → 0 (the stage goes out).
//   bench_karaoke_latency TONE_FILE [ROUNDS] [name=value mpv options...]
// Needs the sound server of scripts/sound-server.sh (PULSE_SERVER) and QT_QPA_PLATFORM=offscreen
// or a display.

#include "platform/player/mpv_player.h"
#include "sound_probe.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr double kTone = 440.0;
// Short windows still hold four or more periods of the tone.
constexpr std::int64_t kWindow = SoundRecorder::Rate / 100;
constexpr std::int64_t kHop = SoundRecorder::Rate / 400;
constexpr std::int64_t kHold = SoundRecorder::Rate / 20;

double keyed(int semitones)
{
    return kTone * MpvAudioFilterChain::pitchRatio(semitones);
}

bool holds(const SoundRecorder& recorder, std::int64_t from, double hz)
{
    for (std::int64_t at = from; at + kWindow <= from + kHold; at += kHop) {
        const double measured =
            SoundMeasure::crossingHz(SoundMeasure::span(recorder.left(), at, kWindow));
        if (std::abs(measured - hz) > hz * 0.01)
            return false;
    }
    return true;
}

// The first frame at or after `from` where the tone holds `hz`, or -1 when none yet; `from`
// moves past what has been looked at.
std::int64_t firstHolding(const SoundRecorder& recorder, std::int64_t& from, double hz)
{
    for (; from + kHold <= recorder.frames(); from += kHop) {
        if (holds(recorder, from, hz))
            return from;
    }
    return -1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s TONE_FILE [ROUNDS] [name=value mpv options...]\n", argv[0]);
        return 2;
    }
    const QString missing = SoundRecorder::unavailableReason();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 2;
    }
    if (!SoundRecorder::resetSpeaker())
        std::fprintf(stderr, "could not set the speaker's volume\n");
    const int rounds = args.size() > 2 ? args[2].toInt() : 10;
    MpvPlayer::Options options;
    options.renderVideo = false;
    options.extraOptions = {"ao=pulse", "audio-fallback-to-null=no", "loop-file=inf"};
    options.extraOptions += args.mid(3);
    SoundRecorder recorder;
    if (!recorder.start()) {
        std::fprintf(stderr, "parec did not start\n");
        return 1;
    }
    MpvPlayer player(options);
    player.setFileName(args[1]);
    if (!QTest::qWaitFor([&] { return recorder.framesSinceSound() > SoundRecorder::Rate; },
                         10000)) {
        std::fprintf(stderr, "no sound\n");
        return 1;
    }

    struct Step {
        int from, to;
        const char* kind;
    };
    const std::vector<Step> steps{
        {0, 2, "0 -> +2 (stage in)"},
        {2, 1, "+2 -> +1 (in place)"},
        {1, 2, "+1 -> +2 (in place)"},
        {2, 0, "+2 -> 0 (stage out)"},
    };
    std::map<std::string, std::vector<double>> latencies;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const Step& step : steps) {
            // Start from a steady tone: the last change fully heard.
            const bool steady = QTest::qWaitFor(
                [&] {
                    return recorder.frames() > kHold &&
                           holds(recorder, recorder.frames() - kHold, keyed(step.from));
                },
                5000);
            if (!steady)
                ++failures;
            const std::int64_t asked = SoundRecorder::monotonicNs();
            const std::int64_t askedFrame = recorder.frames();
            player.setKey(step.to);
            std::int64_t heard = -1, lookedAt = askedFrame;
            (void)QTest::qWaitFor(
                [&] {
                    heard = firstHolding(recorder, lookedAt, keyed(step.to));
                    return heard >= 0;
                },
                5000);
            if (heard < 0) {
                ++failures;
                continue;
            }
            latencies[step.kind].push_back(double(recorder.arrivalNsOf(heard) - asked) / 1e6);
        }
    }
    player.Stop();

    std::printf("options: %s\n", qPrintable(args.mid(3).join(' ')));
    std::printf("mpv audio-buffer %s s, pulse-buffer %s\n",
                qPrintable(player.mpvProperty("audio-buffer")),
                qPrintable(player.mpvProperty("pulse-buffer")));
    std::vector<double> all;
    for (const Step& step : steps) {
        const std::vector<double>& values = latencies[step.kind];
        all.insert(all.end(), values.begin(), values.end());
        if (values.empty())
            continue;
        std::printf("%-22s median %6.1f ms  min %6.1f  max %6.1f  (%zu changes)\n", step.kind,
                    median(values), *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()), values.size());
    }
    std::printf("%-22s median %6.1f ms  (%zu changes, %d not heard)\n", "all", median(all),
                all.size(), failures);
    std::printf("longest silence inside the sound %.1f ms\n",
                SoundMeasure::longestSilenceMs(recorder));
    return failures == 0 ? 0 : 1;
}
