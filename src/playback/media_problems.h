#pragma once

#include <QString>
#include <optional>

namespace MediaProblems {
// The status text for a medium that is not there or cannot be read; none for one that can be
// opened, or that is on a disc (read when the disc is) or at an address.
std::optional<QString> problemWith(const QString& path);
} // namespace MediaProblems
