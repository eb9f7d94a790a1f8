#pragma once

#include <QString>
#include <optional>

namespace TimeFormat {
// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
long long roundHalfEven(double value);
// "m:s" without leading zeros; a seconds value of -1 shows as 0.
QString elapsed(double seconds);
// A whole-second value for the 16-bit position bar; nothing when it does not fit.
std::optional<int> barSeconds(double seconds);
} // namespace TimeFormat
