// Fuzz target: GetAviInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/AviInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::AviInfo>(data, size, "avi", vistrel::GetAviInfo, vistrel::PutAviInfoLines);
}
