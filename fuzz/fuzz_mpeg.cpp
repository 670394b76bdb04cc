// Fuzz target: GetMpegInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/MpegStreamInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The extension decides VOB and TS handling (playing time from time stamps, the bit-rate
    // estimate): the first byte picks one.
    static const char* const extensions[] = {"mpg", "vob", "ts", "dat"};
    const std::string extension = size > 0 ? extensions[data[0] % 4] : "mpg";
    return vistrel::fuzz::FuzzReader<vistrel::MpegInfo>(data, size, extension, vistrel::GetMpegInfo, vistrel::PutMpegInfoLines);
}
