// Fuzz target: GetQuicktimeInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/QuicktimeInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::QuicktimeInfo>(data, size, "mov", vistrel::GetQuicktimeInfo, vistrel::PutQuicktimeInfoLines);
}
