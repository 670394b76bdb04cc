// The RIFF readers (WAVE and AVI info and their lines) and the naming routines that every
// reader shares: channel texts, FourCC texts, text cleaning and the WAVE format-tag names.
#include "mediainfo/AviInfo.h"
#include "mediainfo/RiffText.h"
#include "mediainfo/WaveFormatNames.h"
#include "mediainfo/WaveInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using namespace std::string_literals;
using test::ByteWriter, test::Cat, test::Lines, test::Zeros;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(InfoLines)

namespace {

Bytes Head(Bytes bytes, size_t n) { bytes.resize(n); return bytes; }
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
Bytes Video(std::string_view handler, std::string_view compression, uint32_t scale = 1, uint32_t rate = 25)
{
    const Bytes bih = ByteWriter().LE32(40).LE32(64).LE32(48).LE16(1).LE16(24).Raw(FourCC(compression)).Fill(20);
    return Strl(Strh("vids", handler, scale, rate), bih);
}
Bytes Wfx(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) { return Fmt(tag, channels, rate, 0, 2, bits); }
Bytes Audio(const Bytes& wfx, std::string_view type = "auds") { return Strl(Strh(type, ""), wfx); }
Bytes Movi() { return Cat({List("movi", Chunk("00dc", Zeros(6))), Chunk("idx1", Zeros(16))}); }
// The header chain with a 64x48 main header, the stream lists, then `tail`.
Bytes Avi(const Bytes& streams, const Bytes& tail = Movi(), uint32_t microSecPerFrame = 40000)
{
    const Bytes avih = ByteWriter().LE32(microSecPerFrame).Fill(28).LE32(64).LE32(48).Fill(16);
    return Riff("AVI ", Cat({List("hdrl", Cat({Chunk("avih", avih), streams})), tail}));
}

void Row(const char* name, const Bytes& bytes, std::initializer_list<std::string> lines, bool several = false)
{
    QTest::newRow(name) << bytes << Lines(lines) << several;
}
Bytes Fixture(const char* name) { return test::ReadFile(test::Fixture(name)); }

}  // namespace

class TestRiffInfo : public QObject {
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

    // The reader is the one the expected lines name. WAVE: the values and their texts, then
    // the chunk search: chunks one after another (padded to even sizes), "fmt " within the
    // RIFF chunk's declared size and the file, at most 50 bytes. AVI: the lines and the
    // several-audio flag, the walk's stop rules and what it passes over, then the header
    // chain "RIFF" .. "AVI " "LIST" .. "hdrl" "avih" that decides success.
    void riff_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<bool>("several");
        const std::string w = "RIFF WAVE", x = "RIFF WAVE (extensible)", badWave = "no valid WAV file";
        Row("kbps cut", Wave(Fmt(1, 2, 44100, 176412, 4, 16)), {w, "PCM", "44100Hz  16bit  1411.2kbps   Stereo"});
        Row("largest rate", Wave(Fmt(1, 2, 44100, 0xFFFFFFFF, 4, 16)), {w, "PCM", "44100Hz  16bit  33554432Kbps   Stereo"});
        Row("no bits", Wave(Fmt(0x31, 1, 8000, 1625, 65, 0)), {w, "GSM610", "8000Hz  13kbps   Mono"});
        Row("all zero", Wave(Zeros(16)), {w, "UNKNOWN", "0Hz  "});
        Row("valid bits above", Wave(Extensible(2, 48000, 16, 24, 1)), {x, "PCM", "48000Hz  24bit  1500Kbps   Stereo"});
        Row("0 valid bits", Wave(Extensible(1, 8000, 16, 0, 1)), {x, "PCM", "8000Hz  125Kbps   Mono"});
        const Bytes pcm = Fmt(1, 1, 22050, 44100, 2, 16), fmt = Chunk("fmt ", pcm), form = FourCC("WAVE");
        const std::initializer_list<std::string> found = {w, "PCM", "22050Hz  16bit  352.8kbps   Mono"};
        Row("after LIST, odd JUNK", Riff("WAVE", Cat({List("INFO", Chunk("ISFT", {1})), Chunk("JUNK", {1}), fmt})), found);
        Row("after zero-size chunks", Riff("WAVE", Cat({Chunk("JUNK", {}), Chunk("\0\0\0\0"s, {}), fmt})), found);
        Row("RIFF size past the file", Cat({Chunk("RIFF", form, 0xFFFFFFFF), fmt}), found);
        Row("header in RIFF size", Cat({Chunk("RIFF", form, 12), fmt}), found);
        Row("header cut by RIFF size", Cat({Chunk("RIFF", form, 11), fmt}), {"", badWave});
        Row("fmt after RIFF", Cat({Riff("WAVE", Chunk("data", Zeros(8))), fmt}), {"", badWave});
        Row("file ends in fmt header", Cat({Chunk("RIFF", form, 100), FourCC("fmt ")}), {"", badWave});
        Row("fmt body cut", Cat({Chunk("RIFF", form, 100), Chunk("fmt ", Head(pcm, 8), 16)}), {w, "PCM", "22050Hz  Mono"});
        Row("fmt of 14", Riff("WAVE", Cat({Chunk("fmt ", Head(pcm, 14)), Chunk("data", {})})),
            {w, "PCM", "22050Hz  352.8kbps   Mono"});
        Row("fmt of 60", Riff("WAVE", Chunk("fmt ", Cat({Extensible(1, 48000, 24, 20, 1), Bytes(20, 0xEE)}))),
            {x, "PCM", "48000Hz  20of24bit  1125Kbps   Mono"});
        // Made by ffmpeg; ffprobe: 128000 b/s, which is 125 x 1024.
        Row("IMA ADPCM file", Fixture("wav_ima_adpcm.wav"), {w, "IMA ADPCM", "22050Hz  4bit  125Kbps   Mono"});

