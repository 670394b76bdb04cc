#pragma once
// Flash Video info (type code 18) and its info lines. The reader checks the header in the
// file's first bytes and decodes the first body byte of up to 10 tags.
#include "mediainfo/InfoLines.h"

#include <cstdint>
#include <string>

namespace vistrel {

// Fields the reader cannot find keep the values they had; a later tag of a kind overwrites
// the fields of the earlier one.
struct FlvInfo {
    int32_t Version = 0;       // the header's version byte
    bool HasAudio = false;     // an audio tag's first body byte was decoded (line 2 needs it)
    std::string AudioCodec;    // "uncompressed", "ADPCM", "MP3", "Nellymoser"; others leave it
    int32_t SampleSize = 0;    // bits: 8 or 16
    float SampleRate = 0;      // kHz: 5.5, 11, 22, 44 (8 for the 8-kHz Nellymoser format)
    std::string Channels;      // "Mono" or "Stereo"
    std::string VideoCodec;    // from the codec identifier; others leave it
};

constexpr int32_t kFlvHeaderBytes = 1024;
constexpr int kFlvTagsRead = 10;
constexpr uint8_t kFlvAudioTag = 8;
constexpr uint8_t kFlvVideoTag = 9;

// True when the file starts with "FLV"; then the tags that follow the data offset are read.
bool GetFlvInfo(const std::string& fileName, FlvInfo& info);
// The decoding of the first body byte of an audio tag and of a video tag.
void DecodeFlvAudioByte(uint8_t b, FlvInfo& info);
void DecodeFlvVideoByte(uint8_t b, FlvInfo& info);

// Line 0 "Flash Video" (+ " V1" when `ok`); line 1 the video codec (empty without one);
// line 2, only after an audio tag: "MP3  44kHz 16bit Stereo".
void PutFlvInfoLines(const FlvInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
