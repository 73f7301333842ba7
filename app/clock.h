// The clock seam: wall time to the second for the on-screen clock, and a monotonic
// clock for measuring elapsed time. Tests install their own.
#pragma once

#include <cstdint>

namespace examclient {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 00:00:00 UTC, the fraction of the second cut off.
    virtual std::int64_t wallSeconds() = 0;
    // Milliseconds on a clock that never goes back.
    virtual std::int64_t monotonicMilliseconds() = 0;
};

// The system clock unless a test installed another.
Clock& clock();
// nullptr restores the system clock.
void installClock(Clock* clock);

} // namespace examclient
