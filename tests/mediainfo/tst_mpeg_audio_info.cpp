// MPEG audio: frame header decoding with its display lines, the Xing and VBRI averages, and
// the frame search of an audio file with its ID3v2 rules, through the MPEG reader.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegStreamInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(vistrel::InfoLines)

namespace {

Bytes Hex(const char* hex) { return HexToBytes(hex); }
// A Xing header (frames at +8, bytes at +12) and a VBRI header (bytes at +10, frames at +14).
Bytes Xing(uint32_t frames, uint32_t bytes) { return test::ByteWriter().Text("Xing").BE32(15).BE32(frames).BE32(bytes); }
Bytes Vbri(uint32_t bytes, uint32_t frames) { return test::ByteWriter().Text("VBRI").Fill(6).BE32(bytes).BE32(frames); }
// An ID3v2 tag header whose size field holds `size` in 7-bit groups.
Bytes Id3(uint32_t s)
{
    return test::ByteWriter().Text("ID3").BE24(0x030000).U8(s >> 21 & 127).U8(s >> 14 & 127).U8(s >> 7 & 127).U8(s & 127);
}

}  // namespace

class TestMpegAudioInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // A frame header, with the buffer searched for a Xing or VBRI header (layer 3 only), and
    // lines 0 to 2 joined by "|"; none when the header is refused.
    void decode_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<Bytes>("buffer");
        QTest::addColumn<QString>("lines");
        const auto row = [](const char* name, const char* header, const Bytes& buffer, const char* lines) {
            QTest::newRow(name) << header << buffer << lines;
        };
        row("MPEG-1 layer 3", "FFFB9064", {}, "MPEG-1 Audio Stream|Layer-3  128kbps CBR |44100Hz  Joint Stereo");
        row("MPEG-1 layer 3, index 14", "FFFBE0C0", {}, "MPEG-1 Audio Stream|Layer-3  320kbps CBR |44100Hz  Mono");
        row("MPEG-1 layer 2", "FFFDE800", {}, "MPEG-1 Audio Stream|Layer-2  384kbps |32000Hz  Stereo");
        row("MPEG-1 layer 1", "FFFFE400", {}, "MPEG-1 Audio Stream|Layer-1  448kbps |48000Hz  Stereo");
        row("MPEG-2 layer 3", "FFF39848", {}, "MPEG-2 Audio Stream|Layer-3  80kbps CBR |16000Hz  Joint Stereo");
        row("MPEG-2 layer 1", "FFF7E000", {}, "MPEG-2 Audio Stream|Layer-1  256kbps |22050Hz  Stereo");
        // Version bits 01 read as 2.5, with its own layer 3 rates (12 and 20 at indexes 2 and 3).
        row("MPEG-2.5 index 2", "FFEB2080", {}, "MPEG-2.5 Audio Stream|Layer-3  12kbps CBR |11025Hz  Dual Channel");
        row("MPEG-2.5 index 3", "FFEB3440", {}, "MPEG-2.5 Audio Stream|Layer-3  20kbps CBR |12000Hz  Joint Stereo");
        // Without a rate table (2.5, layers 1 and 2) and in free format the rate is left out.
        row("MPEG-2.5 layer 1", "FFEF90C0", {}, "MPEG-2.5 Audio Stream|Layer-1|11025Hz  Mono");
        row("free format, protected", "FFFA0000", {}, "MPEG-1 Audio Stream|Layer-3  CBR |44100Hz  Stereo");
        // A variable rate: the average of the Xing or VBRI counts, rounded half up.
        const Bytes xing = test::Cat({Hex("FFFB9064"), Bytes(32), Xing(1000, 417959), Bytes(100)});
        row("Xing wins over an earlier VBRI", "FFFB9064", test::Cat({Vbri(3879, 21), xing}),
            "MPEG-1 Audio Stream|Layer-3  128kbps VBR |44100Hz  Joint Stereo");
        row("128.5 rounds up", "FFFB9400", Xing(2, 771), "MPEG-1 Audio Stream|Layer-3  129kbps VBR |48000Hz  Stereo");
        row("128.17 rounds down", "FFFB9400", Xing(2, 769), "MPEG-1 Audio Stream|Layer-3  128kbps VBR |48000Hz  Stereo");
        row("MPEG-2, 144 too", "FFF39064", Xing(1000, 200000), "MPEG-2 Audio Stream|Layer-3  31kbps VBR |22050Hz  Joint Stereo");
        row("byte count cut off", "FFFB9064", test::ByteWriter().Text("Xing").Fill(4).BE32(10),
            "MPEG-1 Audio Stream|Layer-3  VBR |44100Hz  Joint Stereo");
        row("layer 2 ignores Xing", "FFFD8004", Xing(1000, 417959), "MPEG-1 Audio Stream|Layer-2  128kbps |44100Hz  Stereo");
        row("version bits 00", "FFE39064", {}, "");
        row("layer bits 00", "FFF99064", {}, "");
        row("rate index 15", "FFFBF064", {}, "");
        row("sample-rate index 3", "FFFB9C64", {}, "");
        row("Xing with 0 frames", "FFFB9064", Xing(0, 417959), "");
        row("Xing cut before its frame count", "FFFB9064", test::ByteWriter().Fill(10).Text("Xing").Fill(4), "");
    }
    void decode()
    {
        QFETCH(QString, header);
        QFETCH(Bytes, buffer);
        QFETCH(QString, lines);
        const Bytes h = HexToBytes(header.toStdString());
        MpegAudioInfo info;
        QCOMPARE(ParseMpegAudioHeader(info, buffer, {h[0], h[1], h[2], h[3]}) && info.Valid, !lines.isEmpty());
        const auto decoded = MpegAudioLines(info);
        if (info.Valid)
            QCOMPARE(QString::fromStdString(decoded[0] + "|" + decoded[1] + "|" + decoded[2]), lines);
    }

    void frameSearch()
    {
        // the first 0xFF whose next byte has its top three bits set; after ID3v2 layer 3 only
        const Bytes bytes = Hex("00FF00FFDF12FFE0FFFB9064");
        QCOMPARE(FindMpegAudioFrame(bytes, false), size_t{6});
        QCOMPARE(FindMpegAudioFrame(bytes, true), size_t{8});
        QCOMPARE(FindMpegAudioFrame(bytes, false, 7), size_t{8});
        QCOMPARE(FindMpegAudioFrame(bytes, false, 0, 6), kNotFound);
        QCOMPARE(FindMpegAudioFrame(Hex("0000FF"), false), kNotFound);
        // the top bit of each ID3v2 size byte is not masked
        const int64_t unmasked = (int64_t{0x80} << 21) + (0x80 << 14) + (0x80 << 7) + 0xFF;
        QCOMPARE(Id3v2TagSize(Hex("494433030000808080FF")).value_or(0), unmasked);
        QVERIFY(!Id3v2TagSize(test::Bytes("ID2xxxxxxx")));
    }

    // Audio files through the MPEG reader: no pack or sequence header, so the frame search.
    void audioFiles_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        const InfoLines mp3 = test::Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"});
        const InfoLines none = test::Lines({"", "unknown"});
        const Bytes layer2 = test::Cat({Hex("FFF544C4"), Bytes(20), Hex("FFFB9064"), Bytes(400)});
        QTest::newRow("only the first candidate") << test::Cat({Hex("FFE01234FFFB9064"), Bytes(100)}) << none;
        QTest::newRow("header cut by the end") << test::Cat({Bytes(40), Hex("FFFB90")}) << none;
        QTest::newRow("first candidate, layer 2")
            << layer2 << test::Lines({"MPEG-2 Audio Stream", "Layer-2  32kbps ", "24000Hz  Mono"});
        QTest::newRow("after ID3v2, layer 3 only") << test::Cat({Id3(100), Bytes(100), layer2}) << mp3;
        // The refill overwrites the buffer from its start; a frame further in stays found.
        const Bytes frameInTag = test::ByteWriter().Raw(Id3(60)).Fill(80).PlaceAt(40, Hex("FFFB9064"));
        QTest::newRow("refill keeps later bytes") << frameInTag << mp3;
        // The buffer holds 1,024,000 bytes: a larger tag leaves nothing to search.
        QTest::newRow("tag larger than the buffer")
            << Bytes(test::ByteWriter().Raw(Id3(2000000)).Raw(Hex("FFFB9064")).Fill(1100000 - 14)) << none;
        QTest::newRow("tag of 1,000,000 bytes")
            << Bytes(test::ByteWriter().Raw(Id3(1000000)).Fill(1000000).Raw(Hex("FFFB9064")).Fill(99986)) << mp3;
        const auto fixture = [](const char* name, const InfoLines& lines) {
            QTest::newRow(name) << test::ReadFile(test::Fixture(name)) << lines;
        };
        fixture("mp3_vbr_xing.mp3", test::Lines({"MPEG-1 Audio Stream", "Layer-3  54kbps VBR ", "44100Hz  Stereo"}));
        fixture("mp3_vbr_vbri.mp3", test::Lines({"MPEG-1 Audio Stream", "Layer-3  57kbps VBR ", "44100Hz  Joint Stereo"}));
        fixture("riff_rmp3_with_mp3_frames.mp3", mp3);
    }
    void audioFiles()
    {
        QFETCH(Bytes, bytes);
        MpegInfo info;
        const bool ok = GetMpegInfo(test::WriteIn(dir_, "audio.mp3", bytes), info);
        InfoLines lines;
        StreamFlags flags;
        PutMpegInfoLines(info, ok, lines, flags);
        QTEST(lines, "lines");
        QVERIFY(!flags.SeveralAudioStreams && !flags.MpegProgramWithVideo);
    }
};

QTEST_APPLESS_MAIN(TestMpegAudioInfo)
#include "tst_mpeg_audio_info.moc"
