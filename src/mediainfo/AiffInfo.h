#pragma once
// AIFF and AIFF-C (type code 11).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct AiffInfo {
    bool Valid = false;
    std::string Form;          // "AIFF", "AIFF-C", or empty for another "AIF?" form
    std::string Compression;   // cleaned, UTF-8
    int32_t BitsPerSample = 0;
    std::string Channels;      // "Mono", "Stereo", "" (3), "Quad", else n "ch."
};

constexpr int32_t kAiffBlockBytes = 1024;

// The channel text of the low byte of COMM's channel count.
std::string AiffChannelsText(int channels);
// Valid when the block starts with "FORM", holds "AIF" at offsets 8 to 10 and "COMM"
// somewhere. Plain AIFF: the compression text is the 4 bytes that follow the 18-byte COMM
// body (the next chunk's identifier, usually "SSND"); AIFF-C: the compression name (up to
// 32 bytes after its length byte); both cleaned.
bool ParseAiffBlock(ByteSpan block, AiffInfo& info);
// Reads the 1024-byte block (a shorter file is padded with blanks).
bool GetAiffInfo(const std::string& fileName, AiffInfo& info);
// "Apple AIFF-C"; the compression; "16bit" (nothing for 0 bits); the channels.
void PutAiffInfoLines(const AiffInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
