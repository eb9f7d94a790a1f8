#include "playback/time_format.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace TimeFormat {

long long roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double clamped = std::clamp(value, -9.0e15, 9.0e15);
    return static_cast<long long>(std::nearbyint(clamped)); // default mode: to nearest even
}

QString elapsed(double seconds)
{
    const long long s = roundHalfEven(seconds);
    const long long minutes = s / 60;
    long long rest = s % 60;
    if (rest == -1)
        rest = 0;
    return QStringLiteral("%1:%2").arg(minutes).arg(rest);
}

std::optional<int> barSeconds(double seconds)
{
    const long long s = roundHalfEven(seconds);
    if (s < 0 || s > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(s);
}

} // namespace TimeFormat
