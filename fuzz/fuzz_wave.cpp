// Fuzz target: GetWaveInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/WaveInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::WaveInfo>(data, size, "wav", vistrel::GetWaveInfo, vistrel::PutWaveInfoLines);
}
