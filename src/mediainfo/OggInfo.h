#pragma once
// Ogg files (type code 4): the OGM video and audio stream headers and the Vorbis
// identification header found in the first 16,384 bytes.
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct OggInfo {
    bool Valid = false;
    int32_t StreamStructureVersion = 0;
    bool HasVideo = false;
    std::string VideoCodec;      // UTF-8
    double FrameRate = 0;        // fps; 0 when neither time value gives 0 < rate <= 60
    int32_t BitsPerPixel = 0;    // 0 unless 1 to 64
    std::string Width, Height;   // decimal, empty unless 1 to 65535
    bool HasAudio = false;
    int32_t SampleRate = 0;      // Hz
    std::string Channels;        // "Mono", "Stereo" or empty
    std::string AudioCodec;      // "vorbis" or a WAVE format name
};

constexpr int32_t kOggBlockBytes = 16384;

// The frames per second of a time value in 100 ns units (10,000,000 / value), cut (not
// rounded) to thousandths; 0 for a value of 0.
double OggFrameRate(uint32_t timeValue);
// The subtype text of an OGM audio header ("0055") as a WAVE format tag; 0 unless it is
// four hexadecimal digits.
uint16_t OggAudioFormatTag(const std::string& subtype);
// Decodes the headers found in the bytes read; values past them count as 0.
bool ParseOggBlock(ByteSpan block, OggInfo& info);
// Reads the first 16,384 bytes (or fewer, without padding).
bool GetOggInfo(const std::string& fileName, OggInfo& info);
// "OGG media"; line 1 the video ("DX50  640x480  25fps  24bit", empty without video);
// line 2 the audio ("vorbis  44100Hz  Stereo").
void PutOggInfoLines(const OggInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
