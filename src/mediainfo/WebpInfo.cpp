#include "mediainfo/WebpInfo.h"

#include "mediainfo/HeaderBlock.h"

namespace vistrel {

bool ParseWebpBlock(ByteSpan block, WebpInfo& info)
{
    info = {};
    if (block.size() < kWebpMinimumBytes || !StartsWith(block, "RIFF") || TextAt(block, 8, 4) != "WEBP")
        return false;
    info.Valid = true;
    std::string code = TextAt(block, 12, 4);
    if (code.ends_with('X'))  // the extended header "VP8X"
        code.resize(3);
    info.Description = Latin1ToUtf8(code);
    return true;
}

bool GetWebpInfo(const std::string& fileName, WebpInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kWebpBlockBytes, std::nullopt);
    return block && ParseWebpBlock(*block, info);
}

void PutWebpInfoLines(const WebpInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    lines[0] = ok ? "WEBP  " + info.Description : "WEBP";
}

}  // namespace vistrel
