// The MPEG stream reader. The system layer (pack headers, the sequence header
// that belongs to it, the audio and DVD private streams of a program stream) and the
// reader's course; the video headers, the durations and the lines have their own files.
#include "mediainfo/MpegStreamInfo.h"

#include "mediainfo/MediaType.h"
#include "support/File64.h"

#include <algorithm>
#include <cctype>

namespace vistrel {

namespace {

constexpr size_t kPackNextCodeMin = 12, kPackNextCodeMax = 20;
constexpr size_t kSequenceAfterPackLimit = 512;
constexpr size_t kGopAfterSequenceLimit = 256;
constexpr size_t kAudioCodeWindow = 2500, kAudioCodeLimit = 63, kAudioSyncWindow = 2500;
constexpr int kMaxAudioCandidates = 101;
constexpr int32_t kDiscPacketLengthMin = 2201, kDiscPacketLengthMax = 2324;

bool IsVideoCd(const ByteBuffer& buffer)
{
    return buffer.Matches(0, "RIFF") && buffer.Matches(8, "CDXA");
}

bool IsMultipleOf8(const SequenceHeader& h)
{
    return h.Width % 8 == 0 && h.Height % 8 == 0;
}

// Without a pack header only the first sequence header counts, when a group of pictures
// starts less than 256 bytes after it.
size_t FindElementarySequenceHeader(const ByteBuffer& buffer)
{
    const auto& codes = MpegSync();
    const size_t s = FindBytes(buffer.Bytes(), codes.SequenceHeader, 0);
    if (s == kNotFound || FindBytes(buffer.Bytes(), codes.GroupOfPictures, s + 4, s + kGopAfterSequenceLimit) == kNotFound)
        return kNotFound;
    return s;
}

struct PrivateKind {
    PrivateAudioStreams* streams = nullptr;  // none for identifiers of other substreams
    int32_t kbps = 0;                        // added to the audio kbps sum
};

// The kind of a DVD private substream identifier.
PrivateKind ClassifyPrivateStream(uint8_t id, MpegInfo& info)
{
    if (id >= 0x80 && id <= 0x87)
        return {&info.Ac3, 448};
    if (id >= 0x88 && id <= 0x8F)
        return {&info.Dts, 384};
    if (id >= 0xA0 && id <= 0xA7)
        return {&info.Lpcm, 384};
    return {};
}

std::string HexIdentifier(uint8_t id)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[id >> 4], kDigits[id & 15], 'h'};
}

void AddPrivateStream(PrivateAudioStreams& kind, uint8_t id)
{
    kind.Present = true;
    ++kind.Count;
    kind.List += (kind.List.empty() ? "" : ",") + HexIdentifier(id);
}

// One audio stream slot after one pack; false when no header was handed to the parser.
bool TryAudioSlot(const ByteBuffer& buffer, size_t pack, int slot, MpegInfo& info)
{
    const auto bytes = ByteSpan(buffer.Bytes());
    const size_t a = FindBytes(bytes, MpegSync().AudioStreams[static_cast<size_t>(slot)], pack, pack + kAudioCodeWindow);
    if (a == kNotFound || a - pack >= kAudioCodeLimit)
        return false;
    const size_t headerLength = info.SystemVersion == info.VideoVersion ? buffer.U8(a + 8) : 4;
    const size_t from = a + headerLength + 9;
    const auto header = HeaderAt(bytes, FindMpegAudioFrame(bytes, false, from, from + kAudioSyncWindow));
    if (!header)
        return false;
    MpegAudioSlot& target = info.AudioStreams[static_cast<size_t>(slot)];
    if (ParseMpegAudioHeader(target.Audio, bytes, *header)) {
        target.Name = "C" + FormatWhole(slot);
        info.HasAudio = true;
        ++info.AudioStreamCount;
    }
    return true;
}

int32_t SlotKbpsSum(const MpegInfo& info)
{
    int32_t sum = 0;
    for (const MpegAudioSlot& slot : info.AudioStreams)
        sum += slot.Audio.Valid ? slot.Audio.BitRate : 0;
    return sum;
}

// Neither a pack nor a sequence header: an MPEG audio file, decoded into slot 0.
void ReadAudioFile(File64& file, const ByteBuffer& buffer, MpegInfo& info)
{
    MpegAudioInfo audio;
    if (!ReadMpegAudioFile(file, buffer.Bytes(), audio))
        return;
    info.AudioStreams[0].Audio = audio;
    info.HasAudio = true;
    info.AudioStreamCount = 1;
}

void ApplyDurationAndBitRate(const std::string& fileName, const SequenceHeader& header, int64_t fileSize,
                             MpegInfo& info)
{
    const bool vobOrTs = IsVobOrTsName(fileName);
    info.Duration = (info.Transport || vobOrTs) ? GetPtsDuration(fileName) : GetGopDuration(fileName, info.FrameRate);
    ApplyBitRate(header.BitRateValue, fileSize, vobOrTs, info);
}

bool ReadMpegInfo(const std::string& fileName, MpegInfo& info)
{
    File64 file;
    if (!file.OpenFile(fileName, true))
        return false;
    const int64_t fileSize = GetFileSize64(fileName);
    const ByteBuffer buffer(ReadFileBlock(file, fileSize, 0, kMpegReadBufferBytes));
    const std::optional<SequenceHeader> header = AnalyzeMpegBuffer(buffer, info);
    if (!info.ProgramStream && !header)
        ReadAudioFile(file, buffer, info);
    file.CloseFile();

    info.AudioKbpsSum += SlotKbpsSum(info);
    if (header)
        ApplyDurationAndBitRate(fileName, *header, std::max<int64_t>(fileSize, 0), info);
    info.Found = info.ProgramStream || info.HasVideo || info.HasAudio;
    return info.Found;
}

}  // namespace

