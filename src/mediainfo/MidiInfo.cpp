#include "mediainfo/MidiInfo.h"

#include "mediainfo/HeaderBlock.h"

namespace vistrel {

std::string MidiDescription(int format, int32_t tracks)
{
    switch (format) {
    case 0: return "one single track";
    case 1: return FormatWhole(tracks) + " synchronous tracks";
    case 2: return FormatWhole(tracks) + " asynchronous tracks";
    default: return {};
    }
}

bool ParseMidiBlock(ByteSpan block, MidiInfo& info)
{
    info = {};
    const size_t p = FindText(block, "MThd");
    if (p == kNotFound)
        return false;
    info.Valid = true;
    info.IsRiffRmid = StartsWith(block, "RIFF") && p >= 1;
    const int format = ByteAt(block, p + 9);  // low byte of the format field
    const int32_t tracks = ReadBigEndianN(BytesAt(block, p + 10, 2));
    info.Description = MidiDescription(format, tracks);
    return true;
}

bool GetMidiInfo(const std::string& fileName, MidiInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kMidiBlockBytes, kPadBlank);
    return block && ParseMidiBlock(*block, info);
}

void PutMidiInfoLines(const MidiInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = info.IsRiffRmid ? "RIFF RMID" : "";
    lines[1] = "MIDI";
    lines[2] = info.Description;
}

}  // namespace vistrel
