#include "mediainfo/MediaType.h"

#include "support/File64.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

uint8_t AsciiLower(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
}

uint8_t AsciiUpper(uint8_t c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

// The header window: 2049 bytes, so that a two-byte test at the last of the 2048 bytes read
// always has a byte after it. Positions count from 1.
class HeaderWindow {
public:
    explicit HeaderWindow(std::vector<uint8_t> bytes) : bytes_(std::move(bytes))
    {
        bytes_.resize(kHeaderWindowBytes + 1, 0);
    }

    // True when `text` stands at position `pos` (1-based), byte for byte.
    bool At(size_t pos, std::string_view text) const
    {
        return std::memcmp(bytes_.data() + pos - 1, text.data(), text.size()) == 0;
    }
    bool AtAnyCase(size_t pos, std::string_view text) const
    {
        for (size_t i = 0; i < text.size(); ++i) {
            if (AsciiLower(bytes_[pos - 1 + i]) != AsciiLower(static_cast<uint8_t>(text[i])))
                return false;
        }
        return true;
    }
    // 1-based position of the first occurrence, 0 when absent.
    size_t Find(std::string_view text) const
    {
        const void* hit = ::memmem(bytes_.data(), bytes_.size(), text.data(), text.size());
        return hit ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes_.data()) + 1 : 0;
    }
    size_t FindAnyCase(std::string_view text) const
    {
        const auto first = static_cast<uint8_t>(text.front());
        const size_t last = bytes_.size() - text.size() + 1;  // last 1-based start
        for (size_t pos = 1; pos <= last; ++pos) {
            if (AsciiLower(first) == first && AsciiUpper(first) == first) {
                // A first character without case: let memchr skip to its next occurrence.
                const void* hit = ::memchr(bytes_.data() + pos - 1, first, last - pos + 1);
                if (!hit)
                    return 0;
                pos = static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes_.data()) + 1;
            }
            if (AtAnyCase(pos, text))
                return pos;
        }
        return 0;
    }
    bool Contains(std::string_view text) const { return Find(text) != 0; }
    bool ContainsAnyCase(std::string_view text) const { return FindAnyCase(text) != 0; }
    uint8_t Byte(size_t pos) const { return bytes_[pos - 1]; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

std::string_view AsText(const std::vector<uint8_t>& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

const std::vector<uint8_t>& AsfHeaderGuid()
{
    static const auto guid = HexToBytes("3026B2758E66CF11A6D900AA0062CE6C");
    return guid;
}

MediaType TestLeadingSignatures(const HeaderWindow& w)
{
    if (w.At(1, "MThd")) return mt::Midi;
    if (w.At(1, ".snd")) return mt::SunAu;
    if (w.At(1, "FORM")) return mt::Aiff;
    if (w.At(1, "OggS")) return mt::Ogg;
    if (w.At(1, ".RMF")) return mt::Real;
    if (w.At(1, "FLV")) return mt::Flv;
    if (w.At(1, "fLaC")) return mt::Flac;
    for (const char* box : {"moov", "mdat", "pnot", "wide", "ftyp"}) {
        if (w.At(5, box)) return mt::Mov;
    }
    if (w.Contains("matroska")) return mt::Matroska;
    if (w.At(1, AsText(MpegSync().SequenceHeader)) || w.At(1, AsText(MpegSync().PackHeader)))
        return mt::Mpeg;
    if (w.At(1, "\x1A\x45\xDF\xA3")) return mt::Ebml;
    if (w.At(1, AsText(AsfHeaderGuid()))) {
        if (w.Contains("WMV")) return mt::Wmv;
        if (w.Contains("WMA")) return mt::Wma;
        return mt::Asf;
    }
    return mt::NoMM;
}

// The RIFF forms; Riff (6) for other forms, which a later signature (HTML, a frame sync)
// may still replace.
MediaType TestRiff(const HeaderWindow& w)
{
    if (!w.At(1, "RIFF")) return mt::NoMM;
    if (w.At(9, "WAVE")) return mt::Wave;
    if (w.At(9, "CDXA")) return mt::Mpeg;
    if (w.At(9, "RMID")) return mt::Midi;
    if (w.At(9, "WEBP")) return mt::WebP;
    if (w.Contains("AVI ") && w.Contains("hdrl")) return mt::Avi;
    return mt::Riff;
}

bool AllBytesAre(const std::vector<uint8_t>& bytes, size_t count, uint8_t value)
{
    return std::all_of(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(count),
                       [value](uint8_t b) { return b == value; });
}

MediaType TestForeignFormats(const HeaderWindow& w)
{
    if (w.ContainsAnyCase("<html>")) return mt::Html;
    if (w.AtAnyCase(1, "%PDF")) return mt::Pdf;
    if (w.AtAnyCase(1, "MZ")) return mt::Exe;
    if (w.AtAnyCase(1, "Rar!")) return mt::Rar;
    if (w.At(1, "PK")) return mt::Zip;
    if (w.At(1, "7z")) return mt::SevenZip;
    if (w.Byte(1) == 0x0B && w.Byte(2) == 0x77) return mt::Ac3;
    if (IsAllZero(w.Bytes())) return mt::AllZero;
    if (AllBytesAre(w.Bytes(), kHeaderWindowBytes, 0xFF)) return mt::AllFF;
    return mt::NoMM;
}

bool HasMpegFrameSync(const HeaderWindow& w)
{
    const size_t seq = w.Find(AsText(MpegSync().SequenceHeader));
    if (seq >= 1 && seq <= 255) return true;
    const auto& bytes = w.Bytes();
    // The last byte of the window is always 0, so every 0xFF has a byte after it.
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] & 0xE0) == 0xE0) return true;
    }
    return false;
}

