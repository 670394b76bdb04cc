// Fuzz target: GetAiffInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/AiffInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::AiffInfo>(data, size, "aif", vistrel::GetAiffInfo, vistrel::PutAiffInfoLines);
}
