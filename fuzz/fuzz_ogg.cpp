// Fuzz target: GetOggInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/OggInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::OggInfo>(data, size, "ogg", vistrel::GetOggInfo, vistrel::PutOggInfoLines);
}
