#pragma once
// FLAC (type code 19).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct FlacInfo {
    bool Valid = false;
    int32_t SampleRate = 0;     // Hz
    int32_t Channels = 0;
    int32_t BitsPerSample = 0;
};

constexpr int32_t kFlacBlockBytes = 320;

// Valid when "fLaC" occurs anywhere in the block; the STREAMINFO fields are taken from the
// four bytes at offsets 18 to 21 in either case.
bool ParseFlacBlock(ByteSpan block, FlacInfo& info);
// Reads the 320-byte block (a shorter file is padded with blanks).
bool GetFlacInfo(const std::string& fileName, FlacInfo& info);
// "FLAC"; "44100Hz"; "16bit  2channels".
void PutFlacInfoLines(const FlacInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
