#pragma once
// WebP images (type code 21).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct WebpInfo {
    bool Valid = false;
    std::string Description;  // the first chunk's code: "VP8 ", "VP8L"; "VP8X" cut to "VP8"
};

constexpr int32_t kWebpBlockBytes = 10240;
constexpr size_t kWebpMinimumBytes = 32;

// Valid when the block (the bytes read) holds at least 32 bytes, starts with "RIFF" and has
// "WEBP" at offsets 8 to 11.
bool ParseWebpBlock(ByteSpan block, WebpInfo& info);
// Reads min(10240, file size) bytes.
bool GetWebpInfo(const std::string& fileName, WebpInfo& info);
// "WEBP  " and the description; "WEBP" alone when the reader failed.
void PutWebpInfoLines(const WebpInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
