#pragma once
// AC-3 elementary streams (type code 13), after the synchronisation frame layout of
// ATSC A/52.
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct Ac3Info {
    bool Valid = false;
    int32_t BitRate = 0;     // kbit/s; 0 for a frame size code beyond the table
    int32_t SampleRate = 0;  // Hz; 0 for the reserved code 3
    std::string Surround;    // acmod 2 only: "No Dolby Surround", "Dolby Surround" or empty
    std::string Channels;    // "Stereo", "5+1 channels", ...
};

constexpr int32_t kAc3BlockBytes = 32;

// The fields that follow acmod in the bit stream information, as far as the reader needs.
struct Ac3ChannelFields {
    int AudioCodingMode = 0;  // acmod
    int DolbySurround = 0;    // dsurmod, acmod 2 only
    bool Lfe = false;         // lfeon
};

// acmod and the bit fields after it, from bytes 6 and 7 of the frame.
Ac3ChannelFields ReadAc3ChannelFields(uint8_t byte6, uint8_t byte7);
std::string Ac3ChannelText(int acmod, bool lfe);
std::string Ac3SurroundText(int acmod, int dolbySurround);
// Valid when the block starts with the sync word 0B 77.
bool ParseAc3Block(ByteSpan block, Ac3Info& info);
// Reads the 32-byte block (a shorter file is padded with zeros).
bool GetAc3Info(const std::string& fileName, Ac3Info& info);
// "AC3 Audio Stream"; "96kbps  48000Hz" (no bit-rate part for 0); the channel text, followed
// by two blanks and the surround text when there is one.
void PutAc3InfoLines(const Ac3Info& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
