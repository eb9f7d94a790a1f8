#include "platform/sound/alsa_mixer_device.h"

#include "platform/sound/alsa_setup.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>

// The interface's destructor lives here, beside its one real implementation.
MixerDevice::~MixerDevice() = default;

namespace {

// Errors by which ALSA and its PulseAudio plugin say that the mixer is gone for good.
bool meansLost(int error)
{
    switch (-error) {
    case EIO:
    case ENODEV:
    case EPIPE:
    case EBADFD:
    case ENOTCONN:
    case ECONNRESET:
    case ESHUTDOWN:
        return true;
    default:
        return false;
    }
}

// Simple-mixer names, in the order of AlsaMixerDevice::Element.
constexpr std::array<const char*, 4> ElementNames{"Master", "PCM", "Bass", "Treble"};

} // namespace

namespace alsa_levels {

qint32 levelFromElement(long value, long minimum, long maximum)
{
    if (maximum <= minimum)
        return 0;
    const qint64 span = qint64(maximum) - minimum;
    const qint64 offset = std::clamp<qint64>(qint64(value) - minimum, 0, span);
    return qint32((2 * offset * LevelMax + span) / (2 * span));
}

long elementFromLevel(qint32 level, long minimum, long maximum)
{
    if (maximum <= minimum)
        return minimum;
    const qint64 span = qint64(maximum) - minimum;
    const qint64 clamped = std::clamp<qint64>(level, 0, LevelMax);
    return long(minimum + (2 * clamped * span + LevelMax) / (2 * LevelMax));
}

} // namespace alsa_levels

bool AttachBackoff::mayAttempt(Clock::time_point now, bool userWrite) const
{
    if (!m_lastFailure || now >= m_nextAttempt)
        return true;
    return userWrite && now - *m_lastFailure >= UserRetry;
}

void AttachBackoff::failed(Clock::time_point now)
{
    m_delay =
        m_delay == std::chrono::milliseconds{} ? FirstDelay : std::min(m_delay * 2, LongestDelay);
    m_lastFailure = now;
    m_nextAttempt = now + m_delay;
}

void AlsaMixerDevice::MixerDeleter::operator()(snd_mixer_t* mixer) const
{
    snd_mixer_close(mixer);
}

AlsaMixerDevice::MixerPtr AlsaMixerDevice::openDefaultMixer()
{
    FreshAlsaConfig config;
    if (!config.top())
        return nullptr;
    snd_ctl_t* ctl = nullptr;
    int error = snd_ctl_open_lconf(&ctl, "default", 0, config.top());
    if (error < 0) {
        qCDebug(mixerLog, "mixer control not opened: %s", snd_strerror(error));
        return nullptr;
    }
    snd_hctl_t* hctl = nullptr;
    if (snd_hctl_open_ctl(&hctl, ctl) < 0) {
        snd_ctl_close(ctl);
        return nullptr;
    }
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0) {
        snd_hctl_close(hctl);
        return nullptr;
    }
    MixerPtr mixer(raw);
    // From here the mixer owns the control handle and closes it with itself.
    if ((error = snd_mixer_attach_hctl(raw, hctl)) >= 0 &&
        (error = snd_mixer_selem_register(raw, nullptr, nullptr)) >= 0)
        error = snd_mixer_load(raw);
    if (error < 0) {
        qCDebug(mixerLog, "mixer not loaded: %s", snd_strerror(error));
        return nullptr;
    }
    return mixer;
}

AlsaMixerDevice::AlsaMixerDevice()
{
    silenceAlsa();
}

AlsaMixerDevice::~AlsaMixerDevice() = default;

std::optional<AlsaMixerDevice::ElementControl> AlsaMixerDevice::elementControl(Line line,
                                                                               Control control)
{
    if (line == Line::Speaker) {
        switch (control) {
        case Control::Volume:
            return ElementControl{Element::Master, false};
        case Control::Mute:
            return ElementControl{Element::Master, true};
        case Control::Bass:
            return ElementControl{Element::Bass, false};
        case Control::Treble:
            return ElementControl{Element::Treble, false};
        case Control::PeakMeter:
            return std::nullopt;
        }
    }
    if (line == Line::Wave && control == Control::Volume)
        return ElementControl{Element::Pcm, false};
    if (line == Line::Wave && control == Control::Mute)
        return ElementControl{Element::Pcm, true};
    return std::nullopt;
}

