#pragma once
// MPEG audio info. Decodes one MPEG audio frame header (with its Xing or VBRI
// average), finds the first frame of an MPEG audio file, and words the display lines.
#include "mediainfo/MpegSearch.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class File64;

struct MpegAudioInfo {
    bool Valid = false;
    float Version = 0;         // 1, 2 or 2.5
    int32_t Layer = 0;         // 1, 2 or 3
    int32_t BitRate = 0;       // kbit/s; the Xing/VBRI average for a VBR file
    std::string RateMode;      // "VBR " or "CBR " (Layer 3 only), else empty
    int32_t SampleRate = 0;    // Hz
    std::string ChannelMode;   // "Stereo", "Joint Stereo", "Dual Channel" or "Mono"
};

using MpegAudioHeader = std::array<uint8_t, 4>;  // starts at the sync byte 0xFF

// The 32-bit number held most significant byte first; 0 unless exactly 4 bytes are given.
uint32_t ReadBigEndian32(ByteSpan bytes);

// Decodes `header` into `info` and, for Layer 3, looks for a Xing or VBRI header anywhere
// in `searchBuffer`. Ends with false at the first invalid field; the fields decoded before
// it keep their values. The result is also stored in info.Valid.
bool ParseMpegAudioHeader(MpegAudioInfo& info, ByteSpan searchBuffer, const MpegAudioHeader& header);

// The frame search of an MPEG audio file -------------------------------------------------

constexpr size_t kMpegReadBufferBytes = 1024000;

// The ID3v2 tag size of bytes 7 to 10 (7-bit groups, top bits not masked) when the buffer
// starts with "ID3"; nothing otherwise.
std::optional<int64_t> Id3v2TagSize(ByteSpan buffer);
// The position of the first 0xFF at or after `from` and before `startBefore` whose next
// byte has its top three bits set (and, when `layer3Only`, layer bits 01); kNotFound when
// there is none.
size_t FindMpegAudioFrame(ByteSpan buffer, bool layer3Only, size_t from = 0, size_t startBefore = kNotFound);
// The four header bytes at `pos`; nothing when they do not all lie inside the buffer.
std::optional<MpegAudioHeader> HeaderAt(ByteSpan buffer, size_t pos);
// The ID3v2 skip (refilling `buffer` from the open `file`), the frame search and the
// decoding of the first candidate. `buffer` holds the file's first bytes.
bool ReadMpegAudioFile(File64& file, std::vector<uint8_t> buffer, MpegAudioInfo& info);

// Display -------------------------------------------------------------------------------

// Lines 0 to 2 of an MPEG audio file: "MPEG-1 Audio Stream", "Layer-3  128kbps CBR ",
// "44100Hz  Joint Stereo". A bit rate of 0 leaves out "  128kbps " (the rate mode stays).
std::array<std::string, 3> MpegAudioLines(const MpegAudioInfo& info);
// The line of one audio stream of a program stream: "Layer-2  128kbps  44100Hz  Stereo".
std::string MpegAudioStreamLine(const MpegAudioInfo& info);

}  // namespace vistrel
