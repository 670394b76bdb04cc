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

#include <QTemporaryDir>
#include <QtTest>

using namespace vistrel;
using test::ByteWriter;
using test::Cat;
using test::Lines;
using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;

namespace {

Bytes Midi(uint16_t format, uint16_t tracks)
{
    return ByteWriter().Text("MThd").BE32(6).BE16(format).BE16(tracks).BE16(96).Text("MTrk").BE32(4).BE32(0x00FF2F00);
}
Bytes Rmid(const Bytes& m) { return ByteWriter().Text("RIFF").LE32(12 + m.size()).Text("RMIDdata").LE32(m.size()).Raw(m); }
// STREAMINFO after the block header: block and frame sizes, then 20 bits of sample rate, 3 of
// channels - 1, 5 of bits - 1 and 36 of the sample count.
Bytes Flac(uint64_t rate, uint64_t channels, uint64_t bits)
{
    const uint64_t packed = rate << 44 | (channels - 1) << 41 | (bits - 1) << 36 | 4410;
    return ByteWriter().Text("fLaC").BE32(0x80000022).BE16(4096).BE16(4096).Fill(6).BE64(packed).Fill(16).Fill(64, 0x55);
}
Bytes Au(uint32_t encoding, uint32_t rate, uint32_t channels)
{
    return ByteWriter().Text(".snd").BE32(24).BE32(64).BE32(encoding).BE32(rate).BE32(channels).Fill(64, 0x11);
}
// The 18-byte COMM body: channels, frames, sample size, an 80-bit rate of 22050 Hz.
Bytes Comm(uint16_t channels, uint16_t bits)
{
    return ByteWriter().BE16(channels).BE32(1000).BE16(bits).BE16(0x400D).BE32(0xAC440000).BE32(0);
}
Bytes Aiff(uint16_t channels, uint16_t bits, std::string_view next = "SSND")
{
    return ByteWriter().Text("FORM").BE32(100).Text("AIFFCOMM").BE32(18).Raw(Comm(channels, bits)).Text(next).BE32(8).Fill(16);
}
Bytes Aifc(uint16_t channels, uint16_t bits, std::string_view name)
{
    ByteWriter b;
    b.Text("FORM").BE32(100).Text("AIFCFVER").BE32(4).BE32(0xA2805140).Text("COMM").BE32(23 + name.size());
    b.Raw(Comm(channels, bits)).Text("ima4").U8(name.size()).Text(name);
    return b.Fill(b.Size() % 2).Text("SSND").BE32(8).Fill(16);
}
Bytes Webp(std::string_view chunk) { return ByteWriter().Text("RIFFxxxxWEBP").Text(chunk).LE32(10).Fill(30, 0x2A); }
// A sync frame: sync word, CRC, fscod and frmsizecod, bsid and bsmod, then acmod in the top
// three bits of byte 6 followed by the `count` bits of `fields`.
Bytes Ac3(uint8_t rateByte, uint16_t acmod, uint16_t fields, int count)
{
    return ByteWriter().BE16(0x0B77).BE16(0x1234).U8(rateByte).U8(0x40).BE16(acmod << 13 | fields << (13 - count)).Fill(120);
}
Bytes Ogg(const Bytes& packet)  // one page; the reader looks only at its start
{
    return ByteWriter().Text("OggS").U8(0).U8(2).LE64(0).LE32(0x4F47).LE32(0).LE32(0).U8(1).U8(packet.size()).Raw(packet);
}
struct OgmVideo {
    std::string subtype = "DX50";
    uint32_t size = 0x38;
    uint64_t timeUnit = 400000;  // 100 ns units: 25 fps
    uint16_t bits = 24;
    uint32_t width = 640, height = 480;
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
Bytes Vorbis(uint8_t channels, uint32_t rate)
{
    return ByteWriter().U8(1).Text("vorbis").LE32(0).U8(channels).LE32(rate).LE32(0).LE32(128000).LE32(0).U8(0xB8).U8(1);
}
Bytes Text(std::string_view text, size_t fill = 0) { return ByteWriter().Text(text).Fill(fill); }
Bytes Cut(Bytes bytes, size_t size) { return bytes.resize(size), bytes; }
Bytes Set(Bytes bytes, size_t at, uint8_t value) { return bytes[at] = value, bytes; }

// Reads `path` with the reader of `type`. First every cut of `bytes` (up to 512) goes through
// its block parser in a buffer of exactly that size, so that AddressSanitizer sees any read
// past the end.
template <class Info>
bool Run(const std::string& path, const Bytes& bytes, InfoLines& lines, bool (*get)(const std::string&, Info&),
         bool (*parse)(ByteSpan, Info&), void (*put)(const Info&, bool, InfoLines&, StreamFlags&))
{
    Info info;
    for (size_t n = 0; n <= std::min<size_t>(bytes.size(), 512); ++n)
        parse(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)), info);
    StreamFlags flags;
    const bool ok = get(path, info);
    put(info, ok, lines, flags);
    return ok;
}
bool Read(MediaType type, const std::string& path, InfoLines& lines, const Bytes& bytes = {})
{
    switch (type) {
    case mt::Midi: return Run(path, bytes, lines, GetMidiInfo, ParseMidiBlock, PutMidiInfoLines);
    case mt::Flac: return Run(path, bytes, lines, GetFlacInfo, ParseFlacBlock, PutFlacInfoLines);
    case mt::SunAu: return Run(path, bytes, lines, GetAuInfo, ParseAuBlock, PutAuInfoLines);
    case mt::Aiff: return Run(path, bytes, lines, GetAiffInfo, ParseAiffBlock, PutAiffInfoLines);
    case mt::WebP: return Run(path, bytes, lines, GetWebpInfo, ParseWebpBlock, PutWebpInfoLines);
    case mt::Ac3: return Run(path, bytes, lines, GetAc3Info, ParseAc3Block, PutAc3InfoLines);
    default: return Run(path, bytes, lines, GetOggInfo, ParseOggBlock, PutOggInfoLines);
    }
}
constexpr MediaType kTypes[] = {mt::Midi, mt::Flac, mt::SunAu, mt::Aiff, mt::WebP, mt::Ac3, mt::Ogg};

