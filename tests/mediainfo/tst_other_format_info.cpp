// The readers of the RIFF forms (WAVE, AVI), MIDI, FLAC, Sun AU, AIFF, WebP, AC-3, Ogg, ASF
// (WMA, WMV), Flash Video, RealMedia and QuickTime/MP4: headers built byte by byte for the
// hostile, short and boundary cases (for QuickTime the atom walk in windows of 1,000,000 bytes,
// what each atom gives and the code names), then a few files written by other tools; and the
// naming routines that every reader shares.
#include "mediainfo/Ac3Info.h"
#include "mediainfo/AiffInfo.h"
#include "mediainfo/AsfInfo.h"
#include "mediainfo/AuInfo.h"
#include "mediainfo/AviInfo.h"
#include "mediainfo/FlacInfo.h"
#include "mediainfo/FlvInfo.h"
#include "mediainfo/MediaType.h"
#include "mediainfo/MidiInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/QuicktimeInfo.h"
#include "mediainfo/RealMediaInfo.h"
#include "mediainfo/RiffText.h"
#include "mediainfo/WaveFormatNames.h"
#include "mediainfo/WaveInfo.h"
#include "mediainfo/WebpInfo.h"
#include "support/TestSupport.h"

#include <optional>

using namespace vistrel;
using test::ByteWriter, test::Cat, test::Lines, test::Zeros;
using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;

namespace {

Bytes FourCC(std::string_view text) { return ByteWriter().Text(text).Fill(4 - text.size()); }
// A chunk declaring `size`; by default its body's size, the body padded to an even length.
Bytes Chunk(std::string_view id, const Bytes& body, int64_t size = -1)
{
    ByteWriter w;
    w.Text(id).LE32(size < 0 ? body.size() : uint64_t(size)).Raw(body);
    return size >= 0 || body.size() % 2 == 0 ? w : w.U8(0);
}
Bytes List(std::string_view type, const Bytes& content) { return Chunk("LIST", Cat({FourCC(type), content})); }
Bytes Riff(std::string_view form, const Bytes& content) { return Chunk("RIFF", Cat({FourCC(form), content})); }

// WAVEFORMATEX's first 16 bytes, and the 40-byte extensible form with valid bits and sub-format.
Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytes, uint16_t align, uint16_t bits)
{
    return ByteWriter().LE16(tag).LE16(channels).LE32(rate).LE32(avgBytes).LE16(align).LE16(bits);
}
Bytes Extensible(uint16_t ch, uint32_t rate, uint16_t bits, uint16_t validBits, uint16_t subTag)
{
    const Bytes fmt = Fmt(0xFFFE, ch, rate, rate * ch * bits / 8, uint16_t(ch * bits / 8), bits);
    return ByteWriter().Raw(fmt).LE16(22).LE16(validBits).LE32(4).LE16(subTag).Fill(14);
}
Bytes Wave(const Bytes& fmt) { return Riff("WAVE", Cat({Chunk("fmt ", fmt), Chunk("data", Zeros(4))})); }

Bytes Strh(std::string_view type, std::string_view handler, uint32_t scale = 1, uint32_t rate = 25)
{
    return ByteWriter().Raw(FourCC(type)).Raw(FourCC(handler)).Fill(12).LE32(scale).LE32(rate).Fill(32);
}
Bytes Strl(const Bytes& strh, const Bytes& strf) { return List("strl", Cat({Chunk("strh", strh), Chunk("strf", strf)})); }
Bytes AviVideo(std::string_view handler, std::string_view compression, uint32_t scale = 1, uint32_t rate = 25)
{
    const Bytes bih = ByteWriter().LE32(40).LE32(64).LE32(48).LE16(1).LE16(24).Raw(FourCC(compression)).Fill(20);
    return Strl(Strh("vids", handler, scale, rate), bih);
}
Bytes Wfx(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) { return Fmt(tag, channels, rate, 0, 2, bits); }
Bytes AviAudio(const Bytes& wfx, std::string_view type = "auds") { return Strl(Strh(type, ""), wfx); }
Bytes Movi() { return Cat({List("movi", Chunk("00dc", Zeros(6))), Chunk("idx1", Zeros(16))}); }
// The header chain with a 64x48 main header, the stream lists, then `tail`.
Bytes Avi(const Bytes& streams, const Bytes& tail = Movi(), uint32_t microSecPerFrame = 40000)
{
    const Bytes avih = ByteWriter().LE32(microSecPerFrame).Fill(28).LE32(64).LE32(48).Fill(16);
    return Riff("AVI ", Cat({List("hdrl", Cat({Chunk("avih", avih), streams})), tail}));
}

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

Bytes AsfObject(const char* id, const Bytes& body) { return ByteWriter().Raw(HexToBytes(id)).LE64(24 + body.size()).Raw(body); }
// A stream properties object; its type-specific data starts at offset 78.
Bytes Stream(const char* typeGuid, const Bytes& data)
{
    const Bytes body = ByteWriter().Raw(HexToBytes(typeGuid)).Fill(24).LE32(data.size()).LE32(0).LE16(1).LE32(0).Raw(data);
    return AsfObject("9107DCB7B7A9CF118EE600C00C205365", body);
}
Bytes AsfAudio(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytesPerSec)
{
    const Bytes wave = ByteWriter().LE16(tag).LE16(channels).LE32(rate).LE32(avgBytesPerSec).LE16(0).LE16(16).LE16(0);
    return Stream("409E69F84D5BCF11A8FD00805F5C442B", wave);
}
Bytes AsfVideo(uint32_t width, uint32_t height, const char* fourCC)  // the bitmap header at 89
{
    return Stream("C0EF19BC4D5BCF11A8FD00805F5C442B", ByteWriter().LE32(width).LE32(height).U8(2).LE16(40).LE32(40)
                      .LE32(width).LE32(height).LE16(1).LE16(24).Text(fourCC).Fill(20));
}
Bytes Asf(std::initializer_list<Bytes> objects)
{
    return AsfObject("3026B2758E66CF11A6D900AA0062CE6C", ByteWriter().LE32(objects.size()).U8(1).U8(2).Raw(Cat(objects)));
}

