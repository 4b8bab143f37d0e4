#pragma once
// Waiting on the GUI thread: Sleep blocks for a number of milliseconds of the clock that
// timers run on, so under the manual clock of tests it lets that clock run instead.

#include <cstdint>

// Blocks for the given milliseconds; under the manual clock the clock advances by as
// much (timers due meanwhile fire) and no real time passes.
void Sleep(uint32_t milliseconds);