void Row(const char* name, MediaType type, const Bytes& bytes, const InfoLines& lines, bool ok = true)
{
    QTest::newRow(name) << int(type) << QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())) << ok
                        << lines;
}

}  // namespace

class TestOtherFormatInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void readerLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<InfoLines>("lines");
        const InfoLines none;
        const auto midi = [](const char* text) { return Lines({"", "MIDI", text}); };
        Row("MIDI format 3: no description", mt::Midi, Midi(3, 4), midi(""));
        Row("MIDI format 0x0101: its low byte", mt::Midi, Midi(0x0101, 2), midi("2 synchronous tracks"));
        Row("MIDI RIFF RMID", mt::Midi, Rmid(Midi(1, 12)), Lines({"RIFF RMID", "MIDI", "12 synchronous tracks"}));
        Row("MIDI after other bytes: not RMID", mt::Midi, Cat({Text("junk"), Midi(0, 1)}), midi("one single track"));
        Row("MIDI without MThd", mt::Midi, Text("MTrk", 40), none, false);
        Row("MIDI cut after the format: blanks", mt::Midi, Cut(Midi(1, 2), 10), midi("8224 synchronous tracks"));

        Row("FLAC 96000 Hz, 6 channels, 24 bits", mt::Flac, Flac(96000, 6, 24), Lines({"FLAC", "96000Hz", "24bit  6channels"}));
        Row("FLAC signature later in the block", mt::Flac, Text("ID3\0fLaC"s, 116), Lines({"FLAC", "0Hz", "1bit  1channels"}));
        Row("FLAC without signature", mt::Flac, Text("flac", 60), none, false);
        // The missing bytes read as blanks: rate 0x20202, channel bits 000, sample size bits 00010.
        Row("FLAC of 4 bytes: blanks", mt::Flac, Text("fLaC"), Lines({"FLAC", "131586Hz", "3bit  1channels"}));

        Row("AU 6 channels: no channel text", mt::SunAu, Au(3, 48000, 6), Lines({"Sun AU", "16bit PCM", "48000Hz  "}));
        Row("AU rate beyond signed 32 bits", mt::SunAu, Au(2, 0x80000000u, 2), Lines({"Sun AU", "8bit PCM", "0Hz  Stereo"}));
        Row("AU without .snd", mt::SunAu, Text("dns.", 40), none, false);
        Row("AU cut after encoding: blanks", mt::SunAu, Cut(Au(3, 0, 0), 16), Lines({"Sun AU", "16bit PCM", "538976288Hz  "}));

        Row("AIFF-C name cleaned", mt::Aiff, Aifc(1, 8, " IMA 4:1\0xx"s), Lines({"Apple AIFF-C", "IMA 4:1", "8bit", "Mono"}));
        Row("AIFF-C name of 40 bytes", mt::Aiff, Aifc(4, 24, std::string(40, 'n')),
            Lines({"Apple AIFF-C", std::string(32, 'n'), "24bit", "Quad"}));
        Row("AIFF next chunk code cleaned", mt::Aiff, Aiff(1, 8, "AB\0 "s), Lines({"Apple AIFF", "AB", "8bit", "Mono"}));
        Row("AIFF 3 channels, size 0x0118", mt::Aiff, Aiff(3, 0x0118), Lines({"Apple AIFF", "SSND", "24bit", ""}));
        Row("AIFF 0 channels, 0 bits", mt::Aiff, Aiff(0, 0), Lines({"Apple AIFF", "SSND", "", "0ch."}));
        Row("AIFF form AIFX", mt::Aiff, Set(Aiff(2, 16), 11, 'X'), Lines({"Apple ", "", "16bit", "Stereo"}));
        Row("AIFF without COMM", mt::Aiff, ByteWriter().Text("FORM").BE32(20).Text("AIFFSSND").BE32(8).Fill(8), none, false);
        Row("FORM 8SVX", mt::Aiff, Text("FORM\0\0\0\x1E" "8SVXCOMM"s, 30), none, false);
        Row("AIFF cut after COMM: blanks", mt::Aiff, Text("FORM\0\0\0\4AIFFCOMM"s), Lines({"Apple AIFF", "", "32bit", "32ch."}));

        Row("WebP lossy: the code with its blank", mt::WebP, Webp("VP8 "), Lines({"WEBP  VP8 "}));
        Row("WebP of 31 bytes", mt::WebP, Cut(Webp("VP8 "), 31), Lines({"WEBP"}), false);
        Row("WebP of 32 bytes", mt::WebP, Cut(Webp("VP8L"), 32), Lines({"WEBP  VP8L"}));
        Row("RIFF WAVE", mt::WebP, Text("RIFFxxxxWAVEfmt ", 40), Lines({"WEBP"}), false);

        const auto ac3 = [](const char* rates, const char* channels) { return Lines({"AC3 Audio Stream", rates, channels}); };
        Row("AC-3 No Dolby Surround, LFE, code 37", mt::Ac3, Ac3(0x80 | 37, 2, 0b011, 3),
            ac3("640kbps  32000Hz", "Stereo + Bass  No Dolby Surround"));
        Row("AC-3 5.1", mt::Ac3, Ac3(0x1E, 7, 0b00001, 5), ac3("448kbps  48000Hz", "5+1 channels"));
        Row("AC-3 reserved rate, code 38", mt::Ac3, Ac3(0xC0 | 38, 1, 0, 1), ac3("0Hz", "Mono"));
        Row("AC-3 without sync word", mt::Ac3, ByteWriter().BE16(0x770B).Fill(40), none, false);
        Row("AC-3 of 2 bytes: zeros", mt::Ac3, ByteWriter().BE16(0x0B77), ac3("32kbps  48000Hz", "Dual Channel"));

        const auto ogg = [](const char* video, const char* audio = "") { return Lines({"OGG media", video, audio}); };
        const auto vorbis = [](const char* audio) { return Lines({"OGG media", "", audio}); };
        Row("Ogg video, rate cut to 24.999", mt::Ogg, Ogg(Video({.timeUnit = 400001})), ogg("DX50  640x480  24.999fps  24bit"));
        // The first try at 12 reads the subtype's last byte 'P' and the size: 0x00061A50 = 399952.
        Row("Ogg frame time at 12", mt::Ogg, Ogg(Video({.subtype = "DX5P", .size = 0x061A, .timeUnit = 1})),
            ogg("DX5P  640x480  25.003fps  24bit"));
        Row("Ogg rate out of range, 65 bits, sides 0 and 65536", mt::Ogg,
            Ogg(Video({.timeUnit = 100000, .bits = 65, .width = 0, .height = 65536})), ogg("DX50  x"));
        Row("Ogg time unit with its top bit set", mt::Ogg, Ogg(Video({.timeUnit = 0x80000000u, .width = 65535, .height = 1})),
            ogg("DX50  65535x1  0.004fps  24bit"));
        Row("Ogg codec trimmed, cut at NUL", mt::Ogg, Ogg(Video({.subtype = " X\0Y"s})), ogg("X  640x480  25fps  24bit"));
        Row("Ogg Vorbis 96 kHz, 6 channels", mt::Ogg, Ogg(Vorbis(6, 96000)), vorbis("vorbis  30464Hz  "));
        Row("Ogg audio subtype not hexadecimal", mt::Ogg, Ogg(Audio("mp3 ", 22050, 1)), vorbis("UNKNOWN  22050Hz  Mono"));
        Row("Ogg audio header overwrites Vorbis", mt::Ogg, Cat({Ogg(Vorbis(1, 22050)), Ogg(Audio("0001", 48000, 2))}),
            vorbis("PCM  48000Hz  Stereo"));
        Row("Ogg audio keeps Vorbis channels and rate", mt::Ogg, Cat({Ogg(Audio("0001", 200000, 6)), Ogg(Vorbis(2, 32000))}),
            vorbis("PCM  32000Hz  Stereo"));
        Row("Ogg without known headers", mt::Ogg, Ogg(Text("OpusHead", 11)), ogg(""));
        Row("Ogg signature not at the start", mt::Ogg, Cat({Text("", 1), Ogg(Vorbis(1, 22050))}), none, false);
        const Bytes video = Ogg(Video({}));
        Row("Ogg video cut inside the height", mt::Ogg, Cut(video, video.size() - 3), ogg("DX50  640x224  25fps  24bit"));
        // Only the first 16,384 bytes are searched; what lies past them counts as 0.
        Row("Ogg header across the block end", mt::Ogg, Cat({Text("OggS", 16384 - 9), Vorbis(2, 44100)}), ogg(""));
        Row("Ogg header at the block end", mt::Ogg, Cat({Text("OggS", 16384 - 11), Vorbis(2, 44100)}), vorbis("vorbis  0Hz  "));

        // Files that ffmpeg or our fixture script wrote; checked once against ffprobe and mediainfo.
        const auto file = [](const char* name) { return test::ReadFile(test::Fixture(name)); };
        Row("MIDI format 2", mt::Midi, file("midi_format2_2_tracks.mid"), midi("2 asynchronous tracks"));
        Row("RMID format 0", mt::Midi, file("rmid_format0.rmi"), Lines({"RIFF RMID", "MIDI", "one single track"}));
        Row("FLAC", mt::Flac, file("flac_stereo_44100_16bit.flac"), Lines({"FLAC", "44100Hz", "16bit  2channels"}));
        Row("Sun AU mu-law", mt::SunAu, file("sun_au_mulaw.snd"), Lines({"Sun AU", "8bit µ-law", "8000Hz  Mono"}));
        Row("AIFF", mt::Aiff, file("aiff_pcm16.aif"), Lines({"Apple AIFF", "SSND", "16bit", "Mono"}));
        Row("AIFF-C with an empty name", mt::Aiff, file("aifc_alaw_ffmpeg.aif"), Lines({"Apple AIFF-C", "", "8bit", "Mono"}));
        Row("WebP animated", mt::WebP, file("webp_animated.webp"), Lines({"WEBP  VP8"}));
        Row("AC-3 2.1 Dolby Surround", mt::Ac3, file("ac3_2_1_dolby_surround_44k.ac3"),
            ac3("96kbps  44100Hz", "Stereo + Bass  Dolby Surround"));
        Row("Ogg Theora and Vorbis", mt::Ogg, file("ogg_theora_vorbis.ogv"), vorbis("vorbis  22050Hz  Mono"));
    }
    void readerLines()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(InfoLines, lines);
        const Bytes data(bytes.begin(), bytes.end());
        InfoLines actual;
        QCOMPARE(Read(type, test::WriteIn(dir_, "built", data), actual, data), ok);
        QCOMPARE(actual, lines);
    }

    // A missing or empty file fails and leaves the lines alone (WebP names itself even then).
    void missingAndEmptyFilesFail()
    {
        for (const std::string& path : {std::string("/nonexistent/file"), test::WriteIn(dir_, "empty", {})}) {
            for (const MediaType type : kTypes) {
                InfoLines lines;
                lines.fill("kept");
                QVERIFY2(!Read(type, path, lines), qPrintable(QString::number(type)));
                QCOMPARE(lines[0], std::string(type == mt::WebP ? "WEBP" : "kept"));
                QCOMPARE(lines[1], std::string("kept"));
            }
        }
    }

    // The LFE bit follows 0, 2 or 4 bits of mix levels and surround mode, by acmod; those bits
    // are all ones here, so a misplaced LFE bit shows.
    void ac3LfeBitFollowsTheMixFields()
    {
        const int mixBits[] = {0, 0, 2, 2, 2, 4, 2, 4};
        for (int acmod = 0; acmod < 8; ++acmod) {
            for (const bool lfe : {false, true}) {
                const Bytes frame = Ac3(0, acmod, ((1 << mixBits[acmod]) - 1) << 1 | lfe, mixBits[acmod] + 1);
                const Ac3ChannelFields fields = ReadAc3ChannelFields(frame[6], frame[7]);
                QCOMPARE(fields.AudioCodingMode, acmod);
                QCOMPARE(fields.Lfe, lfe);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestOtherFormatInfo)
#include "tst_other_format_info.moc"
