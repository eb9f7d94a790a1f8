#include "platform/sound/alsa_wave_input.h"

#include "platform/sound/alsa_setup.h"

#include <alsa/asoundlib.h>
#include <cerrno>

void AlsaWaveInput::PcmDeleter::operator()(snd_pcm_t* pcm) const
{
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
}

int AlsaWaveInput::open()
{
    silenceAlsa();
    stop();
    FreshAlsaConfig config;
    if (!config.top())
        return ENOENT;
    snd_pcm_t* pcm = nullptr;
    const int error =
        snd_pcm_open_lconf(&pcm, "default", SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK, config.top());
    if (error < 0) {
        qCDebug(mixerLog, "capture not opened: %s", snd_strerror(error));
        return -error;
    }
    m_pcm.reset(pcm);
    return 0;
}

int AlsaWaveInput::configure(int bufferBytes)
{
    snd_pcm_t* pcm = m_pcm.get();
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca(&params);
    unsigned rate = 8000;
    // One byte a frame: each buffer is a period, and the device holds two of them.
    snd_pcm_uframes_t period = snd_pcm_uframes_t(bufferBytes);
    snd_pcm_uframes_t size = 2 * period;
    int error = snd_pcm_hw_params_any(pcm, params);
    if (error >= 0)
        error = snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (error >= 0)
        error = snd_pcm_hw_params_set_format(pcm, params, SND_PCM_FORMAT_U8);
    if (error >= 0)
        error = snd_pcm_hw_params_set_channels(pcm, params, 1);
    if (error >= 0)
        error = snd_pcm_hw_params_set_rate_near(pcm, params, &rate, nullptr);
    if (error >= 0)
        error = snd_pcm_hw_params_set_period_size_near(pcm, params, &period, nullptr);
    if (error >= 0)
        error = snd_pcm_hw_params_set_buffer_size_near(pcm, params, &size);
    if (error >= 0)
        error = snd_pcm_hw_params(pcm, params);
    if (error < 0)
        return -error;
    m_configured = true;
    m_scratch.resize(size);
    return 0;
}

int AlsaWaveInput::prepareBuffer(int index, int bytes)
{
    if (!m_pcm)
        return EBADFD;
    if (!validIndex(index) || bytes <= 0)
        return EINVAL;
    if (!m_configured) {
        if (const int error = configure(bytes))
            return error;
    }
    m_bufferBytes[index] = bytes;
    return 0;
}

int AlsaWaveInput::queueBuffer(int index)
{
    if (!m_pcm || !m_configured)
        return EBADFD;
    if (!validIndex(index))
        return EINVAL;
    return readAway();
}

int AlsaWaveInput::readAway()
{
    const snd_pcm_state_t state = snd_pcm_state(m_pcm.get());
    if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_XRUN)
        return 0;
    // The device holds at most two buffers, so a few reads empty it even while it keeps filling.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const snd_pcm_sframes_t read =
            snd_pcm_readi(m_pcm.get(), m_scratch.data(), m_scratch.size());
        if (read > 0)
            continue;
        if (read == 0 || read == -EAGAIN)
            return 0;
        if (read != -EPIPE && read != -ESTRPIPE)
            return int(-read);
        // An overrun: nobody read for a while. Capture starts over with an empty buffer.
        int error = snd_pcm_recover(m_pcm.get(), int(read), 1);
        if (error >= 0)
            error = snd_pcm_start(m_pcm.get());
        return error < 0 ? -error : 0;
    }
    return 0;
}

bool AlsaWaveInput::bufferDone(int index)
{
    if (!m_pcm || !validIndex(index) || m_bufferBytes[index] == 0)
        return false;
    const snd_pcm_sframes_t available = snd_pcm_avail_update(m_pcm.get());
    if (available == -EPIPE || available == -ESTRPIPE)
        return true;
    return available >= m_bufferBytes[index];
}

int AlsaWaveInput::start()
{
    if (!m_pcm || !m_configured)
        return EBADFD;
    const int error = snd_pcm_start(m_pcm.get());
    return error < 0 ? -error : 0;
}

void AlsaWaveInput::stop()
{
    m_pcm.reset();
    m_configured = false;
    m_bufferBytes = {};
    m_scratch.clear();
}

QString AlsaWaveInput::errorText(int code)
{
    return QString::fromLocal8Bit(snd_strerror(-code));
}
