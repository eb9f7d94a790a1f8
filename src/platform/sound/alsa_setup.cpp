#include "platform/sound/alsa_setup.h"

#include <alsa/asoundlib.h>
#include <cstdarg>
#include <cstdio>
#include <mutex>

Q_LOGGING_CATEGORY(mixerLog, "tamrel.mixer", QtWarningMsg)

namespace {

void logAlsaMessage(const char* file, int line, const char* function, int error, const char* format,
                    ...)
{
    if (!mixerLog().isDebugEnabled())
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qCDebug(mixerLog, "alsa %s:%d %s: %s%s%s", file, line, function, text, error ? ": " : "",
            error ? snd_strerror(error) : "");
}

} // namespace

void silenceAlsa()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(logAlsaMessage); });
}

FreshAlsaConfig::FreshAlsaConfig()
{
    if (snd_config_update_r(&m_top, &m_update, nullptr) < 0)
        qCDebug(mixerLog, "ALSA configuration not readable");
}

FreshAlsaConfig::~FreshAlsaConfig()
{
    if (m_update)
        snd_config_update_free(m_update);
    if (m_top)
        snd_config_delete(m_top);
}
