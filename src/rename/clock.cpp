#include "rename/clock.h"

#include <ctime>

namespace renaming {

std::chrono::steady_clock::time_point Clock::now() const { return std::chrono::steady_clock::now(); }

int64_t Clock::wallSeconds() const { return static_cast<int64_t>(std::time(nullptr)); }

const Clock& systemClock()
{
    static const Clock clock;
    return clock;
}

}  // namespace renaming
