#include "support/TickCount.h"

#include <ctime>

namespace vistrel {

uint32_t SystemTickCount32()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

int64_t TickClock::TickCountMs()
{
    const uint32_t now = source_();
    if (started_ && now < last_)
        offset_ += int64_t{1} << 32;
    started_ = true;
    last_ = now;
    return offset_ + now;
}

int64_t TickCountMs()
{
    static TickClock clock;
    return clock.TickCountMs();
}

}  // namespace vistrel
