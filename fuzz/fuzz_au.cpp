// Fuzz target: GetAuInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/AuInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::AuInfo>(data, size, "au", vistrel::GetAuInfo, vistrel::PutAuInfoLines);
}
