// Fuzz target: GetFlacInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/FlacInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::FlacInfo>(data, size, "flac", vistrel::GetFlacInfo, vistrel::PutFlacInfoLines);
}
