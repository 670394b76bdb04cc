#include "mediainfo/FlacInfo.h"

#include "mediainfo/HeaderBlock.h"

namespace vistrel {

bool ParseFlacBlock(ByteSpan block, FlacInfo& info)
{
    info = {};
    info.Valid = FindText(block, "fLaC") != kNotFound;
    // 20 bits sample rate, 3 bits channels - 1, 5 bits bits per sample - 1, 4 bits of the
    // sample count. A value that does not fit a signed 32-bit number reads as 0.
    const auto v = static_cast<uint32_t>(ReadBigEndianN(BytesAt(block, 18, 4)));
    info.SampleRate = static_cast<int32_t>(v >> 12);
    info.Channels = static_cast<int32_t>((v >> 9) & 0x7) + 1;
    info.BitsPerSample = static_cast<int32_t>((v >> 4) & 0x1F) + 1;
    return info.Valid;
}

bool GetFlacInfo(const std::string& fileName, FlacInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kFlacBlockBytes, kPadBlank);
    return block && ParseFlacBlock(*block, info);
}

void PutFlacInfoLines(const FlacInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = "FLAC";
    lines[1] = FormatWhole(info.SampleRate) + "Hz";
    lines[2] = FormatWhole(info.BitsPerSample) + "bit  " + FormatWhole(info.Channels) + "channels";
}

}  // namespace vistrel
