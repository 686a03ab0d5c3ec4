#include "transport/Clock.h"

#include <chrono>

uint32_t SteadyClock::Now() const
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() / 10);
}
