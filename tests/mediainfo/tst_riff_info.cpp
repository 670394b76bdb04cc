// The RIFF readers (WAVE and AVI info and their lines) and the naming routines that every
// reader shares: channel texts, FourCC texts, text cleaning and the WAVE format-tag names.
#include "mediainfo/AviInfo.h"
#include "mediainfo/ChannelsText.h"
#include "mediainfo/RiffText.h"
#include "mediainfo/WaveFormatNames.h"
#include "mediainfo/WaveInfo.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vistrel;
using namespace std::string_literals;
using test::ByteWriter;
using test::Cat;
using test::Lines;
using test::Zeros;
using Bytes = std::vector<uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(InfoLines)
Q_DECLARE_METATYPE(std::string)

namespace {

Bytes Head(Bytes bytes, size_t n) { bytes.resize(n); return bytes; }
Bytes FourCC(std::string_view text) { return ByteWriter().Text(text).Fill(4 - text.size()); }
uint32_t Code(std::string_view text) { return uint32_t(ByteBuffer(FourCC(text)).LE32(0)); }
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
Bytes Video(std::string_view handler, std::string_view compression, uint32_t scale = 1, uint32_t rate = 25)
{
    const Bytes bih = ByteWriter().LE32(40).LE32(64).LE32(48).LE16(1).LE16(24).Raw(FourCC(compression)).Fill(20);
    return List("strl", Cat({Chunk("strh", Strh("vids", handler, scale, rate)), Chunk("strf", bih)}));
}
Bytes Wfx(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) { return Fmt(tag, channels, rate, 0, 2, bits); }
Bytes Audio(const Bytes& wfx) { return List("strl", Cat({Chunk("strh", Strh("auds", "")), Chunk("strf", wfx)})); }
Bytes Movi() { return Cat({List("movi", Chunk("00dc", Zeros(6))), Chunk("idx1", Zeros(16))}); }
// The header chain with a 64x48 main header, the stream lists, then `tail`.
Bytes Avi(const Bytes& streams, const Bytes& tail = Movi(), uint32_t microSecPerFrame = 40000)
{
    const Bytes avih = ByteWriter().LE32(microSecPerFrame).Fill(28).LE32(64).LE32(48).Fill(16);
    return Riff("AVI ", Cat({List("hdrl", Cat({Chunk("avih", avih), streams})), tail}));
}

// Each row: the bytes of a file and the lines one reader must give for it.
void AddColumns()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<InfoLines>("lines");
    QTest::addColumn<bool>("several");
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

    // Success is a named format in line 0.
    void Check(bool avi)
    {
        QFETCH(Bytes, bytes);
        QFETCH(InfoLines, lines);
        QFETCH(bool, several);
        const std::string path = test::WriteIn(dir_, "riff.bin", bytes);
        InfoLines actual;
        StreamFlags flags;
        WaveInfo wave;
        AviInfo info;
        const bool ok = avi ? GetAviInfo(path, info) : GetWaveInfo(path, wave);
        avi ? PutAviInfoLines(info, ok, actual, flags) : PutWaveInfoLines(wave, ok, actual, flags);
        QCOMPARE(actual, lines);
        QCOMPARE(ok, !lines[0].empty());
        QCOMPARE(flags.SeveralAudioStreams, several);
    }

private slots:
    // Each row: what a shared naming routine gave and the text it must give.
    void names_data()
    {
        QTest::addColumn<std::string>("actual");
        QTest::addColumn<std::string>("expected");
        // 16-bit RIFF fields of 0x8000 and up arrive negative; the other readers pass any count.
        for (const auto& [count, text] : std::initializer_list<std::pair<int16_t, std::string>>{
                 {-32768, ""}, {0, ""}, {1, "Mono"}, {2, "Stereo"}, {3, "Joint Stereo"}, {4, "Quad"}, {5, "5ch."},
                 {32767, "32767ch."}}) {
            QTest::addRow("GetChannelsText(%d)", count) << GetChannelsText(count) << text;
            QTest::addRow("ChannelsText(%d)", count) << ChannelsText(count) << text;
        }
        QTest::newRow("ChannelsText(65535)") << ChannelsText(65535) << "65535ch."s;
        for (const auto& [tag, name] : std::initializer_list<std::pair<uint16_t, std::string>>{
                 {0x0007, "\u00B5-law"}, {0x1100, "LH CODEC"}, {0x1104, "LH CODEC"}, {0x1105, "0x1105"},
                 {0x00FF, "0xFF"}, {0xFFFF, "In Development"}})
            QTest::addRow("format tag 0x%04X", tag) << GetWaveFormatName(tag) << name;
        // Codes in file order; a first byte below '0' (as uncompressed video's 0) gives no text.
        QTest::newRow("code /abc") << FourCCToText(Code("/abc")) << ""s;
        QTest::newRow("code 0abc") << FourCCToText(Code("0abc")) << "0abc"s;
        QTest::newRow("code ab, NULs kept") << FourCCToText(Code("ab")) << "ab\0\0"s;
        QTest::newRow("code in Latin-1") << FourCCToText(Code("\xE9t\xE9x")) << "\u00E9t\u00E9x"s;
        QTest::newRow("clean: cut at NUL, trimmed again") << CleanText(" ab \0 x"s) << "ab"s;
        QTest::newRow("clean: NUL first") << CleanText("\0abc"s) << ""s;
        QTest::newRow("clean: tab and inner blanks stay") << CleanText("\ta  b ") << "\ta  b"s;
    }
    void names()
    {
        QFETCH(std::string, actual);
        QFETCH(std::string, expected);
        QCOMPARE(actual, expected);
    }

