#include "mixer/cls_volume.h"

#include "platform/sound/tone_control.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr qint32 LevelMax = 65535;
constexpr double ToneRangeDb = 12.0;
} // namespace

clsVolume::clsVolume(MixerDevice& device, ToneControl* tone, ErrorBox showError)
    : m_device(device), m_tone(tone), m_showError(std::move(showError))
{
    GetMixerControl(m_speakerVolume);
    GetMixerControl(m_waveVolume);
    GetMixerControl(m_speakerMute);
    GetMixerControl(m_waveMute);
    lookUpTone(m_speakerBass, m_softBass);
    GetMixerControl(m_waveBass);
    lookUpTone(m_speakerTreble, m_softTreble);
    GetMixerControl(m_waveTreble);
    if (!GetMixerControl(m_inputMeter)) {
        m_inputMeter.line = Line::Microphone;
        GetMixerControl(m_inputMeter);
    }
    GetMixerControl(m_outputMeter);
}

clsVolume::~clsVolume()
{
    if (m_inputRunning)
        StopWaveInput();
}

qint32 clsVolume::VolumeMin() const
{
    return m_speakerVolume.bounds.minimum;
}
qint32 clsVolume::WaveMin() const
{
    return m_waveVolume.bounds.minimum;
}
qint32 clsVolume::VolTrebleMin() const
{
    return m_speakerTreble.bounds.minimum;
}
qint32 clsVolume::WaveTrebleMin() const
{
    return m_waveTreble.bounds.minimum;
}
qint32 clsVolume::VolBassMin() const
{
    return m_speakerBass.bounds.minimum;
}
qint32 clsVolume::WaveBassMin() const
{
    return m_waveBass.bounds.minimum;
}
qint32 clsVolume::VolumeMax() const
{
    return m_speakerVolume.bounds.maximum;
}
qint32 clsVolume::WaveMax() const
{
    return m_waveVolume.bounds.maximum;
}
qint32 clsVolume::VolTrebleMax() const
{
    return m_speakerTreble.bounds.maximum;
}
qint32 clsVolume::VolBassMax() const
{
    return m_speakerBass.bounds.maximum;
}

qint32 clsVolume::VolumeLevel()
{
    return GetControlValue(m_speakerVolume);
}
void clsVolume::setVolumeLevel(qint32 level)
{
    SetControlValue(m_speakerVolume, level);
}
qint32 clsVolume::WaveLevel()
{
    return GetControlValue(m_waveVolume);
}
void clsVolume::setWaveLevel(qint32 level)
{
    SetControlValue(m_waveVolume, level);
}
qint32 clsVolume::VolumeLevelBass()
{
    return toneOrControl(m_speakerBass, m_softBass);
}
void clsVolume::setVolumeLevelBass(qint32 level)
{
    setToneOrControl(m_speakerBass, m_softBass, level);
}
qint32 clsVolume::VolumeLevelTreble()
{
    return toneOrControl(m_speakerTreble, m_softTreble);
}
void clsVolume::setVolumeLevelTreble(qint32 level)
{
    setToneOrControl(m_speakerTreble, m_softTreble, level);
}
void clsVolume::setWaveLevelBass(qint32 level)
{
    SetControlValue(m_waveBass, level);
}
void clsVolume::setWaveLevelTreble(qint32 level)
{
    SetControlValue(m_waveTreble, level);
}

bool clsVolume::VolumeMute()
{
    return GetMuteState(m_speakerMute);
}
void clsVolume::setVolumeMute(bool mute)
{
    SetMuteState(m_speakerMute, mute);
}
bool clsVolume::WaveMute()
{
    return GetMuteState(m_waveMute);
}
void clsVolume::setWaveMute(bool mute)
{
    SetMuteState(m_waveMute, mute);
}

