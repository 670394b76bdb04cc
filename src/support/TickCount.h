#pragma once
// The monotonic millisecond clock TickCountMs, a 64-bit count built on a
// 32-bit millisecond tick counter that wraps every 49.7 days.
#include <cstdint>
#include <functional>

namespace vistrel {

// The system's 32-bit millisecond tick: CLOCK_MONOTONIC truncated.
uint32_t SystemTickCount32();

class TickClock {
public:
    explicit TickClock(std::function<uint32_t()> source = SystemTickCount32) : source_(std::move(source)) {}
    // Never goes backwards: a wrap of the 32-bit counter since the last call adds 2^32 ms.
    int64_t TickCountMs();

private:
    std::function<uint32_t()> source_;
    uint32_t last_ = 0;
    bool started_ = false;
    int64_t offset_ = 0;
};

// The process-wide clock.
int64_t TickCountMs();

}  // namespace vistrel
