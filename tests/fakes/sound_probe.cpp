#include "sound_probe.h"

#include <QSignalSpy>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <numbers>

std::int64_t SoundRecorder::monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

bool runs(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

QString SoundRecorder::unavailableReason()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return QStringLiteral("PULSE_SERVER is not set: the test command's sound server is not "
                              "running (scripts/sound-server.sh start)");
    QByteArray sources;
    if (!runs(QStringLiteral("pactl"),
              {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")},
              &sources))
        return QStringLiteral("pactl cannot reach the sound server at ") +
               qEnvironmentVariable("PULSE_SERVER");
    if (!sources.contains(Monitor))
        return QStringLiteral("the sound server has no %1").arg(QLatin1String(Monitor));
    if (!runs(QStringLiteral("parec"), {QStringLiteral("--version")}))
        return QStringLiteral("parec (pulseaudio-utils) is missing");
    return {};
}

bool SoundRecorder::resetSpeaker()
{
    const QString sink = QString::fromLatin1(Monitor).section(QLatin1Char('.'), 0, 0);
    return runs(QStringLiteral("pactl"), {QStringLiteral("set-sink-mute"), sink, "0"}) &&
           runs(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), sink, "100%"});
}

SoundRecorder::SoundRecorder(QObject* parent) : QObject(parent)
{
    connect(&m_parec, &QProcess::readyReadStandardOutput, this, &SoundRecorder::readSamples);
}

SoundRecorder::~SoundRecorder()
{
    stop();
}

bool SoundRecorder::start(const QString& source)
{
    // A short latency makes parec hand over the samples every few milliseconds, so that their
    // arrival times say when they were played.
    m_parec.start(QStringLiteral("parec"),
                  {QStringLiteral("--device=") + source, QStringLiteral("--format=s16le"),
                   QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=2"),
                   QStringLiteral("--raw"), QStringLiteral("--latency-msec=10"),
                   QStringLiteral("--client-name=tamrel-sound-probe")});
    if (!m_parec.waitForStarted(5000))
        return false;
    QSignalSpy grown(this, &SoundRecorder::grew);
    return frames() > 0 || grown.wait(5000);
}

void SoundRecorder::stop()
{
    if (m_parec.state() == QProcess::NotRunning)
        return;
    m_parec.terminate();
    if (!m_parec.waitForFinished(3000)) {
        m_parec.kill();
        m_parec.waitForFinished(1000);
    }
}

void SoundRecorder::readSamples()
{
    const std::int64_t arrival = monotonicNs();
    m_partial += m_parec.readAllStandardOutput();
    constexpr qsizetype frameBytes = 4;
    const qsizetype whole = m_partial.size() / frameBytes;
    if (whole == 0)
        return;
    for (qsizetype i = 0; i < whole; ++i) {
        const char* frame = m_partial.constData() + i * frameBytes;
        const float l = qFromLittleEndian<qint16>(frame) / 32768.0f;
        const float r = qFromLittleEndian<qint16>(frame + 2) / 32768.0f;
        if (std::abs(l) >= SoundMeasure::SilenceLevel ||
            std::abs(r) >= SoundMeasure::SilenceLevel) {
            if (m_firstSound < 0)
                m_firstSound = frames();
            m_lastSound = frames();
        }
        m_left.push_back(l);
        m_right.push_back(r);
    }
    m_partial.remove(0, whole * frameBytes);
    m_chunks.push_back({frames(), arrival});
    emit grew();
}

std::int64_t SoundRecorder::arrivalNsOf(std::int64_t frame) const
{
    auto chunk = std::upper_bound(m_chunks.begin(), m_chunks.end(), frame,
                                  [](std::int64_t f, const Chunk& c) { return f < c.endFrame; });
    if (frame < 0 || chunk == m_chunks.end())
        return -1;
    return chunk->arrivalNs - (chunk->endFrame - 1 - frame) * 1000000000 / Rate;
}

// ---- Measurements --------------------------------------------------------------------------

namespace SoundMeasure {
namespace {

std::vector<double> hann(Span samples)
{
    std::vector<double> windowed(samples.size);
    const double n = double(samples.size);
    for (std::size_t i = 0; i < samples.size; ++i)
        windowed[i] = samples.data[i] * 0.5 * (1 - std::cos(2 * std::numbers::pi * double(i) / n));
    return windowed;
}

// |X(f)| of windowed samples at any frequency (Goertzel).
double magnitude(const std::vector<double>& windowed, double hz, int rate)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double s1 = 0, s2 = 0;
    for (double x : windowed) {
        const double s = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2));
}

