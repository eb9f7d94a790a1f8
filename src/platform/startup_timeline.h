#pragma once

// Time stamps of the start-up, for finding where the time to the first picture goes. Set
// TAMREL_STARTUP_TIMELINE=1 and each step prints one line to stderr: milliseconds since the
// process started (10 ms grain, from the kernel's start time), since main() began (exact),
// and the step. Costs one test of a flag when off.
namespace StartupTimeline {

// Called first thing in main(): the clock that the exact times count from.
void begin();
// The first time a step is reached; later calls with the same text print nothing.
void mark(const char* step);

} // namespace StartupTimeline
