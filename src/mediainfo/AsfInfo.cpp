#include "mediainfo/AsfInfo.h"

#include "mediainfo/HeaderBlock.h"
#include "mediainfo/MpegSearch.h"
#include "mediainfo/WaveFormatNames.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

namespace vistrel {

namespace {

// Object identifiers as stored in the file (GUID byte order).
const std::vector<uint8_t> kHeaderObject = HexToBytes("3026B2758E66CF11A6D900AA0062CE6C");
const std::vector<uint8_t> kStreamPropertiesObject = HexToBytes("9107DCB7B7A9CF118EE600C00C205365");
const std::vector<uint8_t> kAudioStream = HexToBytes("409E69F84D5BCF11A8FD00805F5C442B");
const std::vector<uint8_t> kVideoStream = HexToBytes("C0EF19BC4D5BCF11A8FD00805F5C442B");

// Offsets in a stream properties object.
constexpr size_t kStreamTypeOffset = 24;
// Audio: the wave format at offset 78.
constexpr size_t kFormatTagOffset = 78;
constexpr size_t kChannelsOffset = 80;
constexpr size_t kSampleRateOffset = 82;
constexpr size_t kAvgBytesPerSecOffset = 86;
constexpr size_t kAudioFieldsEnd = kAvgBytesPerSecOffset + 4;
// Video: the bitmap header at offset 89.
constexpr size_t kWidthOffset = 93;
constexpr size_t kHeightOffset = 97;
constexpr size_t kCompressionOffset = 105;
constexpr size_t kVideoFieldsEnd = kCompressionOffset + 4;
constexpr int32_t kMaxPictureSide = 4096;

// A metadata object writes its name after the 32-bit value length, whose high half (the
// 16-bit value just before the name) is 0 for small values; the value follows the name of
// 12 UTF-16 characters and its terminator.
constexpr size_t kAspectNameWithTerminatorBytes = 26;

std::vector<uint8_t> Utf16Le(std::string_view ascii)
{
    std::vector<uint8_t> bytes;
    for (const char c : ascii) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

const std::vector<uint8_t> kAspectRatioX = Utf16Le("AspectRatioX");
const std::vector<uint8_t> kAspectRatioY = Utf16Le("AspectRatioY");

ByteSpan Span(const ByteBuffer& buffer)
{
    return buffer.Bytes();
}

bool HasBytesAt(const ByteBuffer& buffer, size_t at, const std::vector<uint8_t>& bytes)
{
    return buffer.Has(at, bytes.size())
        && std::equal(bytes.begin(), bytes.end(), buffer.Bytes().begin() + static_cast<std::ptrdiff_t>(at));
}

struct MetadataNumber {
    uint64_t Value = 0;
    size_t End = 0;  // the offset after the value's bytes
};

// The little-endian number of `count` bytes at `at` (bytes above the eighth do not fit and
// are ignored); nothing when the bytes lie beyond the prefix.
std::optional<MetadataNumber> NumberAt(const ByteBuffer& prefix, size_t at, size_t count)
{
    if (!prefix.Has(at, count))
        return std::nullopt;
    uint64_t value = 0;
    for (size_t i = std::min<size_t>(count, 8); i-- > 0;)
        value = (value << 8) | prefix.U8(at + i);
    return MetadataNumber{value, at + count};
}

// The value of the metadata entry whose name starts at `nameAt`.
std::optional<MetadataNumber> ReadMetadataNumber(const ByteBuffer& prefix, size_t nameAt)
{
    const uint16_t nameLength = nameAt >= 2 ? prefix.LE16(nameAt - 2) : 0;
    if (nameLength == 0)
        return NumberAt(prefix, nameAt + kAspectNameWithTerminatorBytes, 4);
    // Extended content description: name, 16-bit value type, 16-bit value length, value.
    const size_t valueLengthAt = nameAt + nameLength + 2;
    if (!prefix.Has(valueLengthAt, 2))
        return std::nullopt;
    return NumberAt(prefix, valueLengthAt + 2, prefix.LE16(valueLengthAt));
}

std::optional<MetadataNumber> FindMetadataNumber(const ByteBuffer& prefix, const std::vector<uint8_t>& name,
                                                 size_t from)
{
    const size_t nameAt = FindBytes(Span(prefix), name, from);
    if (nameAt == kNotFound)
        return std::nullopt;
    return ReadMetadataNumber(prefix, nameAt);
}

void ReadMetadataAspect(const ByteBuffer& prefix, AsfInfo& info)
{
    const auto x = FindMetadataNumber(prefix, kAspectRatioX, 0);
    if (!x)
        return;
    const auto y = FindMetadataNumber(prefix, kAspectRatioY, x->End);
    if (!y)
        return;
    const double aspect = AsfAspect(x->Value, y->Value);
    if (aspect == 0 || aspect == 1)
        return;
    info.PixelAspect = static_cast<float>(1 / aspect);
    info.AspectName = AsfAspectName(aspect);
}

int32_t PictureSide(uint32_t stored)
{
    const auto side = static_cast<int32_t>(stored);
    return side >= 0 && side <= kMaxPictureSide ? side : 0;
}

void ReadAudioStream(const ByteBuffer& prefix, size_t at, AsfInfo& info)
{
    info.HasAudio = true;
    info.AudioCodec = GetWaveFormatName(prefix.LE16(at + kFormatTagOffset));
    const std::string channels = MonoOrStereo(prefix.LE16(at + kChannelsOffset));
    if (!channels.empty())
        info.Channels = channels;
    info.SampleRate = prefix.LE32(at + kSampleRateOffset);
    info.AudioKbps = prefix.LE32(at + kAvgBytesPerSecOffset) / 1000 * 8;
}

void ReadVideoStream(const ByteBuffer& prefix, size_t at, AsfInfo& info)
{
    info.HasVideo = true;
    info.Width = PictureSide(prefix.LE32(at + kWidthOffset));
    info.Height = PictureSide(prefix.LE32(at + kHeightOffset));
    const bool noCode = prefix.U8(at + kCompressionOffset) < 33;
    info.VideoFourCC = noCode ? std::string() : Latin1ToUtf8(prefix.Text(at + kCompressionOffset, 4));
}

// One stream properties object at `at`; False when the fields it needs lie beyond the prefix.
bool ReadStreamProperties(const ByteBuffer& prefix, size_t at, AsfInfo& info)
{
    const size_t typeAt = at + kStreamTypeOffset;
    if (!prefix.Has(typeAt, kAudioStream.size()))
        return false;
    if (HasBytesAt(prefix, typeAt, kAudioStream)) {
        if (!prefix.Has(at, kAudioFieldsEnd))
            return false;
        ReadAudioStream(prefix, at, info);
    } else if (HasBytesAt(prefix, typeAt, kVideoStream)) {
        if (!prefix.Has(at, kVideoFieldsEnd))
            return false;
        ReadVideoStream(prefix, at, info);
    }
    return true;
}

void ReadStreams(const ByteBuffer& prefix, AsfInfo& info)
{
    const auto& id = kStreamPropertiesObject;
    for (size_t at = FindBytes(Span(prefix), id, 0); at != kNotFound; at = FindBytes(Span(prefix), id, at + id.size())) {
        if (!ReadStreamProperties(prefix, at, info))
            return;
    }
}

}  // namespace

double AsfAspect(uint64_t x, uint64_t y)
{
    if (x == 0 || y == 0)
        return 0;
    if (x == 1440 || x == 1080 || x == 720)
        return static_cast<double>(std::max(x, y)) / static_cast<double>(std::min(x, y));
    return static_cast<double>(x) / static_cast<double>(y);
}

std::string AsfAspectName(double aspect)
{
    struct NamedAspect {
        double Value;
        const char* Name;
    };
    static constexpr NamedAspect kNames[] = {
        {10.0 / 11, "NTSC 4:3"}, {40.0 / 33, "NTSC 16:9"}, {12.0 / 11, "PAL 4:3"}, {16.0 / 11, "PAL 16:9"},
        {2.0, "ana 2:1"},        {4.0 / 3, "PAR 4:3"},     {16.0 / 9, "PAR 16:9"},
    };
    // Compared in whole hundredths, rounded half away from zero.
    const double hundredths = std::round(aspect * 100);
    for (const auto& named : kNames) {
        if (std::round(named.Value * 100) == hundredths)
            return named.Name;
    }
    return "PAR " + FormatDouble(hundredths / 100);
}

bool ReadAsfInfo(const ByteBuffer& prefix, AsfInfo& info)
{
    if (FindBytes(Span(prefix), kHeaderObject, 0) == kNotFound)
        return false;
    info.IsAsf = true;
    ReadMetadataAspect(prefix, info);
    ReadStreams(prefix, info);
    return true;
}

bool GetAsfInfo(const std::string& fileName, AsfInfo& info)
{
    auto prefix = ReadHeaderBlock(fileName, static_cast<int32_t>(kAsfPrefixBytes), kPadZero);
    return prefix && ReadAsfInfo(ByteBuffer(std::move(*prefix)), info);
}

void PutAsfInfoLines(const AsfInfo& info, bool ok, MediaType detected, InfoLines& lines, StreamFlags& /*flags*/)
{
    lines[0] = "Microsoft " + GetMediaTypeName(detected);
    if (!ok)
        return;
    if (info.HasVideo)
        lines[1] = info.VideoFourCC + "  " + FormatWhole(info.Width) + "x" + FormatWhole(info.Height);
    if (info.HasAudio) {
        lines[2] = info.AudioCodec + "   " + FormatWhole(info.SampleRate) + "Hz";
        const std::string kbps = info.AudioKbps != 0 ? FormatWhole(info.AudioKbps) + "kbps  " : "";
        lines[3] = kbps + info.Channels;
    }
}

}  // namespace vistrel
