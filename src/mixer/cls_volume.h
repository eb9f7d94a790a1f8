#pragma once

#include "platform/sound/mixer_device.h"

#include <QString>
#include <functional>

class ToneControl;

// The program's only access to the mixer: the speaker and wave-output levels, bass, treble,
// mutes and peak meters, in the mixer's own units (0..65535). Bounds are looked up once, at
// construction; levels, mutes and meters are read from the mixer at every access. Nothing is
// reported to the caller: a failed read gives 0, a failed write is dropped.
//
// Where the mixer has no bass or treble control of its own, the tone stage of the sound path
// stands in for it: its levels run from 0 (-12 dB) over 32768 (flat) to 65535 (+12 dB).
class clsVolume {
public:
    // Shows a wave-input error: the text of the failing call.
    using ErrorBox = std::function<void(const QString& text)>;
    static constexpr qint32 FlatTone = 32768;

    clsVolume(MixerDevice& device, ToneControl* tone, ErrorBox showError);
    ~clsVolume();
    clsVolume(const clsVolume&) = delete;
    clsVolume& operator=(const clsVolume&) = delete;

    qint32 VolumeMin() const;
    qint32 WaveMin() const;
    qint32 VolTrebleMin() const;
    qint32 WaveTrebleMin() const;
    qint32 VolBassMin() const;
    qint32 WaveBassMin() const;
    qint32 VolumeMax() const;
    qint32 WaveMax() const;
    qint32 VolTrebleMax() const;
    qint32 VolBassMax() const;

    qint32 VolumeLevel();
    void setVolumeLevel(qint32 level);
    qint32 WaveLevel();
    void setWaveLevel(qint32 level);
    qint32 VolumeLevelBass();
    void setVolumeLevelBass(qint32 level);
    qint32 VolumeLevelTreble();
    void setVolumeLevelTreble(qint32 level);
    void setWaveLevelBass(qint32 level);
    void setWaveLevelTreble(qint32 level);

    bool VolumeMute();
    void setVolumeMute(bool mute);
    bool WaveMute();
    void setWaveMute(bool mute);

    qint32 MaxVolumeMeterInput() const;
    qint32 MinVolumeMeterInput() const;
    qint32 MaxVolumeMeterOutput() const;
    qint32 MinVolumeMeterOutput() const;
    qint32 CurrentVolumeMeterOutput();
    // Starts wave input on its first use.
    qint32 CurrentVolumeMeterInput();

    // The gain in dB of a software tone level (0..65535), to a tenth of a dB.
    static double toneGainDb(qint32 level);

private:
    using Line = MixerDevice::Line;
    using Control = MixerDevice::Control;
    // One control looked up at construction. A slot whose lookup failed keeps bounds 0..0 and
    // is still read and written, which then fails and gives 0.
    struct Slot {
        Line line;
        Control control;
        MixerDevice::Bounds bounds{};
    };
    // The tone stage standing in for a bass or treble control that the mixer lacks.
    struct SoftTone {
        bool active = false;
        qint32 level = FlatTone;
    };
    static constexpr int WaveBufferCount = 2;
    static constexpr int WaveBufferBytes = 8192;

    bool GetMixerControl(Slot& slot);
    qint32 GetControlValue(const Slot& slot);
    void SetControlValue(const Slot& slot, qint32 value);
    bool GetMuteState(const Slot& slot);
    void SetMuteState(const Slot& slot, bool mute);
    bool StartWaveInput();
    void StopWaveInput();
    qint32 ReadPeakMeter(const Slot& meter, bool startsInput);

    void lookUpTone(Slot& slot, SoftTone& tone);
    qint32 toneOrControl(const Slot& slot, const SoftTone& tone);
    void setToneOrControl(const Slot& slot, SoftTone& tone, qint32 level);
    void showWaveError(int code);

    MixerDevice& m_device;
    ToneControl* m_tone;
    ErrorBox m_showError;
    Slot m_speakerVolume{Line::Speaker, Control::Volume};
    Slot m_waveVolume{Line::Wave, Control::Volume};
    Slot m_speakerMute{Line::Speaker, Control::Mute};
    Slot m_waveMute{Line::Wave, Control::Mute};
    Slot m_speakerBass{Line::Speaker, Control::Bass};
    Slot m_waveBass{Line::Wave, Control::Bass};
    Slot m_speakerTreble{Line::Speaker, Control::Treble};
    Slot m_waveTreble{Line::Wave, Control::Treble};
    Slot m_inputMeter{Line::WaveIn, Control::PeakMeter};
    Slot m_outputMeter{Line::Wave, Control::PeakMeter};
    SoftTone m_softBass;
    SoftTone m_softTreble;
    bool m_inputRunning = false;
};
