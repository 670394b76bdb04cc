#include "mediainfo/Ac3Info.h"

#include "mediainfo/HeaderBlock.h"

#include <array>

namespace vistrel {

namespace {

constexpr std::array<int32_t, 19> kBitRates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160,
                                               192, 224, 256, 320, 384, 448, 512, 576, 640};
constexpr std::array<int32_t, 4> kSampleRates = {48000, 44100, 32000, 0};

constexpr size_t kRateByte = 4;     // fscod (2 bits), frmsizecod (6 bits)
constexpr size_t kAcmodByte = 6;

// Bits taken most significant first from a 16-bit word.
class BitCursor {
public:
    explicit BitCursor(uint16_t word) : word_(word) {}
    int Take(int count)
    {
        used_ += count;
        return (word_ >> (16 - used_)) & ((1 << count) - 1);
    }

private:
    uint16_t word_;
    int used_ = 0;
};

int32_t BitRateFor(uint8_t rateByte)
{
    const size_t index = (rateByte & 0x3F) >> 1;
    return index < kBitRates.size() ? kBitRates[index] : 0;
}

}  // namespace

Ac3ChannelFields ReadAc3ChannelFields(uint8_t byte6, uint8_t byte7)
{
    BitCursor bits(static_cast<uint16_t>((byte6 << 8) | byte7));
    Ac3ChannelFields fields;
    fields.AudioCodingMode = bits.Take(3);
    const int acmod = fields.AudioCodingMode;
    if ((acmod & 1) && acmod != 1)
        bits.Take(2);  // cmixlev
    if (acmod & 4)
        bits.Take(2);  // surmixlev
    if (acmod == 2)
        fields.DolbySurround = bits.Take(2);
    fields.Lfe = bits.Take(1) != 0;
    return fields;
}

std::string Ac3ChannelText(int acmod, bool lfe)
{
    constexpr std::array<const char*, 8> kWithout = {"Dual Channel", "Mono", "Stereo", "3 channels",
                                                     "3 channels", "4 channels", "4 channels", "5 channels"};
    constexpr std::array<const char*, 8> kWithLfe = {"Dual Channel + Bass", "Mono + Bass", "Stereo + Bass",
                                                     "3+1 channels", "3+1 channels", "4+1 channels",
                                                     "4+1 channels", "5+1 channels"};
    const auto index = static_cast<size_t>(acmod & 7);
    return lfe ? kWithLfe[index] : kWithout[index];
}

std::string Ac3SurroundText(int acmod, int dolbySurround)
{
    if (acmod != 2)
        return {};
    return dolbySurround == 1 ? "No Dolby Surround" : dolbySurround == 2 ? "Dolby Surround" : "";
}

bool ParseAc3Block(ByteSpan block, Ac3Info& info)
{
    info = {};
    if (ByteAt(block, 0) != 0x0B || ByteAt(block, 1) != 0x77)
        return false;
    const uint8_t rateByte = ByteAt(block, kRateByte);
    info.SampleRate = kSampleRates[rateByte >> 6];
    info.BitRate = BitRateFor(rateByte);
    const Ac3ChannelFields fields = ReadAc3ChannelFields(ByteAt(block, kAcmodByte), ByteAt(block, kAcmodByte + 1));
    info.Surround = Ac3SurroundText(fields.AudioCodingMode, fields.DolbySurround);
    info.Channels = Ac3ChannelText(fields.AudioCodingMode, fields.Lfe);
    info.Valid = true;
    return true;
}

bool GetAc3Info(const std::string& fileName, Ac3Info& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kAc3BlockBytes, kPadZero);
    return block && ParseAc3Block(*block, info);
}

void PutAc3InfoLines(const Ac3Info& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = "AC3 Audio Stream";
    lines[1] = (info.BitRate != 0 ? FormatWhole(info.BitRate) + "kbps  " : "") + FormatWhole(info.SampleRate) + "Hz";
    lines[2] = info.Channels + (info.Surround.empty() ? "" : "  " + info.Surround);
}

}  // namespace vistrel