qint32 clsVolume::MaxVolumeMeterInput() const
{
    return m_inputMeter.bounds.maximum;
}
qint32 clsVolume::MinVolumeMeterInput() const
{
    return m_inputMeter.bounds.minimum;
}
qint32 clsVolume::MaxVolumeMeterOutput() const
{
    return m_outputMeter.bounds.maximum;
}
qint32 clsVolume::MinVolumeMeterOutput() const
{
    return m_outputMeter.bounds.minimum;
}
qint32 clsVolume::CurrentVolumeMeterOutput()
{
    return ReadPeakMeter(m_outputMeter, false);
}
qint32 clsVolume::CurrentVolumeMeterInput()
{
    return ReadPeakMeter(m_inputMeter, true);
}

double clsVolume::toneGainDb(qint32 level)
{
    const double offset = std::clamp(level, 0, LevelMax) - FlatTone;
    const double halfRange = offset < 0 ? FlatTone : LevelMax - FlatTone;
    // Adding 0.0 turns a rounded -0.0 into 0.0, so that flat is flat in every comparison.
    return std::round(offset / halfRange * ToneRangeDb * 10.0) / 10.0 + 0.0;
}

bool clsVolume::GetMixerControl(Slot& slot)
{
    const auto bounds = m_device.findControl(slot.line, slot.control);
    if (bounds)
        slot.bounds = *bounds;
    return bounds.has_value();
}

qint32 clsVolume::GetControlValue(const Slot& slot)
{
    return m_device.value(slot.line, slot.control).value_or(0);
}

void clsVolume::SetControlValue(const Slot& slot, qint32 value)
{
    m_device.setValue(slot.line, slot.control, value);
}

bool clsVolume::GetMuteState(const Slot& slot)
{
    return GetControlValue(slot) == 1;
}

void clsVolume::SetMuteState(const Slot& slot, bool mute)
{
    SetControlValue(slot, mute ? 1 : 0);
}

void clsVolume::lookUpTone(Slot& slot, SoftTone& tone)
{
    if (GetMixerControl(slot) || !m_tone)
        return;
    tone.active = true;
    slot.bounds = {0, LevelMax};
}

qint32 clsVolume::toneOrControl(const Slot& slot, const SoftTone& tone)
{
    return tone.active ? tone.level : GetControlValue(slot);
}

void clsVolume::setToneOrControl(const Slot& slot, SoftTone& tone, qint32 level)
{
    if (!tone.active) {
        SetControlValue(slot, level);
        return;
    }
    tone.level = std::clamp(level, 0, LevelMax);
    m_tone->setTone(toneGainDb(m_softBass.level), toneGainDb(m_softTreble.level));
}

void clsVolume::showWaveError(int code)
{
    if (m_showError)
        m_showError(m_device.waveInputErrorText(code));
}

bool clsVolume::StartWaveInput()
{
    if (m_inputRunning)
        return true;
    if (const int code = m_device.openWaveInput()) {
        showWaveError(code);
        return false;
    }
    for (int i = 0; i < WaveBufferCount; ++i)
        if (const int code = m_device.prepareWaveBuffer(i, WaveBufferBytes))
            showWaveError(code);
    for (int i = 0; i < WaveBufferCount; ++i)
        if (const int code = m_device.queueWaveBuffer(i))
            showWaveError(code);
    m_inputRunning = true;
    m_device.startWaveInput();
    return true;
}

void clsVolume::StopWaveInput()
{
    m_inputRunning = false;
    m_device.stopWaveInput();
}

qint32 clsVolume::ReadPeakMeter(const Slot& meter, bool startsInput)
{
    if (startsInput && !StartWaveInput())
        StartWaveInput();
    // Capture is never served from a callback: whatever it filled is handed back here.
    if (m_inputRunning)
        for (int i = 0; i < WaveBufferCount; ++i)
            if (m_device.waveBufferDone(i))
                m_device.queueWaveBuffer(i);
    const qint64 reading = GetControlValue(meter);
    return qint32(std::min<qint64>(std::abs(reading), std::numeric_limits<qint32>::max()));
}
