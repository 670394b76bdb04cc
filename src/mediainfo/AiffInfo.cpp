#include "mediainfo/AiffInfo.h"

#include "mediainfo/HeaderBlock.h"
#include "mediainfo/RiffText.h"

namespace vistrel {

namespace {

// Offsets from the start of the "COMM" identifier.
constexpr size_t kChannelsLowByte = 9;
constexpr size_t kSampleSizeLowByte = 15;
constexpr size_t kAfterCommBody = 26;         // 8-byte chunk header + 18-byte AIFF body
constexpr size_t kCompressionName = 31;       // AIFF-C: after the type and the length byte
constexpr size_t kCompressionNameBytes = 32;

std::string CleanFileText(const std::string& bytes)
{
    return Latin1ToUtf8(CleanText(bytes));
}

}  // namespace

std::string AiffChannelsText(int channels)
{
    switch (channels) {
    case 1: return "Mono";
    case 2: return "Stereo";
    case 3: return {};
    case 4: return "Quad";
    default: return FormatWhole(channels) + "ch.";
    }
}

bool ParseAiffBlock(ByteSpan block, AiffInfo& info)
{
    info = {};
    const size_t c = FindText(block, "COMM");
    if (!StartsWith(block, "FORM") || TextAt(block, 8, 3) != "AIF" || c == kNotFound)
        return false;
    info.Valid = true;
    const std::string formType = TextAt(block, 8, 4);
    if (formType == "AIFF") {
        info.Form = "AIFF";
        info.Compression = CleanFileText(TextAt(block, c + kAfterCommBody, 4));
    } else if (formType == "AIFC") {
        info.Form = "AIFF-C";
        info.Compression = CleanFileText(TextAt(block, c + kCompressionName, kCompressionNameBytes));
    }
    info.Channels = AiffChannelsText(ByteAt(block, c + kChannelsLowByte));
    info.BitsPerSample = ByteAt(block, c + kSampleSizeLowByte);
    return true;
}

bool GetAiffInfo(const std::string& fileName, AiffInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kAiffBlockBytes, kPadBlank);
    return block && ParseAiffBlock(*block, info);
}

void PutAiffInfoLines(const AiffInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = "Apple " + info.Form;
    lines[1] = info.Compression;
    lines[2] = info.BitsPerSample != 0 ? FormatWhole(info.BitsPerSample) + "bit" : "";
    lines[3] = info.Channels;
}

}  // namespace vistrel
