#include "platform/shell/os_version.h"

QString osVersionCaption(const std::optional<OsVersionRecord>& version)
{
    enum Platform : quint32 { Win32s = 0, Windows9x = 1, WindowsNt = 2 };
    if (!version)
        return {};
    switch (version->platformId) {
    case Win32s:
        return QStringLiteral("Microsoft Win32s");
    case Windows9x:
        return QStringLiteral("9X");
    case WindowsNt:
        if (version->major == 5 && version->minor == 1)
            return QStringLiteral("XP");
        if (version->major <= 5)
            return QStringLiteral("NT");
        return {};
    default:
        return {};
    }
}
