// MPEG streams: program, video and transport streams built byte by byte for the search
// windows and limits, the video header tables, and the lines of real files; MPEG audio: frame
// header decoding, the Xing and VBRI averages, and the frame search with its ID3v2 rules.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegStreamInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using test::Cat;
using test::Lines;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t kPackSpacing = 2048;

// `size` bytes (at least the parts' length) with the parts at their offsets.
Bytes Sized(size_t size, std::initializer_list<std::pair<size_t, Bytes>> parts)
{
    test::ByteWriter w;
    for (const auto& [pos, part] : parts)
        w.PlaceAt(pos, part);
    return w.Fill(size > w.Size() ? size - w.Size() : 0);
}
Bytes Place(const Bytes& bytes, size_t pos, const Bytes& what) { return Sized(0, {{0, bytes}, {pos, what}}); }
Bytes Code(uint8_t last) { return {0x00, 0x00, 0x01, last}; }
// MPEG-1 pack header (12 bytes, top bits 00) and MPEG-2 pack header (14 bytes, top bits 01).
Bytes Pack1() { return HexToBytes("000001BA2100010001800001"); }
Bytes Pack2() { return HexToBytes("000001BA4400040004010189C3F8"); }
// A sequence header with a variable bit rate, and a group of pictures at time code 0.
Bytes Sequence(int width, int height, int aspect, int rate)
{
    return Cat({Code(0xB3), {uint8_t(width >> 4), uint8_t((width & 15) << 4 | height >> 8), uint8_t(height),
                             uint8_t(aspect << 4 | rate), 0xFF, 0xFF, 0xE3, 0x80}});
}
const Bytes kGop = Cat({Code(0xB8), {0, 8, 0, 0}});
Bytes Extension(const char* hex) { return Cat({Code(0xB5), HexToBytes(hex)}); }
// An audio packet C0 + stream whose byte 8 is 4: the frame header at offset 13 is where the
// search starts whichever PES header length applies.
Bytes Audio(int stream, const char* header)
{
    return Cat({Code(uint8_t(0xC0 + stream)), HexToBytes("0020000004"), Bytes(4), HexToBytes(header)});
}
// A private stream 1 packet with its substream identifier at offset 9 + 5.
Bytes Private(uint8_t id) { return Cat({Code(0xBD), HexToBytes("0020818005"), Bytes(5), {id}}); }
// One packet after each pack header, packs 2048 bytes apart.
Bytes ProgramStream(bool mpeg2, const std::vector<Bytes>& packets)
{
    test::ByteWriter w;
    for (size_t i = 0; i < packets.size(); ++i)
        w.PlaceAt(i * kPackSpacing, mpeg2 ? Pack2() : Pack1()).PlaceAt(i * kPackSpacing + (mpeg2 ? 14 : 12), packets[i]);
    return w.Fill(packets.size() * kPackSpacing - w.Size());
}
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

class TestMpegStreamInfo : public QObject {
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

    void packHeaderNeedsTheNextCodeAt12To20()
    {
        for (const auto& [distance, found] : {std::pair{11, false}, {12, true}, {20, true}, {21, false}})
            QCOMPARE(FindPackHeader(Place(Place(Bytes(64), 8, Code(0xBA)), 8 + distance, Code(0xBB)), 0), found ? 8 : kNotFound);
        const Bytes bytes = Sized(0, {{0, Code(0xBA)}, {6, Code(0xBB)}, {100, Pack1()}, {112, Code(0xBB)}});
        QCOMPARE(FindPackHeader(bytes, 0), size_t{100});  // the pack at 0 is followed too closely
        QCOMPARE(FindPackHeader(bytes, 101), kNotFound);
        QCOMPARE(FindPackHeader(bytes, 5000), kNotFound);
    }

