#include "mediainfo/RealMediaInfo.h"

#include "mediainfo/ChannelsText.h"
#include "mediainfo/HeaderBlock.h"
#include "mediainfo/MediaType.h"

#include <algorithm>
#include <optional>

namespace vistrel {

namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kPropMaxBitRateOffset = 10;
// "MDPR" (media properties)
constexpr size_t kMdprAvgBitRateOffset = 16;
constexpr size_t kMdprNameLengthOffset = 40;
constexpr size_t kMdprKindOffset = 41;  // the stream name's first three characters
constexpr size_t kMdprKindBytes = 3;
// RealAudio stream header (".ra" 0xFD), offsets from the type-specific data
constexpr uint8_t kRealAudioMark = 0xFD;
constexpr size_t kRaVersionOffset = 4;
constexpr size_t kRaSampleRate32Offset = 48;
constexpr size_t kRaSampleRate16Offset = 52;
constexpr size_t kRaSampleSizeOffset = 58;
constexpr size_t kRaChannelsOffset = 60;
constexpr size_t kRaFieldsEnd = kRaChannelsOffset + 2;
// Video stream header ("VIDO" at offset 4)
constexpr size_t kVidoTagOffset = 4;
constexpr size_t kVidoCodecOffset = 8;
constexpr size_t kVidoWidthOffset = 12;
constexpr size_t kVidoHeightOffset = 14;
constexpr size_t kVidoBitDepthOffset = 16;
constexpr size_t kVidoFrameRateOffset = 22;
constexpr size_t kVidoFieldsEnd = kVidoFrameRateOffset + 2;
constexpr uint32_t kVidoMinLength = 34;
constexpr uint32_t kVidoMaxLength = 38;

constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 100000;
constexpr int32_t kMinKbps = 1;
constexpr int32_t kMaxKbps = 20000;

bool IsSampleRate(uint32_t rate)
{
    return rate >= kMinSampleRate && rate <= kMaxSampleRate;
}

std::string AsciiUpper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    return text;
}

void SetKbps(int32_t& field, uint32_t bitsPerSecond)
{
    if (const int32_t kbps = RealMediaKbps(bitsPerSecond); kbps != 0)
        field = kbps;
}

// Each reader below returns False when its structure lies beyond the bytes read, which ends
// the walk.

bool ReadPropChunk(const ByteBuffer& data, size_t at, RealMediaInfo& info)
{
    if (!data.Has(at + kPropMaxBitRateOffset, 4))
        return false;
    SetKbps(info.TotalKbps, data.BE32(at + kPropMaxBitRateOffset));
    return true;
}

bool ReadRealAudioHeader(const ByteBuffer& data, size_t at, RealMediaInfo& info)
{
    if (!data.Has(at, kRaFieldsEnd))
        return false;
    info.HasRealAudio = true;
    info.RealAudioVersion = data.BE16(at + kRaVersionOffset);
    if (const uint32_t rate = data.BE32(at + kRaSampleRate32Offset); IsSampleRate(rate))
        info.SampleRate = static_cast<int32_t>(rate);
    else if (const uint16_t rate16 = data.BE16(at + kRaSampleRate16Offset); IsSampleRate(rate16))
        info.SampleRate = rate16;
    info.SampleSize = data.BE16(at + kRaSampleSizeOffset);
    if (const uint16_t channels = data.BE16(at + kRaChannelsOffset); channels >= 1 && channels <= 6)
        info.Channels = ChannelsText(channels);
    return true;
}

bool ReadVideoHeader(const ByteBuffer& data, size_t at, RealMediaInfo& info)
{
    if (!data.Has(at, kVidoFieldsEnd))
        return false;
    info.HasVideo = true;
    info.VideoCodec = Latin1ToUtf8(data.Text(at + kVidoCodecOffset, 4));
    info.Width = data.BE16(at + kVidoWidthOffset);
    info.Height = data.BE16(at + kVidoHeightOffset);
    info.BitDepth = data.BE16(at + kVidoBitDepthOffset);
    info.FrameRate = data.BE16(at + kVidoFrameRateOffset);
    return true;
}

struct TypeSpecificData {
    size_t At = 0;       // the data after the 32-bit length
    uint32_t Length = 0;
};

// Past the stream name and the MIME type, each led by its length byte.
std::optional<TypeSpecificData> FindTypeSpecificData(const ByteBuffer& data, size_t at)
{
    const size_t mimeLengthAt = at + kMdprKindOffset + data.U8(at + kMdprNameLengthOffset);
    if (!data.Has(mimeLengthAt, 1))
        return std::nullopt;
    const size_t lengthAt = mimeLengthAt + 1 + data.U8(mimeLengthAt);
    if (!data.Has(lengthAt, 4))
        return std::nullopt;
    return TypeSpecificData{lengthAt + 4, data.BE32(lengthAt)};
}