bool AlsaMixerDevice::attach(bool userWrite)
{
    if (m_mixer)
        return true;
    const auto now = AttachBackoff::Clock::now();
    if (!m_backoff.mayAttempt(now, userWrite))
        return false;
    ++m_attachAttempts;
    m_mixer = openDefaultMixer();
    if (!m_mixer) {
        m_backoff.failed(now);
        return false;
    }
    readElements();
    return true;
}

void AlsaMixerDevice::readElements()
{
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        AttachedElement& element = m_elements[i];
        snd_mixer_selem_id_set_name(id, ElementNames[i]);
        snd_mixer_selem_id_set_index(id, 0);
        element = {};
        element.elem = snd_mixer_find_selem(m_mixer.get(), id);
        if (element.elem && snd_mixer_selem_has_playback_volume(element.elem))
            snd_mixer_selem_get_playback_volume_range(element.elem, &element.minimum,
                                                      &element.maximum);
    }
}

void AlsaMixerDevice::checkLost(int error)
{
    if (!meansLost(error))
        return;
    qCDebug(mixerLog, "mixer lost: %s", snd_strerror(error));
    m_mixer.reset();
    m_elements = {};
    m_backoff.failed(AttachBackoff::Clock::now());
}

const AlsaMixerDevice::AttachedElement* AlsaMixerDevice::usable(ElementControl control) const
{
    const AttachedElement& element = m_elements[std::size_t(control.element)];
    if (!element.elem)
        return nullptr;
    const bool has = control.isSwitch ? snd_mixer_selem_has_playback_switch(element.elem)
                                      : snd_mixer_selem_has_playback_volume(element.elem);
    return has ? &element : nullptr;
}

std::optional<MixerDevice::Bounds> AlsaMixerDevice::findControl(Line line, Control control)
{
    const auto wanted = elementControl(line, control);
    if (!wanted || !attach(false) || !usable(*wanted))
        return std::nullopt;
    return wanted->isSwitch ? Bounds{0, 1} : Bounds{0, alsa_levels::LevelMax};
}

std::optional<qint32> AlsaMixerDevice::value(Line line, Control control)
{
    const auto wanted = elementControl(line, control);
    if (!wanted || !attach(false))
        return std::nullopt;
    // Values are cached by libasound; taking the pending events in brings changes that other
    // programs made, and is where a dead sound server shows.
    if (const int error = snd_mixer_handle_events(m_mixer.get()); error < 0) {
        checkLost(error);
        return std::nullopt;
    }
    const AttachedElement* element = usable(*wanted);
    if (!element)
        return std::nullopt;
    int error = 0;
    qint32 result = 0;
    if (wanted->isSwitch) {
        int on = 1;
        error = snd_mixer_selem_get_playback_switch(element->elem, SND_MIXER_SCHN_FRONT_LEFT, &on);
        result = on ? 0 : 1;
    } else {
        long raw = 0;
        error = snd_mixer_selem_get_playback_volume(element->elem, SND_MIXER_SCHN_FRONT_LEFT, &raw);
        result = alsa_levels::levelFromElement(raw, element->minimum, element->maximum);
    }
    if (error < 0) {
        checkLost(error);
        return std::nullopt;
    }
    m_backoff.succeeded();
    return result;
}

bool AlsaMixerDevice::setValue(Line line, Control control, qint32 value)
{
    const auto wanted = elementControl(line, control);
    if (!wanted || !attach(true))
        return false;
    const AttachedElement* element = usable(*wanted);
    if (!element)
        return false;
    const int error =
        wanted->isSwitch
            ? snd_mixer_selem_set_playback_switch_all(element->elem, value == 0 ? 1 : 0)
            : snd_mixer_selem_set_playback_volume_all(
                  element->elem,
                  alsa_levels::elementFromLevel(value, element->minimum, element->maximum));
    if (error < 0) {
        checkLost(error);
        return false;
    }
    m_backoff.succeeded();
    return true;
}
