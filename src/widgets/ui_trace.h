#pragma once

#include <QString>

// With TAMREL_TRACE=1 the window reports the texts it shows (status line, track label) on
// standard output, one "kind: text" line each, so scripts can follow a player they cannot
// see. Costs nothing otherwise.
namespace UiTrace {
bool enabled();
void report(const char* kind, const QString& text);
} // namespace UiTrace