    // Which sequence header belongs to the system layer.
    void sequenceHeaderSearch_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("found");  // -1: none
        const Bytes seq = Sequence(352, 240, 1, 3), odd = Sequence(350, 241, 1, 3);
        const Bytes pack = ProgramStream(false, {Code(0xBB)});
        QTest::newRow("first of a pack with sizes in 8s") << ProgramStream(false, {odd, seq}) << int(kPackSpacing + 12);
        QTest::newRow("only the first of a pack") << Place(ProgramStream(false, {odd}), 100, seq) << -1;
        QTest::newRow("511 after the pack") << Place(pack, 511, seq) << 511;
        QTest::newRow("512 after the pack") << Place(pack, 512, seq) << -1;
        QTest::newRow("no pack, GOP 255 on") << Place(seq, 255, kGop) << 0;
        QTest::newRow("no pack, GOP 256 on") << Place(seq, 256, kGop) << -1;
        QTest::newRow("no pack, only the first") << Sized(0, {{0, odd}, {400, seq}, {420, kGop}}) << -1;
        QTest::newRow("no pack, any size") << Place(odd, 20, kGop) << 0;
    }
    void sequenceHeaderSearch()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, found);
        QCOMPARE(FindSystemSequenceHeader(ByteBuffer(bytes)), found < 0 ? kNotFound : size_t(found));
    }

    // Files built byte by byte, then real ones: the lines and the stream flags.
    void streams_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<int>("flags");  // 1: several audio streams, 2: program stream with video
        const auto row = [](const char* what, const char* name, const Bytes& bytes, const InfoLines& lines, int flags) {
            QTest::newRow(what) << name << bytes << lines << flags;
        };
        const Bytes l2 = Audio(0, "FFFD8004");
        const std::string v1 = "MPEG-1 Video Stream", v2 = "MPEG-2 Video Stream", ps1 = "MPEG-1 System", ps2 = "MPEG-2 System";
        const std::string l2Line = "Layer-2  128kbps  44100Hz  Stereo", square = "720x576  1:1  25fps";
        row("PAR", "a.mpv", Place(Sequence(352, 240, 2, 1), 20, kGop), Lines({v1, "352x240  PAR=0.6735  23.976fps"}), 0);
        row("no aspect, no rate", "a.mpv", Place(Sequence(352, 240, 0, 9), 20, kGop), Lines({v1, "352x240  "}), 0);
        // MPEG-2: the first sequence extension gives profile@level; any of 1, 2, 8 makes it MPEG-2.
        const auto m2v = [&](const char* what, int aspect, const char* extension, const InfoLines& lines) {
            row(what, "a.m2v", Cat({Sequence(720, 576, aspect, 3), Extension(extension), kGop}), lines, 0);
        };
        m2v("MPEG-2 16:9", 3, "148A000100", Lines({v2, "720x576  16:9  25fps", "MP@ML", "DAR=1.7778"}));
        m2v("MPEG-2 aspect 5", 5, "148A000100", Lines({v2, "720x576    25fps", "MP@ML"}));
        m2v("level code 2", 1, "1422000100", Lines({v2, square, "MP@2?"}));
        m2v("odd level code", 1, "149A000100", Lines({v2, square, "MP@"}));
        m2v("reserved profile", 1, "1680000100", Lines({v2, square, "@ML"}));
        m2v("first sequence extension", 1, "148A000100000001B5158A000100", Lines({v2, square, "MP@ML"}));
        m2v("display extension", 1, "230506", Lines({v2, square}));
        m2v("identifier 3", 1, "3000000000", Lines({v1, square}));
        row("audio 62 after the pack", "a.mpg", Place(ProgramStream(false, {Code(0xBB)}), 62, l2), Lines({ps1, l2Line}), 0);
        row("audio 63 after the pack", "a.mpg", Place(ProgramStream(false, {Code(0xBB)}), 63, l2), Lines({ps1}), 0);
        // Equal system and video versions: the PES header length is byte 8 (5), so the layer 2
        // header at 13 is skipped; else the length is 4.
        const Bytes audio = Cat({Code(0xC0), HexToBytes("0020818005"), Bytes(4), HexToBytes("FFFD8004000000FFFB9064")});
        const Bytes video2 = Cat({Sequence(352, 288, 2, 3), Extension("148A000100")});
        row("PES length from byte 8", "a.mpg", ProgramStream(true, {video2, audio}),
            Lines({ps2, "352x288  4:3  25fps", "Layer-3  128kbps  44100Hz  Joint Stereo"}), 2);
        row("PES length 4", "a.mpg", ProgramStream(true, {Sequence(352, 288, 2, 3), audio}),
            Lines({ps2, "352x288  PAR=0.6735  25fps", l2Line}), 2);
        // C0 to C3 only; the first decoded header of each stream stays.
        row("four streams", "a.mpg", ProgramStream(false, {l2, Audio(1, "FFFD40C4"), Audio(0, "FFFB9064"),
                                                             Audio(2, "FFFB9064"), Audio(3, "FFFE0004"), Audio(4, "FFFD8004")}),
            Lines({ps1, l2Line, "Layer-2  64kbps  44100Hz  Mono", "Layer-3  128kbps  44100Hz  Joint Stereo",
                   "Layer-1  44100Hz  Stereo"}), 1);
        // At most 101 packets are handed to the header decoder.
        std::vector<Bytes> packets(100, Audio(0, "FFFFFFFF"));
        packets.push_back(l2);
        row("101st candidate", "a.mpg", ProgramStream(false, packets), Lines({ps1, l2Line}), 0);
        packets.insert(packets.begin(), Audio(0, "FFFFFFFF"));
        row("102nd candidate", "a.mpg", ProgramStream(false, packets), Lines({ps1}), 0);
        row("DVD substreams", "a.vob", ProgramStream(true, {Private(0x80), Private(0x81), Private(0x80), Private(0x88),
                                                           Private(0xA0), Private(0x20), Private(0x8F), Private(0xA7)}),
            Lines({ps2, "2x AC3 Audio (80h,81h)", "2x DTS", "2x PCM"}), 1);
        row("lines past 7 dropped", "a.mpg", ProgramStream(false, {Sequence(352, 240, 12, 4), l2, Audio(1, "FFFD8004"),
                                                                  Audio(2, "FFFD8004"), Audio(3, "FFFD8004"), Private(0x80),
                                                                  Private(0x88), Private(0xA0)}),
            Lines({ps1, "352x240  4:3 NTSC  29.97fps", l2Line, l2Line, l2Line, l2Line, "1x AC3 Audio (80h)", "1x DTS"}), 3);
        row("transport, nothing found", "a.ts", Sized(564, {{0, {0x47}}, {188, {0x47}}, {376, {0x47}}}),
            Lines({"Transport Stream"}), 0);
        row("transport with a pack", "a.ts", Sized(400, {{0, {0x47}}, {188, Cat({Pack2(), l2})}}),
            Lines({"TS  MPEG-2 System", l2Line}), 0);
        row("nothing found", "a.mpg", Bytes(100), Lines({"", "unknown"}), 0);
        row("a pack wins over a frame sync", "a.mpg", Cat({HexToBytes("FFFB9064"), ProgramStream(false, {Code(0xBB)})}),
            Lines({ps1}), 0);
        // Audio files: no pack or sequence header, so the frame search, after ID3v2 layer 3 only.
        const InfoLines cbr = Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"});
        const auto mp3 = [&](const char* what, const Bytes& bytes, const InfoLines& lines) { row(what, "audio.mp3", bytes, lines, 0); };
        const Bytes layer2 = Cat({Hex("FFF544C4"), Bytes(20), Hex("FFFB9064"), Bytes(400)});
        mp3("only the first candidate", Cat({Hex("FFE01234FFFB9064"), Bytes(100)}), Lines({"", "unknown"}));
        mp3("header cut by the end", Cat({Bytes(40), Hex("FFFB90")}), Lines({"", "unknown"}));
        mp3("first candidate, layer 2", layer2, Lines({"MPEG-2 Audio Stream", "Layer-2  32kbps ", "24000Hz  Mono"}));
        mp3("after ID3v2, layer 3 only", Cat({Id3(100), Bytes(100), layer2}), cbr);
        // The refill overwrites the buffer from its start; a frame further in stays found.
        mp3("refill keeps later bytes", test::ByteWriter().Raw(Id3(60)).Fill(80).PlaceAt(40, Hex("FFFB9064")), cbr);
        // The buffer holds 1,024,000 bytes: a larger tag leaves nothing to search.
        mp3("tag larger than the buffer", test::ByteWriter().Raw(Id3(2000000)).Raw(Hex("FFFB9064")).Fill(1100000 - 14),
            Lines({"", "unknown"}));
        mp3("tag of 1,000,000 bytes", test::ByteWriter().Raw(Id3(1000000)).Fill(1000000).Raw(Hex("FFFB9064")).Fill(99986), cbr);
        const auto file = [&](const char* name, const InfoLines& lines, int flags) {
            row(name, name, test::ReadFile(test::Fixture(name)), lines, flags);
        };
        file("avseq01.dat", Lines({"RIFF CDXA  MPEG-1 System", "160x120  1:1  25fps", "Layer-2  64kbps  44100Hz  Mono"}), 2);
        // the only audio packet right after a pack starts with padding FF FF FF FF: no audio line
        file("mpeg1_ps_mpeg1video_mp2.mpg", Lines({ps1, "160x120  1:1  25fps"}), 2);
        file("mpeg2_ps_dvd_dts_lpcm.vob", Lines({ps2, "160x120  4:3  25fps", "1x DTS", "1x PCM"}), 3);
        // no pack header: the first sequence header with its GOP makes it a video stream
        file("mpegts_mpeg2_mp2.ts", Lines({v2, "64x48  4:3  25fps", "MP@ML", "DAR=1.3333"}), 0);
        file("mp3_vbr_xing.mp3", Lines({"MPEG-1 Audio Stream", "Layer-3  54kbps VBR ", "44100Hz  Stereo"}), 0);
        file("mp3_vbr_vbri.mp3", Lines({"MPEG-1 Audio Stream", "Layer-3  57kbps VBR ", "44100Hz  Joint Stereo"}), 0);
        file("riff_rmp3_with_mp3_frames.mp3", cbr, 0);
    }
    void streams()
    {
        QFETCH(QString, name);
        QFETCH(Bytes, bytes);
        MpegInfo info;
        InfoLines lines;
        StreamFlags f;
        PutMpegInfoLines(info, GetMpegInfo(test::WriteIn(dir_, name.toStdString(), bytes), info), lines, f);
        QTEST(lines, "lines");
        QTEST(int(f.SeveralAudioStreams) | int(f.MpegProgramWithVideo) << 1, "flags");
    }
};

QTEST_APPLESS_MAIN(TestMpegStreamInfo)
#include "tst_mpeg_stream_info.moc"