size_t FindPackHeader(ByteSpan buffer, size_t start)
{
    const auto& codes = MpegSync();
    for (size_t p = FindBytes(buffer, codes.PackHeader, start); p != kNotFound;
         p = FindBytes(buffer, codes.PackHeader, p + 1)) {
        const size_t next = FindBytes(buffer, codes.Prefix, p + 4, p + kPackNextCodeMax + 1);
        if (next != kNotFound && next - p >= kPackNextCodeMin)
            return p;
    }
    return kNotFound;
}

size_t FindSystemSequenceHeader(const ByteBuffer& buffer)
{
    const auto bytes = ByteSpan(buffer.Bytes());
    size_t pack = FindPackHeader(bytes, 0);
    if (pack == kNotFound)
        return FindElementarySequenceHeader(buffer);
    for (; pack != kNotFound; pack = FindPackHeader(bytes, pack + 1)) {
        const size_t s = FindBytes(bytes, MpegSync().SequenceHeader, pack + 4, pack + kSequenceAfterPackLimit);
        if (s != kNotFound && IsMultipleOf8(ReadSequenceHeader(buffer, s)))
            return s;
    }
    return kNotFound;
}

std::string GetDiscKind(const ByteBuffer& buffer, float systemVersion)
{
    const size_t e = FindBytes(buffer.Bytes(), MpegSync().VideoStreams[0], 0);
    if (e == kNotFound || !buffer.Has(e + 4, 2))
        return {};
    const int32_t length = buffer.BE16(e + 4);
    if (length < kDiscPacketLengthMin || length > kDiscPacketLengthMax)
        return {};
    return systemVersion == 1 ? "(VCD)" : "(SVCD)";
}

void ScanProgramAudioStreams(const ByteBuffer& buffer, MpegInfo& info)
{
    const auto bytes = ByteSpan(buffer.Bytes());
    int candidates = 0;
    for (size_t pack = FindPackHeader(bytes, 0); pack != kNotFound; pack = FindPackHeader(bytes, pack + 1)) {
        for (int slot = 0; slot < 4; ++slot) {
            if (info.AudioStreams[static_cast<size_t>(slot)].Audio.Valid)
                continue;
            if (TryAudioSlot(buffer, pack, slot, info) && ++candidates == kMaxAudioCandidates)
                return;
        }
    }
}

void ScanPrivateStreams(const ByteBuffer& buffer, MpegInfo& info)
{
    const auto bytes = ByteSpan(buffer.Bytes());
    const auto& code = MpegSync().PrivateStream1;
    std::array<bool, 256> seen{};
    for (size_t b = FindBytes(bytes, code, 0); b != kNotFound; b = FindBytes(bytes, code, b + 1)) {
        const size_t idPos = b + 9 + buffer.U8(b + 8);
        if (!buffer.Has(idPos, 1))
            continue;
        const uint8_t id = buffer.U8(idPos);
        const PrivateKind kind = ClassifyPrivateStream(id, info);
        if (!kind.streams || seen[id])
            continue;
        seen[id] = true;
        AddPrivateStream(*kind.streams, id);
        info.AudioKbpsSum += kind.kbps;
    }
}

std::optional<SequenceHeader> AnalyzeMpegBuffer(const ByteBuffer& buffer, MpegInfo& info)
{
    info.VideoCD = IsVideoCd(buffer);
    info.Transport = buffer.U8(0) == 0x47;
    const size_t firstPack = FindPackHeader(buffer.Bytes(), 0);
    info.ProgramStream = firstPack != kNotFound;
    if (info.ProgramStream)
        info.SystemVersion = (buffer.U8(firstPack + 4) & 0xC0) == 0 ? 1.0f : 2.0f;

    std::optional<SequenceHeader> header;
    if (const size_t s = FindSystemSequenceHeader(buffer); s != kNotFound) {
        header = ReadSequenceHeader(buffer, s);
        info.HasVideo = true;
        ApplySequenceHeader(*header, info);
    }
    ApplyExtensions(buffer, info);
    if (info.VideoVersion == 0 && info.HasVideo)
        info.VideoVersion = 1;
    if (header)
        ApplyAspectRatio(header->AspectCode, info);

    info.DiscKind = GetDiscKind(buffer, info.SystemVersion);
    if (info.ProgramStream)
        ScanProgramAudioStreams(buffer, info);
    ScanPrivateStreams(buffer, info);
    return header;
}

bool IsVobOrTsName(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == "VOB" || extension == "TS";
}

std::vector<uint8_t> ReadFileBlock(File64& file, int64_t fileSize, int64_t offset, size_t count)
{
    std::vector<uint8_t> block;
    offset = std::max<int64_t>(offset, 0);
    if (fileSize >= 0)
        count = static_cast<size_t>(std::clamp<int64_t>(fileSize - offset, 0, static_cast<int64_t>(count)));
    if (count == 0)
        return block;
    const auto position = static_cast<uint64_t>(offset);
    file.SeekToAbsolute64(static_cast<uint32_t>(position >> 32), static_cast<uint32_t>(position));
    const int32_t read = file.ReadBytes(static_cast<int32_t>(count), block);
    block.resize(static_cast<size_t>(std::max(read, 0)));
    return block;
}

bool GetMpegInfo(const std::string& fileName, MpegInfo& info)
{
    info = MpegInfo{};
    try {
        return ReadMpegInfo(fileName, info);
    } catch (...) {  // a reader never throws (the file object raises only without a file)
        info = MpegInfo{};
        return false;
    }
}

}  // namespace vistrel
