// Fuzz target: GetWebpInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/WebpInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::WebpInfo>(data, size, "webp", vistrel::GetWebpInfo, vistrel::PutWebpInfoLines);
}
