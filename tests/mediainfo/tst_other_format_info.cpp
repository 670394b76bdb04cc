// The MIDI, FLAC, Sun AU, AIFF, WebP, AC-3 and Ogg readers: headers built byte by byte for
// the hostile, short and boundary cases, then a few files written by other tools.
#include "mediainfo/Ac3Info.h"
#include "mediainfo/AiffInfo.h"
#include "mediainfo/AuInfo.h"
#include "mediainfo/FlacInfo.h"
#include "mediainfo/MediaType.h"
#include "mediainfo/MidiInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/WebpInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using test::ByteWriter, test::Cat, test::Lines;
using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(vistrel::InfoLines)

namespace {

Bytes Midi(uint16_t format, uint16_t tracks) { return ByteWriter().Text("MThd").BE32(6).BE16(format).BE16(tracks).BE16(96); }
// STREAMINFO after the block header: block and frame sizes, then 20 bits of sample rate, 3 of
// channels - 1, 5 of bits - 1 and 36 of the sample count.
Bytes Flac(uint64_t rate, uint64_t ch, uint64_t bits)
{
    return ByteWriter().Text("fLaC").BE32(0x80000022).Fill(10).BE64(rate << 44 | (ch - 1) << 41 | (bits - 1) << 36);
}
Bytes Au(uint32_t code, uint32_t rate, uint32_t ch) { return ByteWriter().Text(".snd").Fill(8).BE32(code).BE32(rate).BE32(ch); }
// The 18-byte COMM body: channels, frames, sample size, an 80-bit rate of 22050 Hz.
Bytes Comm(uint16_t ch, uint16_t bits) { return ByteWriter().BE16(ch).BE32(1000).BE16(bits).BE16(0x400D).BE16(0xAC44).Fill(6); }
Bytes Aiff(uint16_t channels, uint16_t bits, std::string_view next = "SSND")
{
    return ByteWriter().Text("FORM").BE32(100).Text("AIFFCOMM").BE32(18).Raw(Comm(channels, bits)).Text(next).BE32(8).Fill(16);
}
Bytes Aifc(uint16_t channels, uint16_t bits, std::string_view name)
{
    return ByteWriter().Text("FORM").BE32(100).Text("AIFCFVER").BE32(4).BE32(0xA2805140).Text("COMM").BE32(23 + name.size())
        .Raw(Comm(channels, bits)).Text("ima4").U8(name.size()).Text(name);
}
Bytes Webp(std::string_view chunk) { return ByteWriter().Text("RIFFxxxxWEBP").Text(chunk).LE32(10).Fill(30, 0x2A); }
// A sync frame: sync word, CRC, fscod and frmsizecod, bsid and bsmod, then acmod in the top
// three bits of byte 6 followed by the `count` bits of `fields`.
Bytes Ac3(uint8_t rateByte, uint16_t acmod, uint16_t fields, int count)
{
    return ByteWriter().BE16(0x0B77).BE16(0x1234).U8(rateByte).U8(0x40).BE16(acmod << 13 | fields << (13 - count)).Fill(120);
}
// One page; the reader looks only at its start.
Bytes Ogg(const Bytes& p) { return ByteWriter().Text("OggS").U8(0).U8(2).Fill(20).U8(1).U8(p.size()).Raw(p); }
struct OgmVideo {
    std::string subtype = "DX50";
    uint32_t size = 0x38;
    uint64_t timeUnit = 400000;  // 100 ns units: 25 fps
    uint32_t bits = 24, width = 640, height = 480;
};
Bytes Video(const OgmVideo& v)
{
    return ByteWriter().U8(1).Text("video").Fill(3).Text(v.subtype).LE32(v.size).LE64(v.timeUnit).LE64(1).LE32(1).LE32(65536)
        .LE16(v.bits).LE16(0).LE32(v.width).LE32(v.height);
}
Bytes Audio(std::string_view subtype, uint64_t rate, uint16_t channels)
{
    return ByteWriter().U8(1).Text("audio").Fill(3).Text(subtype).LE32(0x34).LE64(10000000).LE64(rate).LE32(1).LE32(4096)
        .LE16(16).LE16(0).LE16(channels).LE16(4).LE32(16000);
}
Bytes Vorbis(uint8_t ch, uint32_t rate) { return ByteWriter().U8(1).Text("vorbis").LE32(0).U8(ch).LE32(rate).Fill(14); }
Bytes Text(std::string_view text, size_t fill = 0) { return ByteWriter().Text(text).Fill(fill); }
Bytes Cut(Bytes bytes, size_t size) { return bytes.resize(size), bytes; }

// The lines of a reader for the file, after every cut of `bytes` (up to 512) went through its
// block parser in a buffer of exactly that size, where AddressSanitizer sees any read past it.
template <class Info>
InfoLines Run(const std::string& path, const Bytes& bytes, bool (*get)(const std::string&, Info&),
              bool (*parse)(ByteSpan, Info&), void (*put)(const Info&, bool, InfoLines&, StreamFlags&))
{
    Info info;
    for (size_t n = 0; n <= std::min<size_t>(bytes.size(), 512); ++n)
        parse(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)), info);
    InfoLines lines;
    StreamFlags flags;
    put(info, get(path, info), lines, flags);
    return lines;
}
InfoLines Read(MediaType type, const std::string& path, const Bytes& bytes)
{
    switch (type) {
    case mt::Midi: return Run(path, bytes, GetMidiInfo, ParseMidiBlock, PutMidiInfoLines);
    case mt::Flac: return Run(path, bytes, GetFlacInfo, ParseFlacBlock, PutFlacInfoLines);
    case mt::SunAu: return Run(path, bytes, GetAuInfo, ParseAuBlock, PutAuInfoLines);
    case mt::Aiff: return Run(path, bytes, GetAiffInfo, ParseAiffBlock, PutAiffInfoLines);
    case mt::WebP: return Run(path, bytes, GetWebpInfo, ParseWebpBlock, PutWebpInfoLines);
    case mt::Ac3: return Run(path, bytes, GetAc3Info, ParseAc3Block, PutAc3InfoLines);
    default: return Run(path, bytes, GetOggInfo, ParseOggBlock, PutOggInfoLines);
    }
}
void Row(const char* name, MediaType type, const Bytes& b, const InfoLines& l) { QTest::newRow(name) << int(type) << b << l; }

}  // namespace

class TestOtherFormatInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // A reader that fails leaves every line empty (WebP names itself even then).
    void readerLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        const InfoLines none;
        const auto midi = [](const char* name, const Bytes& bytes, const char* text, const char* riff = "") {
            Row(name, mt::Midi, bytes, Lines({riff, "MIDI", text}));
        };
        midi("MIDI format 3: no description", Midi(3, 4), "");
        midi("MIDI format 0x0101: its low byte", Midi(0x0101, 2), "2 synchronous tracks");
        midi("MIDI cut after the format: blanks", Cut(Midi(1, 2), 10), "8224 synchronous tracks");

        Row("FLAC 96000 Hz, 6 channels, 24 bits", mt::Flac, Flac(96000, 6, 24), Lines({"FLAC", "96000Hz", "24bit  6channels"}));
        // The missing bytes read as blanks: rate 0x20202, channel bits 000, sample size bits 00010.
        Row("FLAC of 4 bytes: blanks", mt::Flac, Text("fLaC"), Lines({"FLAC", "131586Hz", "3bit  1channels"}));

        Row("AU rate beyond signed 32 bits", mt::SunAu, Au(2, 0x80000000u, 2), Lines({"Sun AU", "8bit PCM", "0Hz  Stereo"}));
        Row("AU cut after encoding: blanks", mt::SunAu, Cut(Au(3, 0, 0), 16), Lines({"Sun AU", "16bit PCM", "538976288Hz  "}));

        Row("AIFF-C name cleaned", mt::Aiff, Aifc(1, 8, " IMA 4:1\0xx"s), Lines({"Apple AIFF-C", "IMA 4:1", "8bit", "Mono"}));
        Row("AIFF-C name of 40 bytes", mt::Aiff, Aifc(4, 24, std::string(40, 'n')),
            Lines({"Apple AIFF-C", std::string(32, 'n'), "24bit", "Quad"}));
        Row("AIFF next chunk code cleaned", mt::Aiff, Aiff(1, 8, "AB\0 "s), Lines({"Apple AIFF", "AB", "8bit", "Mono"}));
        Row("AIFF 3 channels, size 0x0118", mt::Aiff, Aiff(3, 0x0118), Lines({"Apple AIFF", "SSND", "24bit", ""}));
        Row("AIFF 0 channels, 0 bits", mt::Aiff, Aiff(0, 0), Lines({"Apple AIFF", "SSND", "", "0ch."}));
        Row("AIFX", mt::Aiff, ByteWriter().Raw(Aiff(2, 16)).PlaceAt(11, {'X'}), Lines({"Apple ", "", "16bit", "Stereo"}));
        Row("AIFF without COMM", mt::Aiff, ByteWriter().Text("FORM").BE32(20).Text("AIFFSSND").BE32(8).Fill(8), none);
        Row("FORM 8SVX", mt::Aiff, Text("FORM\0\0\0\x1E" "8SVXCOMM"s, 30), none);
        Row("AIFF cut after COMM: blanks", mt::Aiff, Text("FORM\0\0\0\4AIFFCOMM"s), Lines({"Apple AIFF", "", "32bit", "32ch."}));

        Row("WebP of 31 bytes", mt::WebP, Cut(Webp("VP8 "), 31), Lines({"WEBP"}));
        Row("WebP of 32 bytes: the code with its blank", mt::WebP, Cut(Webp("VP8 "), 32), Lines({"WEBP  VP8 "}));

        const auto ac3 = [](const char* name, const Bytes& bytes, const char* rates, const char* channels) {
            Row(name, mt::Ac3, bytes, Lines({"AC3 Audio Stream", rates, channels}));
        };
        ac3("AC-3 LFE, code 37", Ac3(0x80 | 37, 2, 0b011, 3), "640kbps  32000Hz", "Stereo + Bass  No Dolby Surround");
        ac3("AC-3 5.1", Ac3(0x1E, 7, 0b00001, 5), "448kbps  48000Hz", "5+1 channels");
        ac3("AC-3 reserved rate, code 38", Ac3(0xC0 | 38, 1, 0, 1), "0Hz", "Mono");
        ac3("AC-3 of 2 bytes: zeros", ByteWriter().BE16(0x0B77), "32kbps  48000Hz", "Dual Channel");

        const auto ogg = [](const char* name, const Bytes& bytes, const char* video, const char* audio = "") {
            Row(name, mt::Ogg, bytes, Lines({"OGG media", video, audio}));
        };
        ogg("Ogg video, rate cut to 24.999", Ogg(Video({.timeUnit = 400001})), "DX50  640x480  24.999fps  24bit");
        // The first try at 12 reads the subtype's last byte 'P' and the size: 0x00061A50 = 399952.
        ogg("Ogg time at 12", Ogg(Video({.subtype = "DX5P", .size = 0x061A, .timeUnit = 1})), "DX5P  640x480  25.003fps  24bit");
        ogg("Ogg rate out of range, 65 bits, sides 0 and 65536",
            Ogg(Video({.timeUnit = 100000, .bits = 65, .width = 0, .height = 65536})), "DX50  x");
        ogg("Ogg time unit with its top bit set", Ogg(Video({.timeUnit = 0x80000000u, .width = 65535, .height = 1})),
            "DX50  65535x1  0.004fps  24bit");
        ogg("Ogg codec trimmed, cut at NUL", Ogg(Video({.subtype = " X\0Y"s})), "X  640x480  25fps  24bit");
        ogg("Ogg Vorbis 96 kHz, 6 channels", Ogg(Vorbis(6, 96000)), "", "vorbis  30464Hz  ");
        ogg("Ogg audio subtype not hexadecimal", Ogg(Audio("mp3 ", 22050, 1)), "", "UNKNOWN  22050Hz  Mono");
        ogg("Ogg audio over Vorbis", Cat({Ogg(Vorbis(1, 22050)), Ogg(Audio("0001", 48000, 2))}), "", "PCM  48000Hz  Stereo");
        ogg("Ogg audio out of range", Cat({Ogg(Audio("0001", 200000, 6)), Ogg(Vorbis(2, 32000))}), "", "PCM  32000Hz  Stereo");
        const Bytes video = Ogg(Video({}));
        ogg("Ogg video cut inside the height", Cut(video, video.size() - 3), "DX50  640x224  25fps  24bit");
        // Only the first 16,384 bytes are searched; what lies past them counts as 0.
        ogg("Ogg header across the block end", Cat({Text("OggS", 16384 - 9), Vorbis(2, 44100)}), "");
        ogg("Ogg header at the block end", Cat({Text("OggS", 16384 - 11), Vorbis(2, 44100)}), "", "vorbis  0Hz  ");

        // Files that ffmpeg or our fixture script wrote; checked once against ffprobe and mediainfo.
        const auto file = [](const char* name) { return test::ReadFile(test::Fixture(name)); };
        midi("MIDI format 2", file("midi_format2_2_tracks.mid"), "2 asynchronous tracks");
        midi("RMID format 0", file("rmid_format0.rmi"), "one single track", "RIFF RMID");
        Row("Sun AU mu-law", mt::SunAu, file("sun_au_mulaw.snd"), Lines({"Sun AU", "8bit µ-law", "8000Hz  Mono"}));
        Row("WebP animated", mt::WebP, file("webp_animated.webp"), Lines({"WEBP  VP8"}));
        ac3("AC-3 Dolby Surround", file("ac3_2_1_dolby_surround_44k.ac3"), "96kbps  44100Hz", "Stereo + Bass  Dolby Surround");
        ogg("Ogg Theora and Vorbis", file("ogg_theora_vorbis.ogv"), "", "vorbis  22050Hz  Mono");
    }
    void readerLines()
    {
        QFETCH(int, type);
        QFETCH(Bytes, bytes);
        QTEST(Read(type, test::WriteIn(dir_, "built", bytes), bytes), "lines");
    }

    // The LFE bit follows 0, 2 or 4 bits of mix levels and surround mode, by acmod; those bits
    // are all ones here, so a misplaced LFE bit shows.
    void ac3LfeBitFollowsTheMixFields()
    {
        const int mixBits[] = {0, 0, 2, 2, 2, 4, 2, 4};
        for (int i = 0; i < 16; ++i) {
            const int acmod = i % 8, lfe = i / 8;
            const Bytes frame = Ac3(0, acmod, ((1 << mixBits[acmod]) - 1) << 1 | lfe, mixBits[acmod] + 1);
            const Ac3ChannelFields fields = ReadAc3ChannelFields(frame[6], frame[7]);
            QVERIFY(fields.AudioCodingMode == acmod && fields.Lfe == bool(lfe));
        }
    }
};

QTEST_APPLESS_MAIN(TestOtherFormatInfo)
#include "tst_other_format_info.moc"
