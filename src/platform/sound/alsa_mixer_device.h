#pragma once

#include "platform/sound/alsa_wave_input.h"
#include "platform/sound/mixer_device.h"

#include <array>
#include <chrono>
#include <memory>
#include <optional>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// Conversion between an ALSA element's own range and the mixer levels 0..65535: linear,
// rounded to the nearest step and clamped on both sides, so that a card of 0..31 and a
// PulseAudio master of 0..65536 both span the whole level range.
namespace alsa_levels {
constexpr qint32 LevelMax = 65535;
qint32 levelFromElement(long value, long minimum, long maximum);
long elementFromLevel(qint32 level, long minimum, long maximum);
} // namespace alsa_levels

// When to try attaching to the mixer again after it could not be reached or was lost: after
// 100 ms, doubling up to 2 s, so that a missing sound server costs next to nothing. A write
// from the user may try sooner, a quarter of a second after the last attempt, so a knob turned
// just after the server came back takes effect.
class AttachBackoff {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds FirstDelay{100};
    static constexpr std::chrono::milliseconds LongestDelay{2000};
    static constexpr std::chrono::milliseconds UserRetry{250};

    bool mayAttempt(Clock::time_point now, bool userWrite) const;
    // An attempt failed or an attached mixer stopped working.
    void failed(Clock::time_point now);
    // A call on the attached mixer worked: the next loss starts again at the first delay.
    void succeeded() { m_delay = {}; }

private:
    std::optional<Clock::time_point> m_lastFailure;
    Clock::time_point m_nextAttempt{};
    std::chrono::milliseconds m_delay{};
};

// The ALSA simple mixer of the "default" control: Master for the speaker, PCM for the wave
// output, the card's Bass and Treble where it has them. ALSA has no peak meters. The mixer is
// attached at the first call; when it cannot be reached or stops answering (a sound server
// that is missing or has died), calls fail quietly and attaching is tried again later.
class AlsaMixerDevice : public MixerDevice {
public:
    AlsaMixerDevice();
    ~AlsaMixerDevice() override;
    AlsaMixerDevice(const AlsaMixerDevice&) = delete;
    AlsaMixerDevice& operator=(const AlsaMixerDevice&) = delete;

    std::optional<Bounds> findControl(Line line, Control control) override;
    std::optional<qint32> value(Line line, Control control) override;
    bool setValue(Line line, Control control, qint32 value) override;

    int openWaveInput() override { return m_waveInput.open(); }
    int prepareWaveBuffer(int index, int bytes) override
    {
        return m_waveInput.prepareBuffer(index, bytes);
    }
    int queueWaveBuffer(int index) override { return m_waveInput.queueBuffer(index); }
    bool waveBufferDone(int index) override { return m_waveInput.bufferDone(index); }
    int startWaveInput() override { return m_waveInput.start(); }
    void stopWaveInput() override { m_waveInput.stop(); }
    QString waveInputErrorText(int code) const override { return AlsaWaveInput::errorText(code); }

    // Attaches now instead of at the first call; the start-up does it while nothing else
    // needs the dynamic loader, which the ALSA plugins use at every attempt.
    void attachNow() { attach(false); }
    // How often attaching was tried, so that a test can see the backoff at work.
    int attachAttempts() const { return m_attachAttempts; }

private:
    struct MixerDeleter {
        void operator()(snd_mixer_t* mixer) const;
    };
    using MixerPtr = std::unique_ptr<snd_mixer_t, MixerDeleter>;
    enum class Element { Master, Pcm, Bass, Treble };
    // A control as an element and which of its parts: the volume, or the switch (on = sounding).
    struct ElementControl {
        Element element;
        bool isSwitch;
    };
    // An element of the attached mixer with its volume range, read at attach time.
    struct AttachedElement {
        snd_mixer_elem_t* elem = nullptr;
        long minimum = 0;
        long maximum = 0;
    };

    static std::optional<ElementControl> elementControl(Line line, Control control);
    // The simple mixer of the "default" control, loaded; nothing when there is none to reach.
    static MixerPtr openDefaultMixer();
    bool attach(bool userWrite);
    void readElements();
    // Drops the mixer after an error that says it is gone, so that a later call attaches anew.
    void checkLost(int error);
    const AttachedElement* usable(ElementControl control) const;

    MixerPtr m_mixer;
    std::array<AttachedElement, 4> m_elements{};
    AttachBackoff m_backoff;
    int m_attachAttempts = 0;
    AlsaWaveInput m_waveInput;
};
