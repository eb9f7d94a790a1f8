#pragma once

#include <QLoggingCategory>

typedef struct _snd_config snd_config_t;
typedef struct _snd_config_update snd_config_update_t;

// What the ALSA mixer and the wave input need before they open anything.

// ALSA's messages, off by default: a machine without a sound server or card is an ordinary case.
Q_DECLARE_LOGGING_CATEGORY(mixerLog)

// Sends libasound's error messages to mixerLog instead of stderr; once for the process.
void silenceAlsa();

// The ALSA configuration as the files give it now. libasound's shared copy keeps what its
// sound-server check found when it was first read, so a server started after that would never
// be seen; a copy of our own for each attempt sees it.
class FreshAlsaConfig {
public:
    FreshAlsaConfig();
    ~FreshAlsaConfig();
    FreshAlsaConfig(const FreshAlsaConfig&) = delete;
    FreshAlsaConfig& operator=(const FreshAlsaConfig&) = delete;
    // Null when the configuration could not be read.
    snd_config_t* top() const { return m_top; }

private:
    snd_config_t* m_top = nullptr;
    snd_config_update_t* m_update = nullptr;
};
