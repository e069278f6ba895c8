#pragma once
// The millisecond tick counter the program's timing rules are written against:
// a 32-bit count that wraps around, as the desktop's own counter does.
// Tests replace it with a fake clock so that time-based rules are checked
// without waiting.
#include <cstdint>

namespace platform {

// Milliseconds of the monotonic clock, cut to 32 bits (wraps after ~49.7 days).
std::uint32_t GetTickCount();

namespace tickcount {
// From now on GetTickCount() returns `ms` until changed again (tests only).
void setFake(std::uint32_t ms);
// Moves the fake clock forward (wrapping); starts it at 0 when it was not set.
void advance(std::uint32_t ms);
// Back to the real clock.
void reset();
} // namespace tickcount

} // namespace platform
