// The time as a job sees it: a steady clock for how long it has gone on, and
// the wall clock for the moment its journal says it started. Tests give a
// job a clock of their own, so that what waits for time needs no waiting.
#pragma once

#include <chrono>
#include <cstdint>

namespace renaming {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::steady_clock::time_point now() const;
    // Seconds since 1970.
    virtual int64_t wallSeconds() const;
};

// The system's clocks.
const Clock& systemClock();

}  // namespace renaming