using Tag = std::pair<uint8_t, Bytes>;  // type, body
Tag AudioTag(uint8_t first) { return {8, {first, 0xFF, 0xFB, 0x90, 0x44}}; }
Tag VideoTag(uint8_t first) { return {9, {first, 0, 0, 0x84, 0}}; }
const Tag kScriptTag{18, test::Bytes(std::string("\x02\x00\x0A" "onMetaData", 13))};
Bytes Flv(const std::vector<Tag>& tags, uint32_t dataOffset = 9)
{
    ByteWriter file;
    file.Text("FLV").U8(1).U8(5).BE32(dataOffset).Fill(dataOffset - 9);
    size_t previous = 0;
    for (const Tag& tag : tags) {
        file.BE32(previous).U8(tag.first).BE24(tag.second.size()).BE24(0).U8(0).BE24(0).Raw(tag.second);
        previous = 11 + tag.second.size();
    }
    return file.BE32(previous);
}

Bytes RmChunk(std::string_view id, const Bytes& body) { return ByteWriter().Text(id).BE32(8 + body.size()).Raw(body); }
const Bytes kRmf = RmChunk(".RMF", ByteWriter().BE16(0).BE32(0).BE32(4));
Bytes Prop(uint32_t maxBitRate) { return RmChunk("PROP", ByteWriter().BE16(0).BE32(maxBitRate).BE32(maxBitRate).Fill(32)); }
// A media properties chunk: the stream name at 41, the MIME type, then the type-specific data.
Bytes Mdpr(std::string_view name, std::string_view mime, uint32_t avgBitRate, const Bytes& data = {},
           std::optional<uint32_t> dataLength = std::nullopt)
{
    ByteWriter b;
    b.BE16(0).BE16(0).BE32(avgBitRate).BE32(avgBitRate).Fill(20).U8(name.size()).Text(name).U8(mime.size()).Text(mime);
    return RmChunk("MDPR", b.BE32(dataLength.value_or(data.size())).Raw(data));
}
// A RealAudio stream header, version 5, up to its channel count.
Bytes Ra(uint32_t rate32, uint16_t rate16, uint16_t bits, uint16_t channels)
{
    return ByteWriter().Text(".ra").U8(0xFD).BE16(5).Fill(42).BE32(rate32).BE16(rate16).Fill(4).BE16(bits).BE16(channels);
}
Bytes Vido(uint16_t width, uint16_t height, uint16_t depth, uint16_t fps)  // 34 bytes, frame rate 16.16 at 22
{
    return ByteWriter().BE32(34).Text("VIDOrv40").BE16(width).BE16(height).BE16(depth).Fill(4).BE16(fps).BE16(0x8000).Fill(8);
}
Bytes Rm(std::initializer_list<Bytes> chunks) { return Cat({kRmf, Cat(chunks), RmChunk("DATA", Bytes(10))}); }

Bytes Set(Bytes bytes, size_t at, uint8_t value) { return bytes[at] = value, bytes; }

constexpr size_t kWindow = 1000000;
// An atom whose size field says `size`, by default its true size.
Bytes Atom(std::string_view type, const Bytes& body = {}, int64_t size = -1)
{
    return ByteWriter().BE32(size < 0 ? 8 + body.size() : uint64_t(size)).Text(type).Raw(body);
}
Bytes LargeAtom(uint64_t size, const Bytes& body) { return ByteWriter().BE32(1).Text("mdat").BE64(size).Raw(body); }
Bytes Ftyp(std::string_view brand = "isom") { return Atom("ftyp", ByteWriter().Text(brand).BE32(0x200).Text("isom")); }
Bytes Tkhd(uint32_t w, uint32_t h) { return Atom("tkhd", ByteWriter().Fill(76).BE32(w).BE32(h)); }
Bytes Stsd(const ByteWriter& entry) { return Atom("stsd", ByteWriter().Fill(4).BE32(1).BE32(4 + entry.Size()).Raw(entry)); }

// Sizes of the sample entry, then of the track header (16.16).
struct VideoTrack {
    std::string code = "avc1";
    uint16_t width = 64, height = 48, depth = 24;
    uint32_t trackWidth = 64 << 16, trackHeight = 48 << 16, samples = 250, timeScale = 12800, duration = 128000;
};
// `rate`: the 32 bits at entry offset 38, the packet size, then the integer rate.
struct SoundTrack {
    std::string code = "mp4a";
    uint16_t channels = 2, bits = 16;
    uint32_t rate = 44100, timeScale = 44100, duration = 441000;
};
Bytes Entry(const VideoTrack& v)
{
    return Stsd(ByteWriter().Text(v.code).Fill(6).BE16(1).Fill(16).BE16(v.width).BE16(v.height).Fill(46).BE16(v.depth));
}
Bytes Entry(const SoundTrack& s)
{
    return Stsd(ByteWriter().Text(s.code).Fill(6).BE16(1).Fill(8).BE16(s.channels).BE16(s.bits).Fill(2).BE32(s.rate));
}
Bytes Trak(uint32_t timeScale, uint32_t duration, const Bytes& minf, const Bytes& tkhd = Tkhd(0, 0))
{
    const Bytes mdhd = Atom("mdhd", ByteWriter().Fill(12).BE32(timeScale).BE32(duration).Fill(4));
    return Atom("trak", Cat({tkhd, Atom("mdia", Cat({mdhd, Atom("minf", minf)}))}));
}
Bytes Track(const VideoTrack& v)
{
    const Bytes stbl = Atom("stbl", Cat({Entry(v), Atom("stsz", ByteWriter().Fill(4).BE32(1000).BE32(v.samples))}));
    return Trak(v.timeScale, v.duration, Cat({Atom("vmhd", Zeros(12)), stbl}), Tkhd(v.trackWidth, v.trackHeight));
}
Bytes Track(const SoundTrack& s) { return Trak(s.timeScale, s.duration, Cat({Atom("smhd", Zeros(8)), Atom("stbl", Entry(s))})); }
Bytes Moov(const Bytes& content) { return Atom("moov", Cat({Atom("mvhd", Zeros(100)), content})); }
Bytes Movie(const Bytes& tracks) { return Cat({Ftyp(), Moov(tracks)}); }
// A video track, a sound track, then `more` tracks.
Bytes AV(VideoTrack v = {}, SoundTrack s = {}, const Bytes& more = {}) { return Movie(Cat({Track(v), Track(s), more})); }
const Bytes kMoov = Moov(Cat({Track(VideoTrack{}), Track(SoundTrack{})}));
// "ftyp" (20 bytes), then a "free" filler up to `position`, where `atoms` start.
Bytes MovieAt(size_t position, const Bytes& atoms) { return Cat({Ftyp(), Atom("free", Zeros(position - 28)), atoms}); }
// The movie cut `keep` bytes into the body of the last `type` atom.
Bytes CutInLast(Bytes movie, std::string_view type, size_t keep)
{
    movie.resize(size_t(std::find_end(movie.begin(), movie.end(), type.begin(), type.end()) - movie.begin()) + 4 + keep);
    return movie;
}

