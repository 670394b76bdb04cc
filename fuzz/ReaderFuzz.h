#pragma once
// One fuzz target per reader: the input becomes a file, the reader reads it and its
// lines are composed. A reader must never throw; libFuzzer reports any exception.
#include "FuzzInput.h"
#include "mediainfo/InfoLines.h"

#include <string>

namespace vistrel::fuzz {

template <typename Info, typename Get, typename Put>
int FuzzReader(const uint8_t* data, size_t size, const std::string& extension, Get get, Put put)
{
    const std::string& file = Input().Write(data, size, extension);
    Info info;
    const bool ok = get(file, info);
    InfoLines lines;
    StreamFlags flags;
    put(info, ok, lines, flags);
    return 0;
}

}  // namespace vistrel::fuzz
