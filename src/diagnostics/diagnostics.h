#pragma once

class QString;

// What the program tells about itself while it runs, for scripts and for finding out where
// time goes. Both reports are off unless asked for, and then cost one test of a flag.
//
// The start-up timeline (TAMREL_STARTUP_TIMELINE=1): each step of the start prints one line to
// standard error: milliseconds since the process started (10 ms grain, from the kernel's start
// time), since main() began (exact), and the step.
//
// The trace (TAMREL_TRACE=1): the window reports the texts it shows (status line, track label,
// time, levels) on standard output, one "kind: text" line each, so scripts can follow a player
// they cannot see.
namespace Diagnostics {

// Called first thing in main(): the clock that the timeline counts from.
void beginStartup();
// The first time a step is reached; later calls with the same text print nothing. Any thread.
void mark(const char* step);

bool tracing();
void report(const char* kind, const QString& text);

} // namespace Diagnostics
