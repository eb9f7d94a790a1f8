#pragma once

#include "platform/mixer_device.h"

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
    // To be completed by the implementation.
};
