#include "platform/player/mpv/mpv_options.h"

#include <cmath>

namespace {

// mpv's volume scale is cubic: gain in dB = 60 * log10(volume / 100).
constexpr double kStartLevelDb = -2.9;

} // namespace

namespace MpvOptions {

std::vector<MpvOption> defaults(bool renderVideo)
{
    const QByteArray volume =
        QByteArray::number(100.0 * std::pow(10.0, kStartLevelDb / 60.0), 'f', 4);
    return {
        {"vo", renderVideo ? "libmpv" : "null"},
        {"load-scripts", "no"},
        // mpv's built-in scripts (console, statistics, profile switching) would start a Lua
        // interpreter on threads of their own, competing with the start for the CPU.
        {"load-osd-console", "no"},
        {"load-stats-overlay", "no"},
        {"load-auto-profiles", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"terminal", "no"},
        // Without a sound device audio-only media still run (silently) to their end.
        {"audio-fallback-to-null", "yes"},
        // A file being replaced or stopped during a slow read is dropped at once rather than
        // given time to end its read cleanly.
        {"demuxer-termination-timeout", "0"},
        {"volume", volume},
        // A key, tempo or volume change is heard once the sound already queued has played:
        // mpv's own 0.2 s and the sound server's 0.1 s made that a third of a second. These
        // play without a gap on two busy cores with the picture drawn in software
        // (bench/README.md).
        {"audio-buffer", "0.05"},
        {"pulse-buffer", "40"},
    };
}

MpvOption parse(const QString& text)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    return {text.left(equals).toUtf8(),
            equals < 0 ? QByteArray("yes") : text.mid(equals + 1).toUtf8()};
}

std::vector<MpvOption> forPlayer(bool renderVideo, const QStringList& extraOptions)
{
    std::vector<MpvOption> options = defaults(renderVideo);
    for (const QString& text : extraOptions)
        options.push_back(parse(text));
    return options;
}

} // namespace MpvOptions
