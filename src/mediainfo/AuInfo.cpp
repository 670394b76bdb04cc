#include "mediainfo/AuInfo.h"

#include "mediainfo/HeaderBlock.h"

namespace vistrel {

std::string AuEncodingName(int32_t code)
{
    switch (code) {
    case 1: return "8bit µ-law";
    case 2: return "8bit PCM";
    case 3: return "16bit PCM";
    case 4: return "24bit PCM";
    case 5: return "32bit PCM";
    case 6: return "32bit IEEE float";
    case 7: return "64bit IEEE float";
    case 23: return "4 bit CCITT G721 ADPCM";
    case 24: return "CCITT G722 ADPCM";
    case 25: return "CCITT G723 ADPCM";
    case 26: return "5 bit CCITT G723 ADPCM";
    case 27: return "8 bit ISDN a-law";
    default: return {};
    }
}

bool ParseAuBlock(ByteSpan block, AuInfo& info)
{
    info = {};
    info.Valid = FindText(block, ".snd") != kNotFound;
    info.Encoding = AuEncodingName(ReadBigEndianN(BytesAt(block, 12, 4)));
    info.SampleRate = ReadBigEndianN(BytesAt(block, 16, 4));
    info.Channels = MonoOrStereo(ReadBigEndianN(BytesAt(block, 20, 4)));
    return info.Valid;
}

bool GetAuInfo(const std::string& fileName, AuInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kAuBlockBytes, kPadBlank);
    return block && ParseAuBlock(*block, info);
}

void PutAuInfoLines(const AuInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = "Sun AU";
    lines[1] = info.Encoding;
    lines[2] = FormatWhole(info.SampleRate) + "Hz  " + info.Channels;
}

}  // namespace vistrel