// The lines of a reader for the file, after every cut of `bytes` (up to 512) went through its
// block parser, if it has one, in a buffer of exactly that size, where AddressSanitizer sees
// any read past it.
template <class Info, class Put>
std::pair<InfoLines, bool> Run(const std::string& path, const Bytes& bytes, bool (*get)(const std::string&, Info&),
              bool (*parse)(ByteSpan, Info&), Put put)
{
    Info info;
    for (size_t n = 0; parse && n <= std::min<size_t>(bytes.size(), 512); ++n)
        parse(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)), info);
    InfoLines lines;
    StreamFlags flags;
    put(info, get(path, info), lines, flags);
    return {lines, flags.SeveralAudioStreams};
}
std::pair<InfoLines, bool> Read(MediaType type, const std::string& path, const Bytes& bytes)
{
    switch (type) {
    case mt::Wave: return Run<WaveInfo>(path, bytes, GetWaveInfo, nullptr, PutWaveInfoLines);
    case mt::Avi: return Run<AviInfo>(path, bytes, GetAviInfo, nullptr, PutAviInfoLines);
    case mt::Midi: return Run(path, bytes, GetMidiInfo, ParseMidiBlock, PutMidiInfoLines);
    case mt::Flac: return Run(path, bytes, GetFlacInfo, ParseFlacBlock, PutFlacInfoLines);
    case mt::SunAu: return Run(path, bytes, GetAuInfo, ParseAuBlock, PutAuInfoLines);
    case mt::Aiff: return Run(path, bytes, GetAiffInfo, ParseAiffBlock, PutAiffInfoLines);
    case mt::WebP: return Run(path, bytes, GetWebpInfo, ParseWebpBlock, PutWebpInfoLines);
    case mt::Ac3: return Run(path, bytes, GetAc3Info, ParseAc3Block, PutAc3InfoLines);
    case mt::Ogg: return Run(path, bytes, GetOggInfo, ParseOggBlock, PutOggInfoLines);
    case mt::Flv: return Run<FlvInfo>(path, bytes, GetFlvInfo, nullptr, PutFlvInfoLines);
    case mt::Real: return Run<RealMediaInfo>(path, bytes, GetRealMediaInfo, nullptr, PutRealMediaInfoLines);
    case mt::Mov: return Run<QuicktimeInfo>(path, bytes, GetQuicktimeInfo, nullptr, PutQuicktimeInfoLines);
    default:
        return Run<AsfInfo>(path, bytes, GetAsfInfo, nullptr, [type](const AsfInfo& i, bool ok, InfoLines& l, StreamFlags& f) {
            PutAsfInfoLines(i, ok, type, l, f);
        });
    }
}
void Row(const char* name, MediaType type, const Bytes& b, const InfoLines& l, bool several = false)
{
    QTest::newRow(name) << int(type) << b << l << several;
}
void Mov(const char* name, const Bytes& b, std::initializer_list<std::string> l) { Row(name, mt::Mov, b, Lines(l)); }

}  // namespace

class TestOtherFormatInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // What no reader row below reaches: 16-bit counts of 0x8000 and up arrive negative; the
    // format-tag table's ranges and its fallback in hexadecimal; text cleaning.
    void names()
    {
        for (const auto& [count, text] : {std::pair<int16_t, std::string>{-32768, ""}, {3, "Joint Stereo"}, {4, "Quad"},
                                          {5, "5ch."}, {32767, "32767ch."}})
            QCOMPARE(GetChannelsText(count), text);
        for (const auto& [tag, name] : {std::pair<uint16_t, std::string>{0x0007, "\u00B5-law"}, {0x1100, "LH CODEC"},
                                        {0x1104, "LH CODEC"}, {0x1105, "0x1105"}, {0x00FF, "0xFF"}, {0xFFFF, "In Development"}})
            QCOMPARE(GetWaveFormatName(tag), name);
        for (const auto& [text, clean] : {std::pair{" ab \0 x"s, "ab"s}, {"\0abc"s, ""s}, {"\ta  b "s, "\ta  b"s}})
            QCOMPARE(CleanText(text), clean);
    }

    // A reader that fails leaves every line empty (WebP names itself even then), and only AVI
    // tells of several audio streams.
    void readerLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<bool>("several");
        const auto file = [](const char* name) { return test::ReadFile(test::Fixture(name)); };
        const InfoLines none;
        // The RIFF chunk search: chunks one after another (padded to even sizes), "fmt " within the
        // RIFF chunk's declared size and the file, at most 50 bytes. AVI: the lines and the
        // several-audio flag, the walk's stop rules and what it passes over, then the header
        // chain "RIFF" .. "AVI " "LIST" .. "hdrl" "avih" that decides success.
        const auto wave = [](const char* name, const Bytes& bytes, std::initializer_list<std::string> lines) {
            Row(name, mt::Wave, bytes, Lines(lines));
        };
        const auto avi = [](const char* name, const Bytes& bytes, std::initializer_list<std::string> lines, bool several = false) {
            Row(name, mt::Avi, bytes, Lines(lines), several);
        };
        const std::string w = "RIFF WAVE", x = "RIFF WAVE (extensible)", badWave = "no valid WAV file";
        wave("kbps cut", Wave(Fmt(1, 2, 44100, 176412, 4, 16)), {w, "PCM", "44100Hz  16bit  1411.2kbps   Stereo"});
        wave("largest rate", Wave(Fmt(1, 2, 44100, 0xFFFFFFFF, 4, 16)), {w, "PCM", "44100Hz  16bit  33554432Kbps   Stereo"});
        wave("no bits", Wave(Fmt(0x31, 1, 8000, 1625, 65, 0)), {w, "GSM610", "8000Hz  13kbps   Mono"});
        wave("all zero", Wave(Zeros(16)), {w, "UNKNOWN", "0Hz  "});
        wave("valid bits above", Wave(Extensible(2, 48000, 16, 24, 1)), {x, "PCM", "48000Hz  24bit  1500Kbps   Stereo"});
        wave("0 valid bits", Wave(Extensible(1, 8000, 16, 0, 1)), {x, "PCM", "8000Hz  125Kbps   Mono"});
        const Bytes pcm = Fmt(1, 1, 22050, 44100, 2, 16), fmt = Chunk("fmt ", pcm), form = FourCC("WAVE");
        const std::initializer_list<std::string> found = {w, "PCM", "22050Hz  16bit  352.8kbps   Mono"};
        wave("after LIST, odd JUNK", Riff("WAVE", Cat({List("INFO", Chunk("ISFT", {1})), Chunk("JUNK", {1}), fmt})), found);
        wave("after zero-size chunks", Riff("WAVE", Cat({Chunk("JUNK", {}), Chunk("\0\0\0\0"s, {}), fmt})), found);
        wave("RIFF size past the file", Cat({Chunk("RIFF", form, 0xFFFFFFFF), fmt}), found);
        wave("header in RIFF size", Cat({Chunk("RIFF", form, 12), fmt}), found);
        wave("header cut by RIFF size", Cat({Chunk("RIFF", form, 11), fmt}), {"", badWave});
        wave("fmt after RIFF", Cat({Riff("WAVE", Chunk("data", Zeros(8))), fmt}), {"", badWave});
        wave("file ends in fmt header", Cat({Chunk("RIFF", form, 100), FourCC("fmt ")}), {"", badWave});
        wave("fmt body cut", Cat({Chunk("RIFF", form, 100), Chunk("fmt ", Cut(pcm, 8), 16)}), {w, "PCM", "22050Hz  Mono"});
        wave("fmt of 14", Riff("WAVE", Cat({Chunk("fmt ", Cut(pcm, 14)), Chunk("data", {})})),
            {w, "PCM", "22050Hz  352.8kbps   Mono"});
        wave("fmt of 60", Riff("WAVE", Chunk("fmt ", Cat({Extensible(1, 48000, 24, 20, 1), Bytes(20, 0xEE)}))),
            {x, "PCM", "48000Hz  20of24bit  1125Kbps   Mono"});
        // Made by ffmpeg; ffprobe: 128000 b/s, which is 125 x 1024.
        wave("IMA ADPCM file", file("wav_ima_adpcm.wav"), {w, "IMA ADPCM", "22050Hz  4bit  125Kbps   Mono"});


        const std::string a = "RIFF AVI", mjpg = "MJPG  64x48  25fps", noSize = "MJPG  0x0  25fps", xvid = "XVID  64x48  25fps";
        const std::string pcm16Line = "PCM  8000Hz  16bit  Mono", bad = "no valid AVI file";
        const Bytes mjpgVideo = AviVideo("MJPG", "MJPG"), pcm16 = AviAudio(Wfx(1, 1, 8000, 16));
        // Codes in file order; a first byte below '0' (as uncompressed video's 0) gives no text.
        avi("code /abc", Avi(AviVideo("", "/abc")), {a, "  64x48  25fps"});
        avi("code 0abc, code in Latin-1", Avi(Cat({AviVideo("", "0abc"), AviVideo("", "\xE9t\xE9x")})),
            {a, "0abc/\u00E9t\u00E9x  64x48  25fps"});
        avi("no movi: 0x0", Avi(Cat({mjpgVideo, pcm16}), {}), {a, noSize, pcm16Line});
        avi("audio only, three streams", Avi(Cat({AviAudio(Wfx(0x55, 2, 44100, 0)), pcm16, AviAudio(Wfx(0x2000, 6, 48000, 0))})),
            {a, "MPEG-1 Layer-3  44100Hz  Stereo", pcm16Line, "AC3 DVM  48000Hz  6ch."}, true);
        avi("codes, then handlers", Avi(Cat({AviVideo("mjpg", "MJPG"), AviVideo("DIVX", "XVID")})),
            {a, "MJPG/XVID/DIVX  64x48  25fps"});
        avi("handler against own code and previous", Avi(Cat({AviVideo("DIB ", ""), AviVideo("dib", ""), AviVideo("divx", "XVID")})),
            {a, "XVID/DIB/divx  64x48  25fps"});
        avi("12.345 halves up", Avi(AviVideo("", "XVID", 1000, 12345)), {a, "XVID  64x48  12.35fps"});
        avi("scale 0: main header's rate", Avi(AviVideo("", "XVID", 0, 25), Movi(), 33367), {a, "XVID  64x48  29.97fps"});
        avi("no rate", Avi(AviVideo("", "XVID", 0, 25), Movi(), 0), {a, "XVID  64x48"});
        avi("strf of 14: no bits", Avi(AviAudio(Cut(Wfx(1, 1, 8000, 16), 14))), {a, "PCM  8000Hz  Mono"});
        avi("strf of 15: padded", Avi(AviAudio(Cut(Wfx(1, 1, 8000, 16), 15))), {a, pcm16Line});
        Bytes nine = mjpgVideo;
        for (int k = 0; k < 9; ++k)
            nine = Cat({nine, pcm16});
        avi("nine audio streams", Avi(nine), {a, mjpg, pcm16Line, pcm16Line, pcm16Line, pcm16Line, pcm16Line, pcm16Line}, true);
        avi("identifier below 33", Avi(Cat({mjpgVideo, Chunk(" xxx", Zeros(4)), pcm16})), {a, noSize});
        avi("identifier 33", Avi(Cat({mjpgVideo, Chunk("!xxx", Zeros(4)), pcm16})), {a, mjpg, pcm16Line});
        avi("size 0xFFFFFFFF: no wrap", Avi(Cat({mjpgVideo, Chunk("JUNK", {}, 0xFFFFFFFF), pcm16})), {a, noSize});
        avi("zero-size, odd", Avi(Cat({Chunk("JUNK", {}), Chunk("JUNK", {1}), mjpgVideo, Chunk("IDIT", {}), pcm16})),
            {a, mjpg, pcm16Line});
        avi("LIST of size 0", Avi(Cat({Chunk("LIST", FourCC("abcd"), 0), mjpgVideo})), {a, mjpg});
        avi("movi passed over", Avi(mjpgVideo, Cat({List("movi", AviAudio(Wfx(1, 1, 8000, 8))), pcm16})), {a, mjpg, pcm16Line});
        avi("type in capitals, others ignored", Avi(Cat({AviAudio(Zeros(16), "txts"), AviAudio(Wfx(1, 2, 11025, 8), "AUDS")})),
            {a, "PCM  11025Hz  8bit  Stereo"});
        avi("short strh, strf", Avi(Strl(test::Bytes("vidsXVID"), {0, 0})), {a, xvid});
        avi("cut in the main header", Cut(Avi(mjpgVideo), 60), {a});
        const Bytes good = Avi(mjpgVideo);
        for (const auto& [at, text] : std::initializer_list<std::pair<size_t, const char*>>{
                 {0, "RIFX"}, {8, "AVIX"}, {8, "avi "}, {12, "JUNK"}, {20, "strl"}, {24, "strh"}})
            QTest::addRow("%s at %zu", text, at) << int(mt::Avi) << Bytes(ByteWriter().Raw(good).PlaceAt(at, FourCC(text)))
                                                 << Lines({"", bad}) << false;
        avi("chain of 27 bytes", Cut(good, 27), {"", bad});
        // Made by ffmpeg. The part file is a file's first 6000 bytes: no "movi", so no size.
        avi("file part", file("avi_split_part.avi.001"), {a, "FMP4  0x0  10fps", "MPEG-1 Layer-3  22050Hz  Mono"});

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

        const auto asf = [](const char* v, const char* a = "", const char* k = "") { return Lines({"Microsoft ASF", v, a, k}); };
        const Bytes wma = Asf({AsfAudio(0x161, 1, 22050, 4000)});
        Row("ASF code below 33: no FourCC", mt::Asf, Asf({AsfVideo(320, 240, " XYZ")}), asf("  320x240"));
        Row("ASF code of 33", mt::Asf, Asf({AsfVideo(320, 240, "!abc")}), asf("!abc  320x240"));
        Row("ASF sides 4096 and 4097", mt::Asf, Asf({AsfVideo(4096, 4097, "WMV2")}), asf("WMV2  4096x0"));
        Row("ASF negative side", mt::Asf, Asf({AsfVideo(uint32_t(-48), 48, "WMV2")}), asf("WMV2  0x48"));
        Row("ASF kbps cut before x 8", mt::Asf, Asf({AsfAudio(0x161, 2, 44100, 4999)}), asf("", "WMA2   44100Hz", "32kbps  Stereo"));
        Row("ASF kbps 0 left out", mt::Asf, Asf({AsfAudio(1, 1, 8000, 999)}), asf("", "PCM   8000Hz", "Mono"));
        Row("ASF later streams overwrite, 6 channels keep the text", mt::Wmv,
            Asf({AsfVideo(64, 48, "WMV1"), AsfAudio(0x161, 2, 44100, 8000), AsfVideo(320, 240, "WMV3"), AsfAudio(0x162, 6, 48000, 48000)}),
            Lines({"Microsoft WMV", "WMV3  320x240", "WMA3   48000Hz", "384kbps  Stereo"}));
        Row("ASF command stream ignored", mt::Asf, Asf({Stream("C0CFDA59E659D011A3AC00A0C90348F6", Bytes(40, 0x41))}), asf(""));
        Row("ASF short file padded with zeros", mt::Asf, Cut(wma, wma.size() - 14), asf("", "WMA2   0Hz", "Mono"));
        Row("ASF stream beyond the prefix", mt::Asf, Cat({Cut(Asf({AsfVideo(64, 48, "WMV2")}), kAsfPrefixBytes + 100), wma}),
            asf("WMV2  64x48"));
        Row("ASF object cut by the prefix end", mt::Asf, Cat({Cut(wma, kAsfPrefixBytes - 100), Cut(AsfVideo(64, 48, "WMV2"), 100)}),
            asf("", "WMA2   22050Hz", "32kbps  Mono"));

        const auto flv = [](const char* video, const char* audio = "") { return Lines({"Flash Video V1", video, audio}); };
        Row("FLV uncompressed 5.5 kHz", mt::Flv, Flv({AudioTag(0x00)}), flv("", "uncompressed  5.5kHz 8bit Mono"));
        Row("FLV unnamed audio format", mt::Flv, Flv({AudioTag(0xAF)}), flv("", "  44kHz 16bit Stereo"));
        Row("FLV later tags overwrite, unnamed codecs do not", mt::Flv,
            Flv({VideoTag(0x12), AudioTag(0x2F), VideoTag(0x14), AudioTag(0xAA), VideoTag(0x11)}),
            flv("ON2 VP6", "MP3  22kHz 16bit Mono"));
        std::vector<Tag> tags(9, kScriptTag);
        tags.push_back(AudioTag(0x2F));
        Row("FLV audio as the tenth tag", mt::Flv, Flv(tags), flv("", "MP3  44kHz 16bit Stereo"));
        tags.insert(tags.begin(), kScriptTag);
        Row("FLV audio as the eleventh tag", mt::Flv, Flv(tags), flv(""));
        Row("FLV tags start at the data offset", mt::Flv,
            ByteWriter().Raw(Flv({VideoTag(0x17)}, 40)).PlaceAt(9, ByteWriter().BE32(0).U8(9).BE24(1).Fill(7).U8(0x12)),
            flv("H.264"));
        Row("FLV empty bodies skipped", mt::Flv, Flv({{8, {}}, {9, {}}, VideoTag(0x14)}), flv("ON2 VP6"));
        Row("FLV tag header cut", mt::Flv, Cut(Flv({VideoTag(0x12), AudioTag(0x2F)}), 43), flv("Sorensen H.263"));
        Row("FLV tag size past the end", mt::Flv, Set(Flv({AudioTag(0x2A)}), 16, 0x7F), flv("", "MP3  22kHz 16bit Mono"));
        Row("FLV tag header at the very end", mt::Flv, Cut(Flv({AudioTag(0x2F)}), 24), flv(""));
        Row("FLV version 2, data offset past the end", mt::Flv, Set(Set(Flv({AudioTag(0x2F)}), 3, 2), 5, 0xFF), flv(""));

        const auto rm = [](const char* first = "", const char* second = "") { return Lines({"RealMedia", first, second}); };
        const auto stream = [](const char* name, const Bytes& data, std::optional<uint32_t> length = {}) {
            return Rm({Mdpr(name, "", 0, data, length)});
        };
        const Bytes vido = Vido(64, 48, 12, 10);
        Row("RM kind in small letters", mt::Real, stream("video stream", vido), rm("64x48  10fps  12bit"));
        Row("RM VID across name, MIME", mt::Real, Rm({Mdpr("V", "D" + std::string(72, 0), 0, vido)}), rm("64x48  10fps  12bit"));
        Row("RM video header", mt::Real, Rm({Prop(364000), Mdpr("Video Stream", "video/x-pn", 300000, Vido(320, 240, 24, 25))}),
            Lines({"RealMedia  364bps", "320x240  25fps  24bit"}));
        Row("RM VIDO length 38", mt::Real, stream("Video", vido, 38), rm("64x48  10fps  12bit"));
        Row("RM VIDO length 33", mt::Real, stream("Video", vido, 33), rm());
        Row("RM VIDO length 39", mt::Real, stream("Video", vido, 39), rm());
        Row("RM VIDO in an audio stream", mt::Real, stream("Audio", vido), rm());
        Row("RM video rate and depth 0 left out", mt::Real, stream("Video", Vido(176, 144, 0, 0)), rm("176x144"));
        Row("RM rate 1000", mt::Real, stream("Audio", Ra(1000, 0, 16, 2)), rm("RealAudio  1000Hz  16bit"));
        Row("RM 16-bit rate", mt::Real, stream("Audio", Ra(100001, 65535, 16, 6)), rm("RealAudio  65535Hz  16bit"));
        Row("RM rates out of range", mt::Real, stream("Audio", Ra(999, 999, 16, 7)), rm("RealAudio  0Hz  16bit"));
        Row("RM audio in a video stream", mt::Real, stream("Video", Ra(22050, 0, 0, 1)), rm("RealAudio  22050Hz"));
        Row("RM lines consecutive", mt::Real,
            Rm({Prop(96000), Mdpr("Video", "", 64000, Vido(64, 48, 24, 10)), Mdpr("Audio", "", 32000, Ra(44100, 0, 16, 2))}),
            Lines({"RealMedia  96bps", "64x48  10fps  24bit", "RealAudio  44100Hz  16bit"}));
        Row("RM other chunk skipped, 500 bps", mt::Real, Rm({RmChunk("CONT", Bytes(30)), Prop(500)}), Lines({"RealMedia  1bps"}));
        Row("RM 20000499 bps", mt::Real, Rm({Prop(20000499)}), Lines({"RealMedia  20000bps"}));
        Row("RM 20000500 bps ignored", mt::Real, Rm({Prop(20000500)}), rm());
        Row("RM chunk size 7 ends the walk", mt::Real, Set(Rm({Prop(96000)}), 7, 7), rm());
        Row("RM last chunk ends at the end", mt::Real, Cat({kRmf, Prop(128000)}), Lines({"RealMedia  128bps"}));
        Row("RM huge chunk size", mt::Real, Set(Rm({Prop(128000)}), 4, 0xFF), rm());
        const Bytes cut = Cat({kRmf, Prop(96000), Mdpr("Audio", "audio/x-pn-realaudio", 32000, Ra(44100, 0, 16, 2))});
        Row("RM audio header cut", mt::Real, Cut(cut, cut.size() - 1), Lines({"RealMedia  96bps"}));

        const std::string q = "Quicktime", v = "AVC1  64x48 25fps 24bit", s = "MPEG4audio  44100Hz 16bit Stereo";
        const std::string noRate = "AVC1  64x48 24bit";
        // The video track's sample count N over the duration D and time scale T of the next track:
        // T / round(D / N), rounded, when that lies in (0, 100]; halves round up.
        Mov("25 fps", AV(), {q, v, s});
        Mov("rate rounds half up", AV({.samples = 1}, {.timeScale = 51, .duration = 2}), {q, "AVC1  64x48 26fps 24bit", s});
        Mov("sample duration rounds half up", AV({.samples = 4}, {.timeScale = 75, .duration = 10}), {q, v, s});
        Mov("rate 100 kept", AV({.samples = 100}, {.timeScale = 10000, .duration = 10000}), {q, "AVC1  64x48 100fps 24bit", s});
        Mov("rate above 100 left out", AV({.samples = 1000}, {.timeScale = 48000, .duration = 48000}), {q, noRate, s});
        Mov("sound track first: no rate", Movie(Cat({Track(SoundTrack{}), Track(VideoTrack{})})), {q, noRate, s});
        // The second video track's header gives a rate above 100; with its duration 500 carried
        // over the sound track's would give 25.
        const VideoTrack noSamples{.samples = 0, .timeScale = 100000, .duration = 5000};
        Mov("sample duration not carried over",
            Movie(Cat({Track(VideoTrack{.samples = 10}), Track(noSamples), Track(SoundTrack{.timeScale = 12500})})),
            {q, noRate, s});
        Mov("track header 1920x1080.5", AV({.trackWidth = 1920 << 16, .trackHeight = 1080 << 16 | 0x8000}),
            {q, "AVC1  1920x1080 25fps 24bit", s});
        // The sample entry's size counts only while the track header's is below 10.
        const auto sized = [&](const char* name, uint32_t tw, uint32_t th, uint16_t w, const std::string& line) {
            Mov(name, AV({.width = w, .height = 240, .trackWidth = tw << 16, .trackHeight = th << 16}), {q, line, s});
        };
        sized("track header 640x9", 640, 9, 320, "AVC1  320x240 25fps 24bit");
        sized("track header 640x480", 640, 480, 320, "AVC1  640x480 25fps 24bit");
        sized("entry 0x240 ignored", 0, 0, 0, "");
        const VideoTrack second{.code = "mp4v", .depth = 32, .trackWidth = 320 << 16, .trackHeight = 240 << 16};
        Mov("second video track: size only", AV({}, {}, Track(second)), {q, "AVC1  320x240 25fps 24bit", s});
        Mov("second sound track", AV({}, {}, Track(SoundTrack{.code = "sowt", .channels = 1, .bits = 8, .rate = 22050})),
            {q, v, "PCM  22050Hz 8bit Mono"});
        Mov("second sound, out of range", AV({}, {}, Track(SoundTrack{.code = "alac", .channels = 6, .bits = 0, .rate = 500})),
            {q, v, "Apple lossless  44100Hz 16bit Stereo"});
        Mov("4ch, no sample size", Movie(Track(SoundTrack{.channels = 4, .bits = 0})), {q, "", "MPEG4audio  44100Hz 4ch"});
        for (const auto& [field, hz] : {std::pair<uint32_t, std::string>{1000, "1000"}, {99999, "99999"}, {999, "0"},
                                        {100000, "0"}, {1 << 16 | 44100, "0"}})
            QTest::addRow("rate field %u", field) << int(mt::Mov) << Movie(Track(SoundTrack{.rate = field}))
                                                  << test::Lines({q, "", "MPEG4audio  " + hz + "Hz 16bit Stereo"}) << false;
        // Code names: exact and case-sensitive; the table's names are Latin-1.
        Mov("Latin-1 code name", Movie(Track(SoundTrack{.code = "ulaw"})), {q, "", "\u00B5-law  44100Hz 16bit Stereo"});
        Mov("code in capitals", Movie(Track(SoundTrack{.code = "MP4A"})), {q, "", "MP4A  44100Hz 16bit Stereo"});
        Mov("unknown", AV({.code = "abcd"}, {.code = "\xA9xyz"}), {q, "abcd  64x48 25fps 24bit", "\u00A9xyz  44100Hz 16bit Stereo"});
        // Blanks are trimmed from the video code before the look-up, not from the sound code.
        Mov("raw", AV({.code = "raw "}, {.code = "raw "}), {q, "raw  64x48 25fps 24bit", "RAW  44100Hz 16bit Stereo"});
        Mov("all blanks: no code, then a leading blank", AV({.code = "    "}, {}, Track(VideoTrack{.code = " svq"})),
            {q, "svq  64x48 25fps 24bit", s});
        // Containers are entered whatever their size; the media headers set the kind of the
        // sample descriptions that follow.
        Mov("first atom of size 0", Cat({Atom("ftyp", Zeros(8), 0), kMoov}), {q});
        Mov("container of size 0", ByteWriter().Raw(kMoov).PlaceAt(0, Zeros(4)), {q, v, s});
        // The track header inside would give 1920x1080 if it were walked.
        const Bytes cmov = Atom("cmov", Cat({Atom("dcom", Zeros(4)), Atom("cmvd", Tkhd(1920 << 16, 1080 << 16))}));
        Mov("compressed movie", Cat({Ftyp("qt  "), Atom("moov", cmov)}), {q, "", "compressed video"});
        Mov("compressed movie with sound", Cat({Ftyp("qt  "), Atom("moov", Cat({cmov, Track(SoundTrack{})}))}), {q, "", s});
        Mov("movie header sets video", Cat({Ftyp(), Moov(Entry(VideoTrack{}))}), {q, noRate});
        Mov("nmhd sets other", Cat({Ftyp(), Moov(Cat({Atom("smhd"), Atom("nmhd"), Entry(SoundTrack{})}))}), {q});
        Mov("no kind before a header", Cat({Ftyp(), Atom("moov", Cat({Entry(SoundTrack{}), Entry(VideoTrack{})}))}), {q});
        // A value past the data read ends the walk; what was found stays.
        Mov("cut sound entry", CutInLast(AV(), "stsd", 20), {q, v, "MPEG4audio  0Hz "});
        Mov("cut track header", CutInLast(Movie(Track(VideoTrack{})), "tkhd", 80), {q});
        Mov("header across the window end", MovieAt(kWindow - 4, kMoov), {q});
        Mov("container at the window end", MovieAt(kWindow - 8, kMoov), {q});
        Mov("moov after 3 MB", Cat({Ftyp(), Atom("mdat", Zeros(3000000)), kMoov}), {q, v, s});
        Mov("leaf value past the window", MovieAt(kWindow - 60, Cat({Track(VideoTrack{}), Track(SoundTrack{})})), {q});
        Mov("64-bit size", Cat({Ftyp(), LargeAtom(16 + 2000, Zeros(2000)), kMoov}), {q, v, s});
        for (const uint64_t size : {uint64_t(0), uint64_t(1) << 40, ~uint64_t(0)})
            QTest::addRow("64-bit size %llx", qulonglong(size)) << int(mt::Mov) << Cat({Ftyp(), LargeAtom(size, Zeros(100)), kMoov})
                                                               << test::Lines({q}) << false;
        Mov("size 4", Cat({Ftyp(), Atom("free", {}, 4), Zeros(4), kMoov}), {q});
        // After Canon's user data ("udta" whose first leaf starts with "CN") a size 0 is skipped
        // by 4 bytes; anywhere else it ends the walk.
        const auto udta = [&](const char* name, const Bytes& leaves, const std::string& line) {
            Mov(name, Cat({Ftyp(), Moov(Cat({Atom("udta", Cat({leaves, Zeros(4)})), Track(VideoTrack{})}))}), {q, line});
        };
        udta("CNCV", Atom("CNCV", Zeros(4)), noRate);
        udta("other user data", Atom("\xA9nam", Zeros(4)), "");
        udta("CN not first", Cat({Atom("meta", Zeros(4)), Atom("CNCV", Zeros(4))}), "");

        // Files that ffmpeg or our fixture script wrote; checked once against ffprobe and mediainfo.
        midi("MIDI format 2", file("midi_format2_2_tracks.mid"), "2 asynchronous tracks");
        midi("RMID format 0", file("rmid_format0.rmi"), "one single track", "RIFF RMID");
        Row("Sun AU mu-law", mt::SunAu, file("sun_au_mulaw.snd"), Lines({"Sun AU", "8bit µ-law", "8000Hz  Mono"}));
        Row("WebP animated", mt::WebP, file("webp_animated.webp"), Lines({"WEBP  VP8"}));
        ac3("AC-3 Dolby Surround", file("ac3_2_1_dolby_surround_44k.ac3"), "96kbps  44100Hz", "Stereo + Bass  Dolby Surround");
        ogg("Ogg Theora and Vorbis", file("ogg_theora_vorbis.ogv"), "", "vorbis  22050Hz  Mono");
        Row("ffmpeg WMV", mt::Wmv, file("wmv_wmv2_wmav2.wmv"),
            Lines({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"}));
        Row("ffmpeg ASF", mt::Asf, file("asf_mpeg4_mp3.asf"), asf("M4S2  64x48", "MPEG-1 Layer-3   22050Hz", "32kbps  Mono"));
        Row("ffmpeg FLV, 8 kHz", mt::Flv, file("flv_h264_nellymoser_8k.flv"), flv("H.264", "Nellymoser  8kHz 16bit Mono"));
        // ffmpeg names its streams "The ... Stream" and writes version-4 audio headers, whose
        // fields lie elsewhere: no video line, no stream rates, the sample size reads "nt".
        Row("ffmpeg RealMedia", mt::Real, file("real_rv10_ac3.rm"), Lines({"RealMedia  114bps", "RealAudio  0Hz  28276bit"}));
        // Made by ffmpeg. The rate comes from the next (sound) track, a little longer than the
        // video: 22050 / round(12049 / 5) gives 9 fps; muxers other than QuickTime's write 2
        // channels into the sound entry; the part file is the first 4000 bytes of a movie.
        Mov("mov", file("mov_h264_aac.mov"), {q, "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Mono"});
        Mov("mp4 part", file("mp4_download.mp4.part"), {q, "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Stereo"});
        Mov("raw video, 6 channels", file("mov_raw_rgb24_sowt_6ch.mov"), {q, "raw  32x24 10fps 24bit", "PCM  8000Hz 8bit "});
    }
    void readerLines()
    {
        QFETCH(int, type);
        QFETCH(Bytes, bytes);
        const auto [lines, several] = Read(type, test::WriteIn(dir_, "built", bytes), bytes);
        QTEST(lines, "lines");
        QTEST(several, "several");
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

    // The walk keeps its positions below 2^31, also in a (sparse) file that is longer.
    void aviWalkEndsBefore2GiB()
    {
        const Bytes head = Avi(Cat({AviVideo("MJPG", "MJPG"), Chunk("JUNK", {}, 0x7FFFFFF0)}), {});
        const Bytes strl = AviAudio(Wfx(1, 1, 8000, 16));
        QFile file(QString::fromStdString(test::WriteIn(dir_, "long.avi", head)));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(head.size()) + 0x7FFFFFF0));
        QVERIFY(file.write(reinterpret_cast<const char*>(strl.data()), qint64(strl.size())) == qint64(strl.size()));
        file.close();
        AviInfo info;
        QVERIFY(GetAviInfo(file.fileName().toStdString(), info) && info.AudioStreamCount() == 0);
    }
};

QTEST_APPLESS_MAIN(TestOtherFormatInfo)
#include "tst_other_format_info.moc"
