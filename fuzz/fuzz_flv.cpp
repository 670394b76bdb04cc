// Fuzz target: GetFlvInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/FlvInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::FlvInfo>(data, size, "flv", vistrel::GetFlvInfo, vistrel::PutFlvInfoLines);
}