bool ReadMdprChunk(const ByteBuffer& data, size_t at, RealMediaInfo& info)
{
    if (!data.Has(at + kMdprKindOffset, kMdprKindBytes))
        return false;
    // The kind is read at a fixed offset whatever the name's length: after a name shorter
    // than three characters it takes in the MIME type's length byte and text.
    const std::string kind = AsciiUpper(data.Text(at + kMdprKindOffset, kMdprKindBytes));
    const uint32_t averageBitRate = data.BE32(at + kMdprAvgBitRateOffset);
    if (kind == "AUD")
        SetKbps(info.AudioKbps, averageBitRate);
    else if (kind == "VID")
        SetKbps(info.VideoKbps, averageBitRate);

    const auto typeData = FindTypeSpecificData(data, at);
    if (!typeData)
        return false;
    if (data.Matches(typeData->At, ".ra") && data.U8(typeData->At + 3) == kRealAudioMark)
        return ReadRealAudioHeader(data, typeData->At, info);
    if (kind == "VID" && typeData->Length >= kVidoMinLength && typeData->Length <= kVidoMaxLength
        && data.Matches(typeData->At + kVidoTagOffset, "VIDO"))
        return ReadVideoHeader(data, typeData->At, info);
    return true;
}

bool ReadChunk(const ByteBuffer& data, size_t at, RealMediaInfo& info)
{
    const std::string id = data.Text(at, 4);
    if (id == "PROP")
        return ReadPropChunk(data, at, info);
    if (id == "MDPR")
        return ReadMdprChunk(data, at, info);
    return true;
}

std::string VideoLine(const RealMediaInfo& info)
{
    std::string line = FormatWhole(info.Width) + "x" + FormatWhole(info.Height);
    if (info.FrameRate != 0)
        line += "  " + FormatSingle(info.FrameRate) + "fps";
    if (info.BitDepth != 0)
        line += "  " + FormatWhole(info.BitDepth) + "bit";
    return line;
}

std::string RealAudioLine(const RealMediaInfo& info)
{
    std::string line = "RealAudio  " + FormatWhole(info.SampleRate) + "Hz";
    if (info.SampleSize != 0)
        line += "  " + FormatWhole(info.SampleSize) + "bit";
    return line;
}

}  // namespace

int32_t RealMediaKbps(uint32_t bitsPerSecond)
{
    // Rounded to the nearest kilobit, halves up; 64-bit so that b + 500 cannot wrap.
    const auto kbps = static_cast<int64_t>((static_cast<uint64_t>(bitsPerSecond) + 500) / 1000);
    return kbps >= kMinKbps && kbps <= kMaxKbps ? static_cast<int32_t>(kbps) : 0;
}

void ReadRealMediaChunks(const ByteBuffer& data, RealMediaInfo& info)
{
    // Every step moves at least 8 bytes forward, so the walk ends.
    for (size_t at = 0; data.Has(at, kChunkHeaderBytes);) {
        const uint32_t size = data.BE32(at + 4);
        if (size < kChunkHeaderBytes || !ReadChunk(data, at, info))
            return;
        if (size >= data.Size() - at)
            return;
        at += size;
    }
}

bool GetRealMediaInfo(const std::string& fileName, RealMediaInfo& info)
{
    const int64_t fileSize = GetFileSize64(fileName);
    if (fileSize < 0)
        return false;
    const auto count = static_cast<int32_t>(std::min<int64_t>(kRealMediaReadBytes, fileSize));
    auto bytes = ReadHeaderBlock(fileName, count, std::nullopt);
    if (!bytes)
        return false;
    const ByteBuffer data(std::move(*bytes));
    if (!data.Matches(0, ".RMF"))
        return false;
    ReadRealMediaChunks(data, info);
    return true;
}

void PutRealMediaInfoLines(const RealMediaInfo& info, bool ok, InfoLines& lines, StreamFlags& /*flags*/)
{
    lines[0] = "RealMedia";
    if (!ok)
        return;
    if (info.TotalKbps != 0)
        lines[0] += "  " + FormatWhole(info.TotalKbps) + "bps";  // kilobits, shown with the unit "bps"
    size_t next = 1;
    if (info.HasVideo)
        lines[next++] = VideoLine(info);
    if (info.HasRealAudio)
        lines[next++] = RealAudioLine(info);
}

}  // namespace vistrel