void fft(std::vector<std::complex<double>>& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> even = a[i + k];
                const std::complex<double> odd = a[i + k + len / 2] * w;
                a[i + k] = even + odd;
                a[i + k + len / 2] = even - odd;
                w *= step;
            }
        }
    }
}

bool silentAt(const SoundRecorder& recording, std::int64_t frame)
{
    return std::abs(recording.left()[std::size_t(frame)]) < SilenceLevel &&
           std::abs(recording.right()[std::size_t(frame)]) < SilenceLevel;
}

} // namespace

Span span(const std::vector<float>& samples, std::int64_t from, std::int64_t count)
{
    const auto size = std::int64_t(samples.size());
    from = std::clamp<std::int64_t>(from, 0, size);
    count = std::clamp<std::int64_t>(count, 0, size - from);
    return {samples.data() + from, std::size_t(count)};
}

std::int64_t frames(double seconds)
{
    return std::llround(seconds * SoundRecorder::Rate);
}

double levelDb(Span samples, double hz, int rate)
{
    if (samples.size == 0)
        return -200;
    // A full-scale sine gives |X| = N/4 through a Hann window (its mean is 1/2, one side 1/2).
    const double amplitude = 4 * magnitude(hann(samples), hz, rate) / double(samples.size);
    return amplitude > 1e-10 ? 20 * std::log10(amplitude) : -200;
}

double dominantHz(Span samples, double minHz, double maxHz, int rate)
{
    if (samples.size < 64 || peak(samples) < SilenceLevel)
        return 0;
    const std::vector<double> windowed = hann(samples);
    // The strongest bin of a zero-padded FFT, then the top of its Hann main lobe (±2 bins of
    // the unpadded length, one peak) found by ternary search on the exact transform.
    std::size_t n = 1;
    while (n < windowed.size() * 2)
        n <<= 1;
    std::vector<std::complex<double>> spectrum(n);
    std::copy(windowed.begin(), windowed.end(), spectrum.begin());
    fft(spectrum);
    const double binHz = double(rate) / double(n);
    const auto first = std::size_t(std::max(1.0, std::floor(minHz / binHz)));
    const auto last = std::min(n / 2 - 1, std::size_t(std::ceil(maxHz / binHz)));
    std::size_t best = first;
    for (std::size_t k = first; k <= last; ++k) {
        if (std::abs(spectrum[k]) > std::abs(spectrum[best]))
            best = k;
    }
    const double lobe = double(rate) / double(windowed.size());
    double low = double(best) * binHz - lobe, high = double(best) * binHz + lobe;
    while (high - low > 1e-4) {
        const double a = low + (high - low) / 3, b = high - (high - low) / 3;
        if (magnitude(windowed, a, rate) < magnitude(windowed, b, rate))
            low = a;
        else
            high = b;
    }
    return (low + high) / 2;
}

double crossingHz(Span samples, int rate)
{
    double first = -1, latest = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size; ++i) {
        const float before = samples.data[i - 1], now = samples.data[i];
        if (before < 0 && now >= 0) {
            const double at = double(i - 1) + before / double(before - now);
            if (first < 0)
                first = at;
            latest = at;
            ++crossings;
        }
    }
    if (crossings < 2 || latest <= first)
        return 0;
    return (crossings - 1) * rate / (latest - first);
}

double longestSilenceMs(const SoundRecorder& recording)
{
    const std::int64_t first = recording.firstSoundFrame(), last = recording.lastSoundFrame();
    std::int64_t longest = 0, run = 0;
    for (std::int64_t f = std::max<std::int64_t>(first, 0); f <= last; ++f) {
        run = silentAt(recording, f) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return 1000.0 * double(longest) / SoundRecorder::Rate;
}

double soundSeconds(const SoundRecorder& recording)
{
    if (recording.firstSoundFrame() < 0)
        return 0;
    return double(recording.lastSoundFrame() - recording.firstSoundFrame() + 1) /
           SoundRecorder::Rate;
}

float peak(Span samples)
{
    float highest = 0;
    for (std::size_t i = 0; i < samples.size; ++i)
        highest = std::max(highest, std::abs(samples.data[i]));
    return highest;
}

} // namespace SoundMeasure
