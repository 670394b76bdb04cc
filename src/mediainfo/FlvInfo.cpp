#include "mediainfo/FlvInfo.h"

#include "mediainfo/ByteBuffer.h"
#include "support/File64.h"

#include <algorithm>
#include <vector>

namespace vistrel {

namespace {

constexpr uint64_t kPreviousTagSizeBytes = 4;
constexpr size_t kTagHeaderBytes = 11;
constexpr size_t kVersionOffset = 3;
constexpr size_t kDataOffsetOffset = 5;

// Up to `count` bytes at `position`; fewer at the end of the file.
ByteBuffer ReadAt(File64& file, uint64_t position, size_t count)
{
    std::vector<uint8_t> bytes(count);
    file.SeekToAbsolute64(static_cast<uint32_t>(position >> 32), static_cast<uint32_t>(position));
    const int32_t read = file.ReadBytes(static_cast<int32_t>(count), bytes);
    bytes.resize(static_cast<size_t>(std::clamp<int32_t>(read, 0, static_cast<int32_t>(count))));
    return ByteBuffer(std::move(bytes));
}

uint32_t BigEndian24(const ByteBuffer& bytes, size_t offset)
{
    return (static_cast<uint32_t>(bytes.BE16(offset)) << 8) | bytes.U8(offset + 2);
}

// The tags from the data offset; a tag header or body that the file does not hold
// ends the walk.
void ReadTags(File64& file, uint64_t dataOffset, FlvInfo& info)
{
    uint64_t position = dataOffset;
    for (int i = 0; i < kFlvTagsRead; ++i) {
        const uint64_t tagStart = position + kPreviousTagSizeBytes;
        const ByteBuffer header = ReadAt(file, tagStart, kTagHeaderBytes);
        if (header.Size() < kTagHeaderBytes)
            return;
        const uint8_t type = header.U8(0);
        const uint32_t dataSize = BigEndian24(header, 1);
        // An empty body has no first byte to decode.
        if ((type == kFlvAudioTag || type == kFlvVideoTag) && dataSize > 0) {
            const ByteBuffer body = ReadAt(file, tagStart + kTagHeaderBytes, 1);
            if (body.Size() < 1)
                return;
            if (type == kFlvAudioTag)
                DecodeFlvAudioByte(body.U8(0), info);
            else
                DecodeFlvVideoByte(body.U8(0), info);
        }
        position = tagStart + kTagHeaderBytes + dataSize;
    }
}

}  // namespace

void DecodeFlvAudioByte(uint8_t b, FlvInfo& info)
{
    static constexpr float kRates[] = {5.5F, 11, 22, 44};
    info.HasAudio = true;
    info.Channels = (b & 0x01) != 0 ? "Stereo" : "Mono";
    info.SampleSize = (b & 0x02) != 0 ? 16 : 8;
    info.SampleRate = kRates[(b >> 2) & 0x03];
    switch (b >> 4) {
    case 0: info.AudioCodec = "uncompressed"; break;
    case 1: info.AudioCodec = "ADPCM"; break;
    case 2: info.AudioCodec = "MP3"; break;
    case 5:  // the 8-kHz mono Nellymoser format
        info.AudioCodec = "Nellymoser";
        info.SampleRate = 8;
        info.Channels = "Mono";
        break;
    case 6: info.AudioCodec = "Nellymoser"; break;
    default: break;
    }
}

void DecodeFlvVideoByte(uint8_t b, FlvInfo& info)
{
    switch (b & 0x0F) {
    case 2: info.VideoCodec = "Sorensen H.263"; break;
    case 3: info.VideoCodec = "Screen Video"; break;
    case 4: info.VideoCodec = "ON2 VP6"; break;
    case 5: info.VideoCodec = "ON2 VP6 alpha"; break;
    case 6: info.VideoCodec = "Screen Video"; break;
    case 7: info.VideoCodec = "H.264"; break;
    default: break;
    }
}

bool GetFlvInfo(const std::string& fileName, FlvInfo& info)
{
    File64 file;
    if (!file.OpenFile(fileName, true))
        return false;
    const ByteBuffer header = ReadAt(file, 0, kFlvHeaderBytes);
    const bool isFlv = header.Matches(0, "FLV");
    if (isFlv) {
        info.Version = header.U8(kVersionOffset);
        ReadTags(file, header.BE32(kDataOffsetOffset), info);
    }
    file.CloseFile();
    return isFlv;
}

void PutFlvInfoLines(const FlvInfo& info, bool ok, InfoLines& lines, StreamFlags& /*flags*/)
{
    lines[0] = ok ? "Flash Video V1" : "Flash Video";
    if (!ok)
        return;
    lines[1] = info.VideoCodec;
    if (!info.HasAudio)
        return;
    const std::string bits = info.SampleSize != 0 ? FormatWhole(info.SampleSize) + "bit " : "";
    lines[2] = info.AudioCodec + "  " + FormatSingle(info.SampleRate) + "kHz " + bits + info.Channels;
}

}  // namespace vistrel
