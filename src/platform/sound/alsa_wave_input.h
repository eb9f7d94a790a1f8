#pragma once

#include <QString>
#include <array>
#include <memory>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

// Capture on ALSA's "default" PCM (8 kHz, unsigned 8-bit, mono, non-blocking) that only keeps
// the input line active: what was captured is read away and dropped. Results are 0 or a
// positive errno-style code for errorText.
class AlsaWaveInput {
public:
    int open();
    // The first buffer made ready sets the hardware parameters, sized for two such buffers.
    int prepareBuffer(int index, int bytes);
    int queueBuffer(int index);
    bool bufferDone(int index);
    int start();
    void stop();
    static QString errorText(int code);

private:
    struct PcmDeleter {
        void operator()(snd_pcm_t* pcm) const;
    };

    bool validIndex(int index) const { return index >= 0 && index < int(m_bufferBytes.size()); }
    int configure(int bufferBytes);
    int readAway();

    std::unique_ptr<snd_pcm_t, PcmDeleter> m_pcm;
    bool m_configured = false;
    std::array<int, 2> m_bufferBytes{};
    std::vector<unsigned char> m_scratch;
};