    // The values and their texts, then the chunk search: chunks one after another (padded to
    // even sizes), "fmt " within the RIFF chunk's declared size and the file, at most 50 bytes.
    void wave_data()
    {
        AddColumns();
        const std::string w = "RIFF WAVE", x = "RIFF WAVE (extensible)", bad = "no valid WAV file";
        Row("kbps cut", Wave(Fmt(1, 2, 44100, 176412, 4, 16)), {w, "PCM", "44100Hz  16bit  1411.2kbps   Stereo"});
        Row("largest rate", Wave(Fmt(1, 2, 44100, 0xFFFFFFFF, 4, 16)), {w, "PCM", "44100Hz  16bit  33554432Kbps   Stereo"});
        Row("no bits", Wave(Fmt(0x31, 1, 8000, 1625, 65, 0)), {w, "GSM610", "8000Hz  13kbps   Mono"});
        Row("all zero", Wave(Zeros(16)), {w, "UNKNOWN", "0Hz  "});
        Row("65535 channels", Wave(Fmt(1, 0xFFFF, 8000, 8000, 1, 8)), {w, "PCM", "8000Hz  8bit  64kbps   "});
        Row("valid bits above", Wave(Extensible(2, 48000, 16, 24, 1)), {x, "PCM", "48000Hz  24bit  1500Kbps   Stereo"});
        Row("0 valid bits", Wave(Extensible(1, 8000, 16, 0, 1)), {x, "PCM", "8000Hz  125Kbps   Mono"});
        Row("float", Wave(Extensible(2, 48000, 32, 32, 3)), {x, "IEEE Float", "48000Hz  32bit  3000Kbps   Stereo"});
        const Bytes pcm = Fmt(1, 1, 22050, 44100, 2, 16), fmt = Chunk("fmt ", pcm), form = FourCC("WAVE");
        const std::initializer_list<std::string> found = {w, "PCM", "22050Hz  16bit  352.8kbps   Mono"};
        Row("after LIST, odd JUNK", Riff("WAVE", Cat({List("INFO", Chunk("ISFT", {1})), Chunk("JUNK", {1}), fmt})), found);
        Row("after zero-size chunks", Riff("WAVE", Cat({Chunk("JUNK", {}), Chunk("\0\0\0\0"s, {}), fmt})), found);
        Row("RIFF size past the file", Cat({Chunk("RIFF", form, 0xFFFFFFFF), fmt}), found);
        Row("header in RIFF size", Cat({Chunk("RIFF", form, 12), fmt}), found);
        Row("header cut by RIFF size", Cat({Chunk("RIFF", form, 11), fmt}), {"", bad});
        Row("fmt after RIFF", Cat({Riff("WAVE", Chunk("data", Zeros(8))), fmt}), {"", bad});
        Row("file ends in fmt header", Cat({Chunk("RIFF", form, 100), FourCC("fmt ")}), {"", bad});
        Row("fmt body cut", Cat({Chunk("RIFF", form, 100), Chunk("fmt ", Head(pcm, 8), 16)}), {w, "PCM", "22050Hz  Mono"});
        Row("fmt of 14", Riff("WAVE", Cat({Chunk("fmt ", Head(pcm, 14)), Chunk("data", {})})),
            {w, "PCM", "22050Hz  352.8kbps   Mono"});
        Row("fmt of 60", Riff("WAVE", Chunk("fmt ", Cat({Extensible(1, 48000, 24, 20, 1), Bytes(20, 0xEE)}))),
            {x, "PCM", "48000Hz  20of24bit  1125Kbps   Mono"});
        Row("RIFF AVI", Riff("AVI ", fmt), {"", bad});
        Row("empty", {}, {"", bad});
        // Made by ffmpeg; ffprobe: 128000 b/s, which is 125 x 1024.
        Row("IMA ADPCM file", Fixture("wav_ima_adpcm.wav"), {w, "IMA ADPCM", "22050Hz  4bit  125Kbps   Mono"});
        Row("extensible file", Fixture("wav_extensible_20of24.wav"), {x, "PCM", "48000Hz  20of24bit  1125Kbps   Mono"});
    }
    void wave() { Check(false); }

