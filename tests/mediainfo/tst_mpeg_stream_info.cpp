// MPEG streams: program, video and transport streams built byte by byte for the search
// windows and limits, the video header tables, the bit-rate rules, the playing time from
// time stamps and time codes, and the lines of real files.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegStreamInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using test::Cat;
using test::Lines;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(vistrel::InfoLines)

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
Bytes Sequence(int width, int height, int aspect, int rate, uint32_t bitRate = kVariableBitRateValue)
{
    return Cat({Code(0xB3), {uint8_t(width >> 4), uint8_t((width & 15) << 4 | height >> 8), uint8_t(height),
                             uint8_t(aspect << 4 | rate), uint8_t(bitRate >> 10), uint8_t(bitRate >> 2),
                             uint8_t((bitRate & 3) << 6 | 0x23), 0x80}});
}
Bytes Gop(int hours, int minutes, int seconds, int pictures)
{
    return Cat({Code(0xB8), {uint8_t(hours << 2 | minutes >> 4), uint8_t((minutes & 15) << 4 | 8 | seconds >> 3),
                             uint8_t((seconds & 7) << 5 | pictures >> 1), uint8_t((pictures & 1) << 7)}});
}
Bytes Extension(const char* hex) { return Cat({Code(0xB5), HexToBytes(hex)}); }
// An audio packet C0 + stream whose byte 8 is 4: the frame header at offset 13 is where the
// search starts whichever PES header length applies.
Bytes Audio(int stream, const char* header)
{
    return Cat({Code(uint8_t(0xC0 + stream)), HexToBytes("0020000004"), Bytes(4), HexToBytes(header)});
}
// A private stream 1 packet with its substream identifier at offset 9 + 5.
Bytes Private(uint8_t id) { return Cat({Code(0xBD), HexToBytes("0020818005"), Bytes(5), {id}}); }
// A 33-bit time stamp as a PES header holds it.
Bytes Stamp(uint64_t t)
{
    return {uint8_t(0x21 | (t >> 29 & 14)), uint8_t(t >> 22), uint8_t(t >> 14 | 1), uint8_t(t >> 7), uint8_t(t << 1 | 1)};
}
// An MPEG-2 pack header, then a video packet with PTS/DTS flags and its time stamps.
Bytes TimedVideoPack(uint64_t pts, uint8_t flags = 0xC0)
{
    return Cat({Pack2(), Code(0xE0), {0x07, 0xEC, 0x81, flags, 0x0A}, Stamp(pts), Stamp(pts)});
}
// One packet after each pack header, packs 2048 bytes apart.
Bytes ProgramStream(bool mpeg2, const std::vector<Bytes>& packets)
{
    test::ByteWriter w;
    for (size_t i = 0; i < packets.size(); ++i)
        w.PlaceAt(i * kPackSpacing, mpeg2 ? Pack2() : Pack1()).PlaceAt(i * kPackSpacing + (mpeg2 ? 14 : 12), packets[i]);
    return w.Fill(packets.size() * kPackSpacing - w.Size());
}

// The reader's result, its lines and its flags (1: several audio streams, 2: program stream with video).
std::tuple<MpegInfo, InfoLines, int> Read(const std::string& path)
{
    MpegInfo info;
    InfoLines lines;
    StreamFlags f;
    PutMpegInfoLines(info, GetMpegInfo(path, info), lines, f);
    return {info, lines, int(f.SeveralAudioStreams) | int(f.MpegProgramWithVideo) << 1};
}

}  // namespace

class TestMpegStreamInfo : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string Write(const std::string& name, const Bytes& bytes) { return test::WriteIn(dir_, name, bytes); }

