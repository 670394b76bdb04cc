#include "mediainfo/MpegAudioInfo.h"

#include "mediainfo/InfoLines.h"
#include "support/File64.h"

namespace vistrel {

namespace {

using BitRateTable = std::array<int32_t, 15>;  // by bit-rate index 0 to 14 (0: free format)

constexpr BitRateTable kV1Layer1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr BitRateTable kV1Layer2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr BitRateTable kV1Layer3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr BitRateTable kV2Layer1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr BitRateTable kV2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
// Version 2.5 has its own layer 3 table: 12 and 20 kbit/s at indexes 2 and 3 where
// version 2 has 16 and 24.
constexpr BitRateTable kV25Layer3 = {0, 8, 12, 20, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

constexpr int kBitRateIndexInvalid = 15;
constexpr int kSampleRateIndexInvalid = 3;

// Version from bits 4-3 of byte 2; 0 for the invalid code 00.
float VersionFromCode(int code)
{
    constexpr float kVersions[] = {0, 2.5f, 2, 1};
    return kVersions[code & 3];
}

// Layer from bits 2-1 of byte 2; 0 for the rejected code 00.
int32_t LayerFromCode(int code)
{
    constexpr int32_t kLayers[] = {0, 3, 2, 1};
    return kLayers[code & 3];
}

const BitRateTable* BitRateTableFor(float version, int32_t layer)
{
    if (version == 1)
        return layer == 1 ? &kV1Layer1 : layer == 2 ? &kV1Layer2 : &kV1Layer3;
    if (version == 2)
        return layer == 1 ? &kV2Layer1 : &kV2Layer23;
    return layer == 3 ? &kV25Layer3 : nullptr;  // version 2.5, layers 1 and 2: no table
}

int32_t SampleRateFor(float version, int index)
{
    constexpr int32_t kVersion1[] = {44100, 48000, 32000};
    const int32_t rate = kVersion1[index];
    return version == 1 ? rate : version == 2 ? rate / 2 : rate / 4;
}

const char* ChannelModeName(int code)
{
    constexpr const char* kNames[] = {"Stereo", "Joint Stereo", "Dual Channel", "Mono"};
    return kNames[code & 3];
}

// The 4 bytes at `pos`, clipped to the buffer (so fewer near its end).
ByteSpan FourBytesAt(ByteSpan buffer, size_t pos)
{
    if (pos >= buffer.size())
        return {};
    return buffer.subspan(pos, std::min<size_t>(4, buffer.size() - pos));
}

struct VbrCounts {
    uint32_t frames = 0;
    uint32_t bytes = 0;
};

// The frame and byte counts of a Xing header, else of a VBRI header, anywhere in the buffer.
std::optional<VbrCounts> FindVbrHeader(ByteSpan buffer)
{
    if (const size_t p = FindBytes(buffer, AsBytes("Xing"), 0); p != kNotFound)
        return VbrCounts{ReadBigEndian32(FourBytesAt(buffer, p + 8)), ReadBigEndian32(FourBytesAt(buffer, p + 12))};
    if (const size_t q = FindBytes(buffer, AsBytes("VBRI"), 0); q != kNotFound)
        return VbrCounts{ReadBigEndian32(FourBytesAt(buffer, q + 14)), ReadBigEndian32(FourBytesAt(buffer, q + 10))};
    return std::nullopt;
}

// bytes / frames x sample rate / 144 / 1000, rounded half up, in exact integer arithmetic.
int32_t AverageKbps(const VbrCounts& counts, int32_t sampleRate)
{
    const uint64_t numerator = uint64_t{counts.bytes} * static_cast<uint64_t>(sampleRate);
    const uint64_t denominator = uint64_t{counts.frames} * 144 * 1000;
    return static_cast<int32_t>((2 * numerator + denominator) / (2 * denominator));
}

bool Fail(MpegAudioInfo& info)
{
    info.Valid = false;
    return false;
}

std::string LayerText(const MpegAudioInfo& info)
{
    return "Layer-" + FormatWhole(info.Layer);
}

}  // namespace

uint32_t ReadBigEndian32(ByteSpan bytes)
{
    if (bytes.size() != 4)
        return 0;
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

bool ParseMpegAudioHeader(MpegAudioInfo& info, ByteSpan searchBuffer, const MpegAudioHeader& header)
{
    info.Valid = false;
    info.Version = VersionFromCode(header[1] >> 3);
    if (info.Version == 0)
        return Fail(info);
    info.Layer = LayerFromCode(header[1] >> 1);
    if (info.Layer == 0)
        return Fail(info);

    const int bitRateIndex = header[2] >> 4;
    if (bitRateIndex == kBitRateIndexInvalid)
        return Fail(info);
    const BitRateTable* table = BitRateTableFor(info.Version, info.Layer);
    info.BitRate = table ? (*table)[static_cast<size_t>(bitRateIndex)] : 0;
    const int sampleRateIndex = (header[2] >> 2) & 3;
    if (sampleRateIndex == kSampleRateIndexInvalid)
        return Fail(info);
    info.SampleRate = SampleRateFor(info.Version, sampleRateIndex);

    info.RateMode.clear();
    if (info.Layer == 3) {
        if (const auto vbr = FindVbrHeader(searchBuffer)) {
            if (vbr->frames == 0)
                return Fail(info);
            info.BitRate = AverageKbps(*vbr, info.SampleRate);
            info.RateMode = "VBR ";
        } else {
            info.RateMode = "CBR ";
        }
    }
    info.ChannelMode = ChannelModeName(header[3] >> 6);
    info.Valid = true;
    return true;
}

std::optional<int64_t> Id3v2TagSize(ByteSpan buffer)
{
    if (FindBytes(buffer, AsBytes("ID3"), 0, 1) != 0)
        return std::nullopt;
    const auto byte = [&](size_t i) { return int64_t{i < buffer.size() ? buffer[i] : uint8_t{0}}; };
    return (byte(6) << 21) + (byte(7) << 14) + (byte(8) << 7) + byte(9);
}

size_t FindMpegAudioFrame(ByteSpan buffer, bool layer3Only, size_t from, size_t startBefore)
{
    for (size_t pos = from; pos < startBefore && pos + 1 < buffer.size(); ++pos) {
        if (buffer[pos] != 0xFF)
            continue;
        const uint8_t next = buffer[pos + 1];
        if ((next & 0xE0) == 0xE0 && (!layer3Only || (next & 6) == 2))
            return pos;
    }
    return kNotFound;
}

std::optional<MpegAudioHeader> HeaderAt(ByteSpan buffer, size_t pos)
{
    if (pos >= buffer.size() || buffer.size() - pos < 4)
        return std::nullopt;
    return MpegAudioHeader{buffer[pos], buffer[pos + 1], buffer[pos + 2], buffer[pos + 3]};
}

bool ReadMpegAudioFile(File64& file, std::vector<uint8_t> buffer, MpegAudioInfo& info)
{
    const std::optional<int64_t> tagSize = Id3v2TagSize(buffer);
    if (tagSize) {
        if (*tagSize > static_cast<int64_t>(buffer.size()))
            return false;
        // The refill overwrites the buffer from its start; bytes past it keep their content.
        file.SeekToAbsolute64(static_cast<uint32_t>((*tagSize + 10) >> 32), static_cast<uint32_t>(*tagSize + 10));
        file.ReadBytes(static_cast<int32_t>(buffer.size()), buffer);
    }
    const size_t frame = FindMpegAudioFrame(buffer, tagSize.has_value());
    const std::optional<MpegAudioHeader> header = HeaderAt(buffer, frame);
    return header && ParseMpegAudioHeader(info, buffer, *header);
}

std::array<std::string, 3> MpegAudioLines(const MpegAudioInfo& info)
{
    std::string rate;
    if (info.BitRate != 0)
        rate = "  " + FormatWhole(info.BitRate) + "kbps " + info.RateMode;
    else if (!info.RateMode.empty())
        rate = "  " + info.RateMode;
    return {"MPEG-" + FormatSingle(info.Version) + " Audio Stream", LayerText(info) + rate,
            FormatWhole(info.SampleRate) + "Hz  " + info.ChannelMode};
}

std::string MpegAudioStreamLine(const MpegAudioInfo& info)
{
    std::string line = LayerText(info);
    if (info.BitRate != 0)
        line += "  " + FormatWhole(info.BitRate) + "kbps";
    return line + "  " + FormatWhole(info.SampleRate) + "Hz  " + info.ChannelMode;
}

}  // namespace vistrel
