// Fuzz target: GetMidiInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/MidiInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return vistrel::fuzz::FuzzReader<vistrel::MidiInfo>(data, size, "mid", vistrel::GetMidiInfo, vistrel::PutMidiInfoLines);
}