bool ReadHeaderWindow(const std::string& fileName, std::vector<uint8_t>& window)
{
    const int fd = OpenUserFile(fileName, O_RDONLY);
    if (fd < 0) return false;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    window.assign(kHeaderWindowBytes, 0);
    ssize_t n;
    do {
        n = ::read(fd, window.data(), kHeaderWindowBytes);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    return n >= 0;
}

MpegSyncCodes BuildMpegSyncCodes()
{
    const auto code = [](uint8_t last) { return std::vector<uint8_t>{0x00, 0x00, 0x01, last}; };
    MpegSyncCodes c;
    c.Prefix = {0x00, 0x00, 0x01};
    c.PackHeader = code(0xBA);
    c.SequenceHeader = code(0xB3);
    c.GroupOfPictures = code(0xB8);
    c.Extension = code(0xB5);
    c.PrivateStream1 = code(0xBD);
    for (uint8_t i = 0; i < 8; ++i) {
        c.VideoStreams.push_back(code(static_cast<uint8_t>(0xE0 + i)));
        c.AudioStreams.push_back(code(static_cast<uint8_t>(0xC0 + i)));
    }
    return c;
}

MpegSyncCodes& SyncCodeTable()
{
    static MpegSyncCodes table = BuildMpegSyncCodes();
    return table;
}

}  // namespace

void InitMpegSyncCodes()
{
    SyncCodeTable() = BuildMpegSyncCodes();
}

const MpegSyncCodes& MpegSync()
{
    return SyncCodeTable();
}

std::vector<uint8_t> HexToBytes(std::string_view hex)
{
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 0;
    };
    std::vector<uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    return bytes;
}

bool IsAllZero(const std::vector<uint8_t>& bytes)
{
    return AllBytesAre(bytes, bytes.size(), 0);
}

int64_t GetFileSize64(const std::string& fileName)
{
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

MediaType GetMediaTypeFromWindow(std::vector<uint8_t> bytes)
{
    const HeaderWindow w(std::move(bytes));
    if (const MediaType t = TestLeadingSignatures(w); t != mt::NoMM) return t;
    const MediaType riff = TestRiff(w);
    if (riff != mt::NoMM && riff != mt::Riff) return riff;
    if (w.At(1, "ID3")) return mt::Mpeg;
    if (const MediaType t = TestForeignFormats(w); t != mt::NoMM) return t;
    if (HasMpegFrameSync(w)) return mt::Mpeg;
    return riff;
}

MediaType GetMediaType(const std::string& fileName)
{
    // A FIFO, socket or device has no size and no bytes of a file: unreadable as media.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return mt::Unreadable;
    const int64_t size = st.st_size;
    if (size == 0) return mt::ZeroSize;
    if (size > 0 && size < 32) return mt::TooSmall;
    std::vector<uint8_t> window;
    if (!ReadHeaderWindow(fileName, window)) return mt::Unreadable;
    return GetMediaTypeFromWindow(std::move(window));
}

std::string GetMediaTypeName(MediaType code)
{
    switch (code) {
    case mt::NoMM: return "NO_MM";
    case mt::Wave: return "WAV";
    case mt::Mpeg: return "MPEG";
    case mt::Avi: return "AVI";
    case mt::Ogg: return "Ogg Vorbis";
    case mt::Midi: return "MIDI";
    case mt::Riff: return "RIFF";
    case mt::Wma: return "WMA";
    case mt::Wmv: return "WMV";
    case mt::Asf: return "ASF";
    case mt::SunAu: return "Sun AU";
    case mt::Mov: return "MOV";
    case mt::Ac3: return "AC3";
    case mt::Dts: return "DTS";
    case mt::Real: return "Real";
    case mt::Matroska: return "matroska";
    case mt::Flac: return "FLAC";
    case mt::ZeroSize: return "ZERO SIZE";
    case mt::Html: return "HTML";
    default: return {};
    }
}

}  // namespace vistrel
