#include "mediainfo/QuicktimeInfo.h"

#include "mediainfo/ByteBuffer.h"
#include "mediainfo/MediaType.h"
#include "support/File64.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace vistrel {

namespace {

constexpr int64_t kWindowBytes = 1000000;
constexpr int64_t kLargestCountedFileSize = 2147483647;
constexpr uint64_t kLargestSeekPosition = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

enum class MediaKind { Other = 0, Sound = 1, Video = 2 };

// Positions past 4 GiB are sought with their high half instead of being cut to 32 bits
// (which could send the walk back to an earlier atom).
void SeekTo(File64& file, uint64_t position)
{
    if (position <= std::numeric_limits<uint32_t>::max())
        file.SeekToAbsolute(static_cast<uint32_t>(position));
    else
        file.SeekToAbsolute64(static_cast<uint32_t>(position >> 32), static_cast<uint32_t>(position));
}

// The read window: the bytes that the last read put into it and the file position they
// start at. Every value is read by file position; one that does not lie wholly inside the
// data read gives nothing, which ends the walk.
class AtomWindow {
public:
    AtomWindow(File64& file, int32_t length) : file_(file), length_(length) {}

    void ReadAt(uint64_t position)
    {
        std::vector<uint8_t> bytes;
        SeekTo(file_, position);
        const int32_t count = file_.ReadBytes(length_, bytes);
        bytes.resize(static_cast<size_t>(std::max(count, 0)));
        data_ = ByteBuffer(std::move(bytes));
        start_ = position;
    }
    bool IsEmpty() const { return data_.Size() == 0; }
    bool HoldsPosition(uint64_t position) const { return Holds(position, 1); }

    std::optional<uint16_t> U16(uint64_t position) const
    {
        return Holds(position, 2) ? std::optional(data_.BE16(Offset(position))) : std::nullopt;
    }
    std::optional<uint32_t> U32(uint64_t position) const
    {
        return Holds(position, 4) ? std::optional(data_.BE32(Offset(position))) : std::nullopt;
    }
    std::optional<uint64_t> U64(uint64_t position) const
    {
        return Holds(position, 8) ? std::optional(data_.BE64(Offset(position))) : std::nullopt;
    }
    std::optional<std::string> Text(uint64_t position, size_t count) const
    {
        return Holds(position, count) ? std::optional(data_.Text(Offset(position), count)) : std::nullopt;
    }

private:
    bool Holds(uint64_t position, size_t count) const
    {
        return position >= start_ && position - start_ <= data_.Size() && data_.Has(Offset(position), count);
    }
    size_t Offset(uint64_t position) const { return static_cast<size_t>(position - start_); }

