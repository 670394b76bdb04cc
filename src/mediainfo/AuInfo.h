#pragma once
// Sun/NeXT audio (type code 10).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct AuInfo {
    bool Valid = false;
    std::string Encoding;     // "16bit PCM", ...; empty for an unlisted code
    int32_t SampleRate = 0;   // Hz
    std::string Channels;     // "Mono", "Stereo" or empty
};

constexpr int32_t kAuBlockBytes = 32;

// The name of an AU encoding code (1 "8bit µ-law" ... 27 "8 bit ISDN a-law"); empty for
// codes not listed.
std::string AuEncodingName(int32_t code);
// Valid when ".snd" occurs in the block; the header fields are decoded in either case.
bool ParseAuBlock(ByteSpan block, AuInfo& info);
// Reads the 32-byte block (a shorter file is padded with blanks).
bool GetAuInfo(const std::string& fileName, AuInfo& info);
// "Sun AU"; the encoding; "8000Hz  Mono" (an empty channel text keeps its two blanks).
void PutAuInfoLines(const AuInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
