#pragma once
// Standard MIDI files and RIFF RMID (type code 5).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegSearch.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct MidiInfo {
    bool Valid = false;
    bool IsRiffRmid = false;
    std::string Description;  // "one single track", "12 synchronous tracks", ...
};

constexpr int32_t kMidiBlockBytes = 32;

// "one single track" (format 0), n " synchronous tracks" (1), n " asynchronous tracks" (2),
// empty for any other format.
std::string MidiDescription(int format, int32_t tracks);
// Decodes the header found in the block; False when it holds no "MThd".
bool ParseMidiBlock(ByteSpan block, MidiInfo& info);
// Reads the 32-byte block (a shorter file is padded with blanks); False when the file cannot
// be opened or holds no "MThd" in the block.
bool GetMidiInfo(const std::string& fileName, MidiInfo& info);
// Line 0 "RIFF RMID" for the RIFF form (else empty), line 1 "MIDI", line 2 the description.
void PutMidiInfoLines(const MidiInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
