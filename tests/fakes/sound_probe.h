#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <cstdint>
#include <vector>

// What the test command's sound server plays, recorded from its null sink's monitor with parec
// (s16le stereo at 48 kHz), and measured: the level of a frequency, the dominant frequency,
// where the sound starts and ends and the longest silence inside it.
class SoundRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr int Rate = 48000;
    static constexpr const char* Monitor = "tamrel_speaker.monitor";

    // Why nothing can be recorded here (no PULSE_SERVER, the server does not answer, no
    // parec), or empty.
    static QString unavailableReason();
    // Sets the null sink to full volume, unmuted (other tests of the sound server leave it at
    // what they tried); false when pactl fails.
    static bool resetSpeaker();

    explicit SoundRecorder(QObject* parent = nullptr);
    ~SoundRecorder() override;

    // Starts parec and returns once its first samples arrived (an idle null sink still plays
    // silence), so nothing played afterwards is missed; false when it does not run.
    bool start(const QString& source = QString::fromLatin1(Monitor));
    void stop();

    // Frames recorded so far; left()[i] and right()[i] are frame i, from -1 to 1.
    std::int64_t frames() const { return std::int64_t(m_left.size()); }
    const std::vector<float>& left() const { return m_left; }
    const std::vector<float>& right() const { return m_right; }
    // The first frame louder than the silence threshold in either channel, or -1.
    std::int64_t firstSoundFrame() const { return m_firstSound; }
    // The last such frame, or -1.
    std::int64_t lastSoundFrame() const { return m_lastSound; }
    // Frames recorded since the first sound, 0 before it.
    std::int64_t framesSinceSound() const { return m_firstSound < 0 ? 0 : frames() - m_firstSound; }

    // When each piece of the recording arrived: the frame after its last and the monotonic
    // clock (QElapsedTimer's, nanoseconds) at its arrival.
    struct Chunk {
        std::int64_t endFrame = 0;
        std::int64_t arrivalNs = 0;
    };
    const std::vector<Chunk>& chunks() const { return m_chunks; }
    static std::int64_t monotonicNs();
    // The monotonic time at which `frame` arrived, taken from its chunk's arrival less the
    // frames after it in that chunk; -1 when not yet recorded.
    std::int64_t arrivalNsOf(std::int64_t frame) const;

signals:
    void grew();

private:
    void readSamples();

    QProcess m_parec;
    QByteArray m_partial; // an incomplete frame left from the last read
    std::vector<float> m_left;
    std::vector<float> m_right;
    std::vector<Chunk> m_chunks;
    std::int64_t m_firstSound = -1;
    std::int64_t m_lastSound = -1;
};

// Measurements on one channel of a recording (or any samples at SoundRecorder::Rate).
namespace SoundMeasure {

// A silence is quieter than this (about -54 dBFS).
constexpr float SilenceLevel = 0.002f;

struct Span {
    const float* data = nullptr;
    std::size_t size = 0;
};
// Frames [from, from + count) of `samples`, clipped to what exists.
Span span(const std::vector<float>& samples, std::int64_t from, std::int64_t count);
// Seconds as frames at SoundRecorder::Rate.
std::int64_t frames(double seconds);

// The amplitude of `hz` in dB relative to a full-scale sine (Goertzel over a Hann window);
// -200 for nothing.
double levelDb(Span samples, double hz, int rate = SoundRecorder::Rate);
// The strongest frequency between minHz and maxHz, to a small fraction of a hertz for a steady
// tone over half a second or more; 0 for silence.
double dominantHz(Span samples, double minHz = 50, double maxHz = 8000,
                  int rate = SoundRecorder::Rate);
// The frequency of a clean tone from its zero crossings (interpolated), for short windows;
// 0 when fewer than two crossings.
double crossingHz(Span samples, int rate = SoundRecorder::Rate);
// The longest run of silent frames in both channels between the first and last sound, in ms.
double longestSilenceMs(const SoundRecorder& recording);
// From the first to the last sound, in seconds; 0 for none.
double soundSeconds(const SoundRecorder& recording);
// The largest absolute sample.
float peak(Span samples);

} // namespace SoundMeasure