    // The lines and the several-audio flag, the walk's stop rules and what it passes over,
    // then the header chain "RIFF" .. "AVI " "LIST" .. "hdrl" "avih" that decides success.
    void avi_data()
    {
        AddColumns();
        const std::string a = "RIFF AVI", mjpg = "MJPG  64x48  25fps", cut = "MJPG  0x0  25fps", xvid = "XVID  64x48  25fps";
        const std::string pcm = "PCM  8000Hz  16bit  Mono", bad = "no valid AVI file";
        const Bytes video = Video("MJPG", "MJPG"), pcm16 = Audio(Wfx(1, 1, 8000, 16));
        Row("no code", Avi(Video("", "")), {a, "  64x48  25fps"});
        Row("no movi: 0x0", Avi(Cat({video, pcm16}), {}), {a, cut, pcm});
        Row("audio only, three streams", Avi(Cat({Audio(Wfx(0x55, 2, 44100, 0)), pcm16, Audio(Wfx(0x2000, 6, 48000, 0))})),
            {a, "MPEG-1 Layer-3  44100Hz  Stereo", pcm, "AC3 DVM  48000Hz  6ch."}, true);
        Row("codes, then handlers", Avi(Cat({Video("mjpg", "MJPG"), Video("DIVX", "XVID")})),
            {a, "MJPG/XVID/DIVX  64x48  25fps"});
        Row("handler against own code and previous", Avi(Cat({Video("DIB ", ""), Video("dib", ""), Video("divx", "XVID")})),
            {a, "XVID/DIB/divx  64x48  25fps"});
        Row("12.345 halves up", Avi(Video("", "XVID", 1000, 12345)), {a, "XVID  64x48  12.35fps"});
        Row("scale 0: main header's rate", Avi(Video("", "XVID", 0, 25), Movi(), 33367), {a, "XVID  64x48  29.97fps"});
        Row("no rate", Avi(Video("", "XVID", 0, 25), Movi(), 0), {a, "XVID  64x48"});
        Row("strf of 14: no bits", Avi(Audio(Head(Wfx(1, 1, 8000, 16), 14))), {a, "PCM  8000Hz  Mono"});
        Row("strf of 15: padded", Avi(Audio(Head(Wfx(1, 1, 8000, 16), 15))), {a, pcm});
        Bytes nine = Video("XVID", "XVID");
        for (uint32_t k = 1; k <= 9; ++k)
            nine = Cat({nine, Audio(Wfx(1, 2, k * 1000, 8))});
        const auto khz = [](int k) { return "PCM  " + std::to_string(k) + "000Hz  8bit  Stereo"; };
        Row("nine audio streams", Avi(nine), {a, xvid, khz(1), khz(2), khz(3), khz(4), khz(5), khz(6)}, true);
        Row("identifier below 33", Avi(Cat({video, Chunk(" xxx", Zeros(4)), pcm16})), {a, cut});
        Row("identifier 33", Avi(Cat({video, Chunk("!xxx", Zeros(4)), pcm16})), {a, mjpg, pcm});
        Row("size 0xFFFFFFFF: no wrap", Avi(Cat({video, Chunk("JUNK", {}, 0xFFFFFFFF), pcm16})), {a, cut});
        Row("zero-size, odd", Avi(Cat({Chunk("JUNK", {}), Chunk("JUNK", {1}), video, Chunk("IDIT", {}), pcm16})),
            {a, mjpg, pcm});
        Row("LIST of size 0", Avi(Cat({Chunk("LIST", FourCC("abcd"), 0), video})), {a, mjpg});
        const Bytes streamInMovi = List("movi", Cat({Chunk("strh", Strh("auds", "")), Chunk("strf", Wfx(1, 1, 8000, 8))}));
        Row("movi passed over", Avi(video, Cat({streamInMovi, pcm16})), {a, mjpg, pcm});
        Row("type in capitals, others ignored",
            Avi(Cat({List("strl", Cat({Chunk("strh", Strh("txts", "")), Chunk("strf", Zeros(16))})),
                     List("strl", Cat({Chunk("strh", Strh("AUDS", "")), Chunk("strf", Wfx(1, 2, 11025, 8))}))})),
            {a, "PCM  11025Hz  8bit  Stereo"});
        Row("short strh, strf", Avi(List("strl", Cat({Chunk("strh", test::Bytes("vidsXVID")), Chunk("strf", {0, 0})}))),
            {a, xvid});
        Row("cut in the main header", Head(Avi(video), 60), {a});
        Row("cut in a chunk header", Cat({Avi(video, {}), test::Bytes("LI")}), {a, cut});
        const Bytes good = Avi(video);
        for (const auto& [at, text] : std::initializer_list<std::pair<size_t, const char*>>{
                 {0, "RIFX"}, {8, "AVIX"}, {8, "avi "}, {12, "JUNK"}, {20, "strl"}, {24, "strh"}})
            QTest::addRow("%s at %zu", text, at) << Bytes(ByteWriter().Raw(good).PlaceAt(at, FourCC(text)))
                                                 << Lines({"", bad}) << false;
        Row("chain of 27 bytes", Head(good, 27), {"", bad});
        Row("RIFF WAVE", Wave(Zeros(16)), {"", bad});
        Row("empty", {}, {"", bad});
        // Made by ffmpeg. The part file is a file's first 6000 bytes: no "movi", so no size.
        Row("two audio streams file", Fixture("avi_mpeg4_two_audio.avi"),
            {a, "FMP4  64x48  10fps", "MPEG-1 Layer-3  22050Hz  Mono", "PCM  8000Hz  16bit  Mono"}, true);
        Row("file part", Fixture("avi_split_part.avi.001"), {a, "FMP4  0x0  10fps", "MPEG-1 Layer-3  22050Hz  Mono"});
    }
    void avi() { Check(true); }

    // The walk keeps its positions below 2^31, also in a (sparse) file that is longer.
    void aviWalkEndsBefore2GiB()
    {
        const Bytes head = Avi(Cat({Video("MJPG", "MJPG"), Chunk("JUNK", {}, 0x7FFFFFF0)}), {});
        const Bytes strl = Audio(Wfx(1, 1, 8000, 16));
        QFile file(QString::fromStdString(test::WriteIn(dir_, "long.avi", head)));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(head.size()) + 0x7FFFFFF0));
        QCOMPARE(file.write(reinterpret_cast<const char*>(strl.data()), qint64(strl.size())), qint64(strl.size()));
        file.close();
        AviInfo info;
        QVERIFY(GetAviInfo(file.fileName().toStdString(), info));
        QCOMPARE(info.AudioStreamCount(), size_t(0));
    }

    void unreadableNamesFail()
    {
        WaveInfo wave;
        AviInfo avi;
        for (const std::string& path : {""s, dir_.filePath("missing").toStdString(), dir_.path().toStdString()})
            QVERIFY(!GetWaveInfo(path, wave) && !GetAviInfo(path, avi));
    }
};

QTEST_APPLESS_MAIN(TestRiffInfo)
#include "tst_riff_info.moc"
