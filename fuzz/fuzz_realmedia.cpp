// Fuzz target: GetRealMediaInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/RealMediaInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::RealMediaInfo>(data, size, "rm", vistrel::GetRealMediaInfo, vistrel::PutRealMediaInfoLines);
}
