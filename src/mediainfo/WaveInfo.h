#pragma once
// RIFF WAVE info (GetWaveInfo) and its info lines.
#include "mediainfo/ByteBuffer.h"
#include "mediainfo/InfoLines.h"

#include <array>
#include <cstdint>
#include <string>

namespace vistrel {

// The "fmt " chunk read as the WAVEFORMATEXTENSIBLE layout (little-endian); fields that the
// chunk does not hold are 0.
struct WaveFormat {
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    uint16_t ExtraSize = 0;
    uint16_t ValidBitsPerSample = 0;
    uint32_t ChannelMask = 0;
    std::array<uint8_t, 16> SubFormat{};  // its first two bytes are the sub-format tag
    uint16_t SubFormatTag() const { return static_cast<uint16_t>(SubFormat[0] | (SubFormat[1] << 8)); }
};

constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
constexpr size_t kWaveFormatReadBytes = 50;  // at most this much of the "fmt " chunk is read

struct WaveInfo {
    bool Extensible = false;
    uint32_t SampleRate = 0;   // Hz
    std::string Channels;      // GetChannelsText of the channel count
    std::string Codec;         // GetWaveFormatName of the tag, or of the sub-format tag
    std::string Bits;          // "16bit  ", "20of24bit  "; empty when there is no sample size
    float BitRate = 0;         // bits per second
};

// True when the "fmt " chunk of the RIFF chunk of form WAVE was found and read (the chunk
// search is described in WaveInfo.cpp).
bool GetWaveInfo(const std::string& fileName, WaveInfo& info);
// Success: line 0 "RIFF WAVE" (+ " (extensible)"), line 1 the codec, line 2 sample rate,
// bits, bit rate and channels. Failure: line 1 "no valid WAV file". `flags` stay as they are.
void PutWaveInfoLines(const WaveInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

// The parts that work without a file, for tests and fuzz targets.
WaveFormat ParseWaveFormat(const ByteBuffer& chunkData);
WaveInfo DescribeWaveFormat(const WaveFormat& format);
// 1411200 gives "1411.2kbps   ", 256000 (a multiple of 1024) "250Kbps   ".
std::string WaveBitRateText(float bitRate);

}  // namespace vistrel