private slots:
    void packHeaderNeedsTheNextCodeAt12To20()
    {
        for (const auto& [distance, found] : {std::pair{11, false}, {12, true}, {14, true}, {20, true}, {21, false}})
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
        const Bytes seq = Sequence(352, 240, 1, 3), odd = Sequence(350, 241, 1, 3), gop = Gop(0, 0, 0, 0);
        const Bytes pack = ProgramStream(false, {Code(0xBB)});
        QTest::newRow("first of a pack with sizes in 8s") << ProgramStream(false, {odd, seq}) << int(kPackSpacing + 12);
        QTest::newRow("only the first of a pack") << Place(ProgramStream(false, {odd}), 100, seq) << -1;
        QTest::newRow("511 after the pack") << Place(pack, 511, seq) << 511;
        QTest::newRow("512 after the pack") << Place(pack, 512, seq) << -1;
        QTest::newRow("no pack, GOP 255 on") << Place(seq, 255, gop) << 0;
        QTest::newRow("no pack, GOP 256 on") << Place(seq, 256, gop) << -1;
        QTest::newRow("no pack, only the first") << Sized(0, {{0, odd}, {400, seq}, {420, gop}}) << -1;
        QTest::newRow("no pack, any size") << Place(odd, 20, gop) << 0;
    }
    void sequenceHeaderSearch()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, found);
        QCOMPARE(FindSystemSequenceHeader(ByteBuffer(bytes)), found < 0 ? kNotFound : size_t(found));
    }

    // MPEG-2 extensions, the first of each kind: profile@level|chroma|format|scan|DC precision.
    void extensions_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("fields");
        QTest::newRow("14 8A is progressive") << "000001B5148A000100" << "MP@ML|4:2:0||progr|";
        QTest::newRow("level code 2") << "000001B51422000100" << "MP@2?|4:2:0||interl|";
        QTest::newRow("odd level code") << "000001B5149A000100" << "MP@|4:2:0||progr|";
        QTest::newRow("reserved profile, chroma") << "000001B51680000100" << "@ML|||interl|";
        QTest::newRow("escape bit") << "000001B51C8A000100" << "@ML|4:2:0||progr|";
        QTest::newRow("PAL, -A, 10 bit") << "000001B51482000100 000001B5230506 000001B58FFF08800000"
                                         << "MP@ML|4:2:0|PAL|interl-A|DC=10bit";
        QTest::newRow("first of each kind") << "000001B5148A000100 000001B51482000100 000001B5230506 000001B5250506"
                                            << "MP@ML|4:2:0|PAL|progr|";
        QTest::newRow("identifier 3 is none") << "000001B53000000000" << "";
    }
    void extensions()
    {
        QFETCH(QString, hex);
        MpegInfo i;
        ApplyExtensions(ByteBuffer(HexToBytes(hex.remove(' ').toStdString())), i);
        const std::string all = i.ProfileAndLevel + "|" + i.Chroma + "|" + i.VideoFormat + "|" + i.Scan + "|" + i.DcPrecision;
        QTEST(i.VideoVersion == 2 ? QString::fromStdString(all) : QString(), "fields");
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
        const Bytes gop = Gop(0, 0, 0, 0), l2 = Audio(0, "FFFD8004");
        const Bytes mpeg2 = Cat({Sequence(720, 576, 3, 3), Extension("148A000100"), gop});
        const std::string v1 = "MPEG-1 Video Stream", v2 = "MPEG-2 Video Stream", ps1 = "MPEG-1 System", ps2 = "MPEG-2 System";
        const std::string l2Line = "Layer-2  128kbps  44100Hz  Stereo";
        const Bytes seq = HexToBytes("000001B31600F013FFFFE018");
        row("16 00 F0 13", "a.m1v", Cat({seq, gop}), Lines({v1, "352x240  1:1  25fps"}), 0);
        row("16:9 PAL", "a.mpv", Place(Sequence(352, 288, 3, 7), 20, gop), Lines({v1, "352x288  16:9 PAL  59.94fps"}), 0);
        row("PAR", "a.mpv", Place(Sequence(352, 240, 2, 1), 20, gop), Lines({v1, "352x240  PAR=0.6735  23.976fps"}), 0);
        row("no aspect, no rate", "a.mpv", Place(Sequence(352, 240, 0, 9), 20, gop), Lines({v1, "352x240  "}), 0);
        row("MPEG-2 16:9", "a.m2v", mpeg2, Lines({v2, "720x576  16:9  25fps", "MP@ML", "DAR=1.7778"}), 0);
        row("MPEG-2 1:1", "a.m2v", Place(mpeg2, 7, {0x13}), Lines({v2, "720x576  1:1  25fps", "MP@ML"}), 0);
        row("MPEG-2 aspect 5", "a.m2v", Place(mpeg2, 7, {0x53}), Lines({v2, "720x576    25fps", "MP@ML"}), 0);
        const Bytes vcdPack = Cat({Pack1(), Code(0xE0), {0x08, 0xE7}, Bytes(6), Sequence(352, 240, 12, 4)});
        const Bytes riff = test::ByteWriter().Text("RIFF").LE32(4096).Text("CDXA");
        row("video CD", "avseq02.dat", Sized(4096, {{0, riff}, {68, vcdPack}}),
            Lines({"RIFF CDXA  MPEG-1 System", "352x240  4:3 NTSC  29.97fps"}), 2);
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
        row("MPEG audio and AC-3", "a.mpg", ProgramStream(false, {l2, Private(0x80)}),
            Lines({ps1, l2Line, "1x AC3 Audio (80h)"}), 1);
        row("lines past 7 dropped", "a.mpg", ProgramStream(false, {Sequence(352, 240, 1, 3), l2, Audio(1, "FFFD8004"),
                                                                  Audio(2, "FFFD8004"), Audio(3, "FFFD8004"), Private(0x80),
                                                                  Private(0x88), Private(0xA0)}),
            Lines({ps1, "352x240  1:1  25fps", l2Line, l2Line, l2Line, l2Line, "1x AC3 Audio (80h)", "1x DTS"}), 3);
        row("transport, nothing found", "a.ts", Sized(564, {{0, {0x47}}, {188, {0x47}}, {376, {0x47}}}),
            Lines({"Transport Stream"}), 0);
        row("transport with a pack", "a.ts", Sized(400, {{0, {0x47}}, {188, Cat({Pack2(), l2})}}),
            Lines({"TS  MPEG-2 System", l2Line}), 0);
        row("nothing found", "a.mpg", Bytes(100), Lines({"", "unknown"}), 0);
        row("a pack wins over a frame sync", "a.mpg", Cat({HexToBytes("FFFB9064"), ProgramStream(false, {Code(0xBB)})}),
            Lines({ps1}), 0);
        const auto file = [&](const char* name, const InfoLines& lines, int flags) {
            row(name, name, test::ReadFile(test::Fixture(name)), lines, flags);
        };
        file("avseq01.dat", Lines({"RIFF CDXA  MPEG-1 System", "160x120  1:1  25fps", "Layer-2  64kbps  44100Hz  Mono"}), 2);
        // the only audio packet right after a pack starts with padding FF FF FF FF: no audio line
        file("mpeg1_ps_mpeg1video_mp2.mpg", Lines({ps1, "160x120  1:1  25fps"}), 2);
        file("mpeg2_ps_dvd_dts_lpcm.vob", Lines({ps2, "160x120  4:3  25fps", "1x DTS", "1x PCM"}), 3);
        // no pack header: the first sequence header with its GOP makes it a video stream
        file("mpegts_mpeg2_mp2.ts", Lines({v2, "64x48  4:3  25fps", "MP@ML", "DAR=1.3333"}), 0);
        file("mp3_6s_8k_mono.mp3", Lines({"", "unknown"}), 0);  // MPEG 2.5 carries version bits 00
    }
    void streams()
    {
        QFETCH(QString, name);
        QFETCH(Bytes, bytes);
        const auto [info, lines, flags] = Read(Write(name.toStdString(), bytes));
        QTEST(lines, "lines");
        QTEST(flags, "flags");
    }

    void bitRate_data()
    {
        QTest::addColumn<uint>("value");  // of the sequence header, units of 400 bit/s
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("duration");
        QTest::addColumn<bool>("vobOrTs");  // then with 448 kbit/s of audio
        QTest::addColumn<QString>("text");
        const uint variable = kVariableBitRateValue;
        QTest::newRow("variable") << variable << qint64(2000000000) << 3600 << false << "VBR";
        QTest::newRow("nominal") << 2501u << qint64(1000) << 0 << false << "1000kbps nominal";
        // the size factor is limited to 0.925..0.98
        QTest::newRow("VOB, variable, large") << variable << qint64(2000000000) << 3600 << true << "~3900kbps VBR";
        QTest::newRow("VOB, variable, small") << variable << qint64(10000000) << 10 << true << "~7200kbps VBR";
        QTest::newRow("VOB, as constant") << 12500u << qint64(70000000) << 100 << true << "5000kbps CBR";
        QTest::newRow("VOB, below nominal") << 12500u << qint64(40000000) << 100 << true << "~2600kbps VBR  5000kbps nom";
        QTest::newRow("VOB, average below 50") << 12500u << qint64(6222000) << 100 << true << "5000kbps nom";
        QTest::newRow("VOB, nominal, no duration") << 12500u << qint64(1000000) << 0 << true << "5000kbps CBR";
    }
    void bitRate()
    {
        QFETCH(uint, value);
        QFETCH(qint64, size);
        QFETCH(int, duration);
        QFETCH(bool, vobOrTs);
        MpegInfo info;
        info.Duration = duration;
        info.AudioKbpsSum = vobOrTs ? 448 : 0;
        const SequenceHeader header = ReadSequenceHeader(ByteBuffer(Sequence(720, 576, 2, 3, value)), 0);
        ApplyBitRate(header.BitRateValue, size, vobOrTs, info);
        QTEST(QString::fromStdString(info.BitRateText), "text");
    }

    void gopTimeCode()
    {
        // 1 h 2 min 3 s; one second more from half the frame rate of pictures on
        const Bytes seq = Sequence(352, 288, 1, 3);
        for (const auto& [pictures, rate, seconds] : {std::tuple{12, 25.0f, 3723}, {12, 24.0f, 3724}, {14, 29.97f, 3723}})
            QCOMPARE(GopDurationInBlock(ByteBuffer(Cat({seq, Gop(1, 2, 3, pictures)})), rate), seconds);
        // the last GOP counts, with a sequence or pack header from 256 bytes before it on
        QCOMPARE(GopDurationInBlock(ByteBuffer(Cat({seq, Gop(0, 0, 5, 0), Bytes(100), Gop(0, 0, 9, 0)})), 25), 9);
        QCOMPARE(GopDurationInBlock(ByteBuffer(Place(seq, 269, Gop(0, 0, 9, 0))), 25), 0);
        QCOMPARE(GopDurationInBlock(ByteBuffer(Sized(0, {{0, seq}, {13, Pack1()}, {269, Gop(0, 0, 9, 0)}})), 25), 9);
        // from the file's last 262,144-byte block, else the block before it
        const Bytes start = Cat({seq, Gop(0, 0, 0, 0)});
        QCOMPARE(GetGopDuration(Write("a.m1v", Sized(600000, {{0, start}, {590000, Cat({seq, Gop(0, 0, 42, 0)})}})), 25), 42);
        const Bytes back = Sized(600000, {{0, start}, {300000, Cat({seq, Gop(0, 0, 7, 0)})}, {590000, Gop(0, 0, 42, 0)}});
        QCOMPARE(GetGopDuration(Write("b.m1v", back), 25), 7);
        QCOMPARE(GetGopDuration(dir_.filePath("missing.m1v").toStdString(), 25), 0);
    }

    void timeStamps()
    {
        // flags 11 and 01 count, 10 does not; the packet starts 14 bytes after a pack header
        const Bytes bytes = Cat({TimedVideoPack(45000, 0xC0), TimedVideoPack(900000, 0x80), TimedVideoPack(180000, 0x40),
                                 Pack1(), Code(0xE0), HexToBytes("07EC81C00A"), Stamp(360000)});
        QCOMPARE(FirstPtsMs(ByteBuffer(bytes)).value_or(-1), 500.0);
        QCOMPARE(LastPtsMs(ByteBuffer(bytes)).value_or(-1), 2000.0);
        QCOMPARE(FirstPtsMs(ByteBuffer(TimedVideoPack(0x1FFFFFFFFull))).value_or(-1), double(0x1FFFFFFFFull) / 90);
        const Bytes cut = TimedVideoPack(45000);
        QVERIFY(!FirstPtsMs(ByteBuffer(Bytes(cut.begin(), cut.end() - 11))));
        // 0.5 s to 125.5 s; a last block with only a 10-flagged packet: the block before (60.9 s)
        const auto vob = [](std::initializer_list<std::pair<size_t, Bytes>> parts) { return Sized(2500000, parts); };
        const Bytes first = TimedVideoPack(45000), last = TimedVideoPack(11295000);
        QCOMPARE(GetPtsDuration(Write("a.vob", vob({{0, first}, {2400000, last}}))), 125);
        QCOMPARE(GetPtsDuration(Write("b.vob", vob({{0, first}, {1000000, TimedVideoPack(5481000)},
                                                     {2400000, TimedVideoPack(11295000, 0x80)}}))), 60);
        QCOMPARE(GetPtsDuration(Write("c.vob", vob({{0, TimedVideoPack(0)}, {2400000, last}}))), 0);
        // A VOB is timed by its stamps, then averaged; an .mpg by GOPs; without video no rate
        const Bytes movie = vob({{0, Cat({first, Sequence(720, 576, 2, 3)})}, {2400000, last}});
        QCOMPARE(std::get<0>(Read(Write("movie.VOB", movie))).BitRateText, "~200kbps VBR");
        QCOMPARE(std::get<0>(Read(Write("movie.mpg", movie))).BitRateText, "VBR");
        QCOMPARE(std::get<0>(Read(Write("novideo.vob", vob({{0, first}, {2400000, last}})))).BitRateText, "");
    }
};

QTEST_APPLESS_MAIN(TestMpegStreamInfo)
#include "tst_mpeg_stream_info.moc"
