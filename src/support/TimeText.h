#pragma once
// A title's times as the window shows them.
#include <cstdint>
#include <string>

namespace vistrel {

// "m:ss" for `ms` (unbounded minutes); "0:00" below 0.
inline std::string MinutesSecondsText(int64_t ms)
{
    if (ms < 0)
        return "0:00";
    const int64_t minutes = ms / 60 / 1000;
    const int64_t seconds = ms / 1000 - minutes * 60;
    return std::to_string(minutes) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds);
}

}  // namespace vistrel