    File64& file_;
    int32_t length_;
    uint64_t start_ = 0;
    ByteBuffer data_;
};

// What the walk needs to know of where it is: whether the container entered last is "udta"
// and its first leaf's type starts with "CN" (Canon's user data, after which a size field of
// 0 is passed over). Keeping just that avoids a path text that grows with every leaf.
class AtomPath {
public:
    void EnterContainer(const std::string& type)
    {
        container_ = type;
        leafSeen_ = false;
        canonUserData_ = false;
    }
    void AddLeaf(const std::string& type)
    {
        if (!leafSeen_)
            canonUserData_ = container_ == "udta" && type.starts_with("CN");
        leafSeen_ = true;
    }
    bool HoldsCanonUserData() const { return canonUserData_; }

private:
    std::string container_;
    bool leafSeen_ = false;
    bool canonUserData_ = false;
};

struct AtomHeader {
    uint64_t start = 0;  // file position of the size field
    uint64_t size = 0;   // the 32-bit size, or the 64-bit one that follows the type when that is 1
    std::string type;
    uint64_t body = 0;   // file position of the body
};

// The atom header at `position` (size, type and, for size 1, the 64-bit size); nothing when
// the header lies past the window's data or its size is negative (the walk stops).
std::optional<AtomHeader> ReadAtomHeader(const AtomWindow& window, uint64_t position, const AtomPath& path)
{
    auto size = window.U32(position);
    if (size && *size == 0 && path.HoldsCanonUserData()) {
        position += 4;
        size = window.U32(position);
    }
    const auto type = window.Text(position + 4, 4);
    if (!size || !type || *size >= 0x80000000u)
        return std::nullopt;
    AtomHeader header{position, *size, *type, position + 8};
    if (*size == 1) {  // ISO/IEC 14496-12 "largesize"
        const auto largeSize = window.U64(header.body);
        if (!largeSize || *largeSize > kLargestSeekPosition)
            return std::nullopt;
        header.size = *largeSize;
        header.body += 8;
    }
    return header;
}

const char* ChannelsText(uint16_t count)
{
    constexpr std::array<const char*, 5> kTexts = {nullptr, "Mono", "Stereo", "3ch", "4ch"};
    return count < kTexts.size() ? kTexts[count] : nullptr;
}

// Blanks only, at both ends: tabs and NUL bytes stay.
std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string CutAtNul(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

// The leaf handlers: False when a value lay past the window's data (the walk ends; what
// was set before stays).

bool ReadTrackHeader(const AtomWindow& window, uint64_t body, QuicktimeInfo& info)
{
    // The integer parts of the 16.16 width and height at 76 and 80.
    const auto width = window.U32(body + 74);
    const auto height = window.U32(body + 78);
    if (!width || !height)
        return false;
    if ((*width & 0xFFFF) >= 1 && (*height & 0xFFFF) >= 1) {
        info.Width = static_cast<int32_t>(*width & 0xFFFF);
        info.Height = static_cast<int32_t>(*height & 0xFFFF);
    }
    return true;
}

bool ReadVideoSampleCount(const AtomWindow& window, uint64_t body, uint32_t& videoSampleCount)
{
    const auto count = window.U32(body + 8);
    if (count)
        videoSampleCount = *count;
    return count.has_value();
}

bool ReadMediaHeader(const AtomWindow& window, uint64_t body, uint32_t videoSampleCount, QuicktimeInfo& info)
{
    const auto timeScale = window.U32(body + 12);
    if (!timeScale)
        return false;
    uint32_t duration = 0;
    if (videoSampleCount > 0) {
        const auto value = window.U32(body + 16);
        if (!value)
            return false;
        duration = *value;
    }
    if (const float rate = QuicktimeFrameRate(*timeScale, duration, videoSampleCount); rate > 0)
        info.FrameRate = rate;
    return true;
}

bool ReadSoundSampleEntry(const AtomWindow& window, uint64_t body, QuicktimeInfo& info)
{
    const auto code = window.Text(body + 12, 4);
    if (!code)
        return false;
    info.AudioCodec = QuicktimeCodecName(*code);
    const auto channels = window.U16(body + 32);
    if (!channels)
        return false;
    if (const char* text = ChannelsText(*channels))
        info.Channels = text;
    const auto sampleSize = window.U16(body + 34);
    if (!sampleSize)
        return false;
    if (*sampleSize > 0)
        info.SampleSize = *sampleSize;
    // The 2 bytes before the integer part of the 16.16 rate at 40 belong to the value.
    const auto sampleRate = window.U32(body + 38);
    if (!sampleRate)
        return false;
    if (*sampleRate >= 1000 && *sampleRate < 100000)
        info.SampleRate = static_cast<float>(*sampleRate);
    return true;
}

bool ReadVideoCodecs(const AtomWindow& window, uint64_t body, QuicktimeInfo& info)
{
    const auto code = window.Text(body + 12, 4);
    if (!code)
        return false;
    if (const std::string trimmed = TrimBlanks(*code); !trimmed.empty())
        info.VideoCodec = QuicktimeCodecName(trimmed);
    const auto code2 = window.Text(body + 16, 4);
    if (!code2)
        return false;
    if (const std::string cut = CutAtNul(TrimBlanks(*code2)); !cut.empty())
        info.VideoCodec2 = QuicktimeCodecName(cut);
    return true;
}

bool ReadVideoSampleEntry(const AtomWindow& window, uint64_t body, QuicktimeInfo& info)
{
    if (info.VideoCodec.empty() && !ReadVideoCodecs(window, body, info))
        return false;
    if (info.Width < 10 || info.Height < 10) {
        const auto width = window.U16(body + 40);
        const auto height = window.U16(body + 42);
        if (!width || !height)
            return false;
        if (*width >= 1 && *height >= 1) {
            info.Width = *width;
            info.Height = *height;
        }
    }
    if (info.ColourDepth < 4) {
        const auto depth = window.U16(body + 90);
        if (!depth)
            return false;
        if (*depth >= 1 && *depth <= 32)
            info.ColourDepth = *depth;
    }
    return true;
}

struct WalkState {
    MediaKind kind = MediaKind::Other;
    uint32_t videoSampleCount = 0;
};

// What a leaf atom gives; False when a value it needs lay past the window's data.
bool HandleLeaf(const AtomWindow& window, const AtomHeader& atom, WalkState& state, QuicktimeInfo& info)
{
    const std::string& type = atom.type;
    const bool video = state.kind == MediaKind::Video;
    if (type == "cmov")
        info.CompressedMovie = true;
    else if (type == "mvhd" || type == "vmhd")
        state.kind = MediaKind::Video;
    else if (type == "smhd")
        state.kind = MediaKind::Sound;
    else if (type == "nmhd")
        state.kind = MediaKind::Other;
    else if (type == "tkhd")
        return ReadTrackHeader(window, atom.body, info);
    else if (type == "stsz" && video)
        return ReadVideoSampleCount(window, atom.body, state.videoSampleCount);
    else if (type == "mdhd" && video && info.FrameRate == 0)
        return ReadMediaHeader(window, atom.body, state.videoSampleCount, info);
    else if (type == "stsd" && state.kind == MediaKind::Sound)
        return ReadSoundSampleEntry(window, atom.body, info);
    else if (type == "stsd" && video)
        return ReadVideoSampleEntry(window, atom.body, info);
    return true;
}

// After a leaf: the position of the next header, the window read anew there when it is not
// inside the data; nothing when the walk stops.
std::optional<uint64_t> SkipLeaf(AtomWindow& window, const AtomHeader& atom)
{
    if (atom.size == 0 || atom.start > kLargestSeekPosition || atom.size > kLargestSeekPosition - atom.start)
        return std::nullopt;
    const uint64_t next = atom.start + atom.size;
    if (!window.HoldsPosition(next)) {
        window.ReadAt(next);
        if (window.IsEmpty())
            return std::nullopt;
    }
    return next;
}

void WalkAtoms(AtomWindow& window, QuicktimeInfo& info)
{
    WalkState state;
    AtomPath path;
    uint64_t position = 0;
    for (;;) {
        const auto atom = ReadAtomHeader(window, position, path);
        if (!atom)
            return;
        if (atom->type == "ftyp") {
            const auto brand = window.Text(atom->body, 4);
            if (!brand)
                return;
            info.Brand = *brand;
        }
        if (IsQuicktimeContainer(atom->type)) {
            path.EnterContainer(atom->type);
            position = atom->body;
            continue;
        }
        path.AddLeaf(atom->type);
        if (!HandleLeaf(window, *atom, state, info))
            return;
        const auto next = SkipLeaf(window, *atom);
        if (!next)
            return;
        position = *next;
    }
}

int32_t WindowLength(const std::string& fileName)
{
    const int64_t size = std::min(GetFileSize64(fileName), kLargestCountedFileSize);
    return static_cast<int32_t>(std::clamp<int64_t>(size, 0, kWindowBytes));
}

std::string VideoLine(const QuicktimeInfo& info)
{
    std::string line = Latin1ToUtf8(info.VideoCodec) + "  " + FormatWhole(info.Width) + "x" + FormatWhole(info.Height);
    if (info.FrameRate > 0)
        line += " " + FormatSingle(info.FrameRate) + "fps";
    if (info.ColourDepth > 0)
        line += " " + FormatWhole(info.ColourDepth) + "bit";
    return line;
}

std::string AudioLine(const QuicktimeInfo& info)
{
    std::string line = Latin1ToUtf8(info.AudioCodec) + "  " + FormatSingle(info.SampleRate) + "Hz ";
    if (info.SampleSize > 0)
        line += FormatWhole(info.SampleSize) + "bit ";
    return line + Latin1ToUtf8(info.Channels);
}

}  // namespace

bool IsQuicktimeContainer(const std::string& type)
{
    static constexpr std::array<std::string_view, 14> kContainers = {
        "moov", "trak", "udta", "tref", "imap", "mdia", "minf",
        "stbl", "edts", "mdra", "rmra", "imag", "vnrp", "dinf"};
    return std::find(kContainers.begin(), kContainers.end(), type) != kContainers.end();
}

float QuicktimeFrameRate(uint32_t timeScale, uint32_t duration, uint32_t sampleCount)
{
    if (sampleCount == 0)
        return 0;
    const double sampleDuration = std::floor(static_cast<double>(duration) / sampleCount + 0.5);
    if (sampleDuration < 1)
        return 0;
    const double rate = timeScale / sampleDuration;
    if (rate <= 0 || rate > 100)
        return 0;
    return static_cast<float>(std::floor(rate + 0.5));
}

bool GetQuicktimeInfo(const std::string& fileName, QuicktimeInfo& info)
{
    const int32_t windowLength = WindowLength(fileName);
    File64 file;
    if (!file.OpenFile(fileName, true))
        return false;
    AtomWindow window(file, windowLength);
    window.ReadAt(0);
    WalkAtoms(window, info);
    file.CloseFile();
    return true;
}

void PutQuicktimeInfoLines(const QuicktimeInfo& info, bool ok, InfoLines& lines, StreamFlags& /*flags*/)
{
    if (!ok)
        return;
    lines[0] = "Quicktime";
    if (info.Width > 0)
        lines[1] = VideoLine(info);
    if (!info.AudioCodec.empty())
        lines[2] = AudioLine(info);
    else if (info.CompressedMovie)
        lines[2] = "compressed video";
}

}  // namespace vistrel
