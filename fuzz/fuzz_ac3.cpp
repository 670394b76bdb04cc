// Fuzz target: GetAc3Info and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/Ac3Info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::Ac3Info>(data, size, "ac3", vistrel::GetAc3Info, vistrel::PutAc3InfoLines);
}