        const std::string a = "RIFF AVI", mjpg = "MJPG  64x48  25fps", cut = "MJPG  0x0  25fps", xvid = "XVID  64x48  25fps";
        const std::string pcm16Line = "PCM  8000Hz  16bit  Mono", bad = "no valid AVI file";
        const Bytes video = Video("MJPG", "MJPG"), pcm16 = Audio(Wfx(1, 1, 8000, 16));
        // Codes in file order; a first byte below '0' (as uncompressed video's 0) gives no text.
        Row("code /abc", Avi(Video("", "/abc")), {a, "  64x48  25fps"});
        Row("code 0abc, code in Latin-1", Avi(Cat({Video("", "0abc"), Video("", "\xE9t\xE9x")})),
            {a, "0abc/\u00E9t\u00E9x  64x48  25fps"});
        Row("no movi: 0x0", Avi(Cat({video, pcm16}), {}), {a, cut, pcm16Line});
        Row("audio only, three streams", Avi(Cat({Audio(Wfx(0x55, 2, 44100, 0)), pcm16, Audio(Wfx(0x2000, 6, 48000, 0))})),
            {a, "MPEG-1 Layer-3  44100Hz  Stereo", pcm16Line, "AC3 DVM  48000Hz  6ch."}, true);
        Row("codes, then handlers", Avi(Cat({Video("mjpg", "MJPG"), Video("DIVX", "XVID")})),
            {a, "MJPG/XVID/DIVX  64x48  25fps"});
        Row("handler against own code and previous", Avi(Cat({Video("DIB ", ""), Video("dib", ""), Video("divx", "XVID")})),
            {a, "XVID/DIB/divx  64x48  25fps"});
        Row("12.345 halves up", Avi(Video("", "XVID", 1000, 12345)), {a, "XVID  64x48  12.35fps"});
        Row("scale 0: main header's rate", Avi(Video("", "XVID", 0, 25), Movi(), 33367), {a, "XVID  64x48  29.97fps"});
        Row("no rate", Avi(Video("", "XVID", 0, 25), Movi(), 0), {a, "XVID  64x48"});
        Row("strf of 14: no bits", Avi(Audio(Head(Wfx(1, 1, 8000, 16), 14))), {a, "PCM  8000Hz  Mono"});
        Row("strf of 15: padded", Avi(Audio(Head(Wfx(1, 1, 8000, 16), 15))), {a, pcm16Line});
        Bytes nine = video;
        for (int k = 0; k < 9; ++k)
            nine = Cat({nine, pcm16});
        Row("nine audio streams", Avi(nine), {a, mjpg, pcm16Line, pcm16Line, pcm16Line, pcm16Line, pcm16Line, pcm16Line}, true);
        Row("identifier below 33", Avi(Cat({video, Chunk(" xxx", Zeros(4)), pcm16})), {a, cut});
        Row("identifier 33", Avi(Cat({video, Chunk("!xxx", Zeros(4)), pcm16})), {a, mjpg, pcm16Line});
        Row("size 0xFFFFFFFF: no wrap", Avi(Cat({video, Chunk("JUNK", {}, 0xFFFFFFFF), pcm16})), {a, cut});
        Row("zero-size, odd", Avi(Cat({Chunk("JUNK", {}), Chunk("JUNK", {1}), video, Chunk("IDIT", {}), pcm16})),
            {a, mjpg, pcm16Line});
        Row("LIST of size 0", Avi(Cat({Chunk("LIST", FourCC("abcd"), 0), video})), {a, mjpg});
        Row("movi passed over", Avi(video, Cat({List("movi", Audio(Wfx(1, 1, 8000, 8))), pcm16})), {a, mjpg, pcm16Line});
        Row("type in capitals, others ignored", Avi(Cat({Audio(Zeros(16), "txts"), Audio(Wfx(1, 2, 11025, 8), "AUDS")})),
            {a, "PCM  11025Hz  8bit  Stereo"});
        Row("short strh, strf", Avi(Strl(test::Bytes("vidsXVID"), {0, 0})), {a, xvid});
        Row("cut in the main header", Head(Avi(video), 60), {a});
        const Bytes good = Avi(video);
        for (const auto& [at, text] : std::initializer_list<std::pair<size_t, const char*>>{
                 {0, "RIFX"}, {8, "AVIX"}, {8, "avi "}, {12, "JUNK"}, {20, "strl"}, {24, "strh"}})
            QTest::addRow("%s at %zu", text, at) << Bytes(ByteWriter().Raw(good).PlaceAt(at, FourCC(text)))
                                                 << Lines({"", bad}) << false;
        Row("chain of 27 bytes", Head(good, 27), {"", bad});
        // Made by ffmpeg. The part file is a file's first 6000 bytes: no "movi", so no size.
        Row("file part", Fixture("avi_split_part.avi.001"), {a, "FMP4  0x0  10fps", "MPEG-1 Layer-3  22050Hz  Mono"});
    }
    void riff()
    {
        QFETCH(Bytes, bytes);
        QFETCH(InfoLines, lines);
        const std::string path = test::WriteIn(dir_, "riff.bin", bytes);
        InfoLines actual;
        StreamFlags flags;
        if (lines[0] == "RIFF AVI" || lines[1] == "no valid AVI file") {
            AviInfo info;
            PutAviInfoLines(info, GetAviInfo(path, info), actual, flags);
        } else {
            WaveInfo info;
            PutWaveInfoLines(info, GetWaveInfo(path, info), actual, flags);
        }
        QCOMPARE(actual, lines);
        QTEST(flags.SeveralAudioStreams, "several");
    }

    // The walk keeps its positions below 2^31, also in a (sparse) file that is longer.
    void aviWalkEndsBefore2GiB()
    {
        const Bytes head = Avi(Cat({Video("MJPG", "MJPG"), Chunk("JUNK", {}, 0x7FFFFFF0)}), {});
        const Bytes strl = Audio(Wfx(1, 1, 8000, 16));
        QFile file(QString::fromStdString(test::WriteIn(dir_, "long.avi", head)));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(head.size()) + 0x7FFFFFF0));
        QVERIFY(file.write(reinterpret_cast<const char*>(strl.data()), qint64(strl.size())) == qint64(strl.size()));
        file.close();
        AviInfo info;
        QVERIFY(GetAviInfo(file.fileName().toStdString(), info) && info.AudioStreamCount() == 0);
    }
};

QTEST_APPLESS_MAIN(TestRiffInfo)
#include "tst_riff_info.moc"
