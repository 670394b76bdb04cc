// The QuickTime/MP4 reader: the atom walk in windows of 1,000,000 bytes, what each atom gives,
// the code names and the lines.
#include "mediainfo/QuicktimeInfo.h"
#include "support/TestSupport.h"

using namespace vistrel;
using test::ByteWriter, test::Cat, test::Zeros;
using Bytes = std::vector<uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(InfoLines)

namespace {

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
void Row(const char* name, const Bytes& b, std::initializer_list<std::string> l) { QTest::newRow(name) << b << test::Lines(l); }

}  // namespace

class TestQuicktimeInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void movie_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        const std::string q = "Quicktime", v = "AVC1  64x48 25fps 24bit", s = "MPEG4audio  44100Hz 16bit Stereo";
        const std::string noRate = "AVC1  64x48 24bit";
        // The video track's sample count N over the duration D and time scale T of the next track:
        // T / round(D / N), rounded, when that lies in (0, 100]; halves round up.
        Row("25 fps", AV(), {q, v, s});
        Row("rate rounds half up", AV({.samples = 1}, {.timeScale = 51, .duration = 2}), {q, "AVC1  64x48 26fps 24bit", s});
        Row("sample duration rounds half up", AV({.samples = 4}, {.timeScale = 75, .duration = 10}), {q, v, s});
        Row("rate 100 kept", AV({.samples = 100}, {.timeScale = 10000, .duration = 10000}), {q, "AVC1  64x48 100fps 24bit", s});
        Row("rate above 100 left out", AV({.samples = 1000}, {.timeScale = 48000, .duration = 48000}), {q, noRate, s});
        Row("sound track first: no rate", Movie(Cat({Track(SoundTrack{}), Track(VideoTrack{})})), {q, noRate, s});
        // The second video track's header gives a rate above 100; with its duration 500 carried
        // over the sound track's would give 25.
        const VideoTrack noSamples{.samples = 0, .timeScale = 100000, .duration = 5000};
        Row("sample duration not carried over",
            Movie(Cat({Track(VideoTrack{.samples = 10}), Track(noSamples), Track(SoundTrack{.timeScale = 12500})})),
            {q, noRate, s});
        Row("track header 1920x1080.5", AV({.trackWidth = 1920 << 16, .trackHeight = 1080 << 16 | 0x8000}),
            {q, "AVC1  1920x1080 25fps 24bit", s});
        // The sample entry's size counts only while the track header's is below 10.
        const auto sized = [&](const char* name, uint32_t tw, uint32_t th, uint16_t w, const std::string& line) {
            Row(name, AV({.width = w, .height = 240, .trackWidth = tw << 16, .trackHeight = th << 16}), {q, line, s});
        };
        sized("track header 640x9", 640, 9, 320, "AVC1  320x240 25fps 24bit");
        sized("track header 640x480", 640, 480, 320, "AVC1  640x480 25fps 24bit");
        sized("entry 0x240 ignored", 0, 0, 0, "");
        const VideoTrack second{.code = "mp4v", .depth = 32, .trackWidth = 320 << 16, .trackHeight = 240 << 16};
        Row("second video track: size only", AV({}, {}, Track(second)), {q, "AVC1  320x240 25fps 24bit", s});
        Row("second sound track", AV({}, {}, Track(SoundTrack{.code = "sowt", .channels = 1, .bits = 8, .rate = 22050})),
            {q, v, "PCM  22050Hz 8bit Mono"});
        Row("second sound, out of range", AV({}, {}, Track(SoundTrack{.code = "alac", .channels = 6, .bits = 0, .rate = 500})),
            {q, v, "Apple lossless  44100Hz 16bit Stereo"});
        Row("4ch, no sample size", Movie(Track(SoundTrack{.channels = 4, .bits = 0})), {q, "", "MPEG4audio  44100Hz 4ch"});
        for (const auto& [field, hz] : {std::pair<uint32_t, std::string>{1000, "1000"}, {99999, "99999"}, {999, "0"},
                                        {100000, "0"}, {1 << 16 | 44100, "0"}})
            QTest::addRow("rate field %u", field) << Movie(Track(SoundTrack{.rate = field}))
                                                  << test::Lines({q, "", "MPEG4audio  " + hz + "Hz 16bit Stereo"});
        // Code names: exact and case-sensitive; the table's names are Latin-1.
        Row("Latin-1 code name", Movie(Track(SoundTrack{.code = "ulaw"})), {q, "", "\u00B5-law  44100Hz 16bit Stereo"});
        Row("code in capitals", Movie(Track(SoundTrack{.code = "MP4A"})), {q, "", "MP4A  44100Hz 16bit Stereo"});
        Row("unknown", AV({.code = "abcd"}, {.code = "\xA9xyz"}), {q, "abcd  64x48 25fps 24bit", "\u00A9xyz  44100Hz 16bit Stereo"});
        // Blanks are trimmed from the video code before the look-up, not from the sound code.
        Row("raw", AV({.code = "raw "}, {.code = "raw "}), {q, "raw  64x48 25fps 24bit", "RAW  44100Hz 16bit Stereo"});
        Row("all blanks: no code, then a leading blank", AV({.code = "    "}, {}, Track(VideoTrack{.code = " svq"})),
            {q, "svq  64x48 25fps 24bit", s});
        // Containers are entered whatever their size; the media headers set the kind of the
        // sample descriptions that follow.
        Row("first atom of size 0", Cat({Atom("ftyp", Zeros(8), 0), kMoov}), {q});
        Row("container of size 0", ByteWriter().Raw(kMoov).PlaceAt(0, Zeros(4)), {q, v, s});
        // The track header inside would give 1920x1080 if it were walked.
        const Bytes cmov = Atom("cmov", Cat({Atom("dcom", Zeros(4)), Atom("cmvd", Tkhd(1920 << 16, 1080 << 16))}));
        Row("compressed movie", Cat({Ftyp("qt  "), Atom("moov", cmov)}), {q, "", "compressed video"});
        Row("compressed movie with sound", Cat({Ftyp("qt  "), Atom("moov", Cat({cmov, Track(SoundTrack{})}))}), {q, "", s});
        Row("movie header sets video", Cat({Ftyp(), Moov(Entry(VideoTrack{}))}), {q, noRate});
        Row("nmhd sets other", Cat({Ftyp(), Moov(Cat({Atom("smhd"), Atom("nmhd"), Entry(SoundTrack{})}))}), {q});
        Row("no kind before a header", Cat({Ftyp(), Atom("moov", Cat({Entry(SoundTrack{}), Entry(VideoTrack{})}))}), {q});
        // A value past the data read ends the walk; what was found stays.
        Row("cut sound entry", CutInLast(AV(), "stsd", 20), {q, v, "MPEG4audio  0Hz "});
        Row("cut track header", CutInLast(Movie(Track(VideoTrack{})), "tkhd", 80), {q});
        Row("header across the window end", MovieAt(kWindow - 4, kMoov), {q});
        Row("container at the window end", MovieAt(kWindow - 8, kMoov), {q});
        Row("moov after 3 MB", Cat({Ftyp(), Atom("mdat", Zeros(3000000)), kMoov}), {q, v, s});
        Row("leaf value past the window", MovieAt(kWindow - 60, Cat({Track(VideoTrack{}), Track(SoundTrack{})})), {q});
        Row("64-bit size", Cat({Ftyp(), LargeAtom(16 + 2000, Zeros(2000)), kMoov}), {q, v, s});
        for (const uint64_t size : {uint64_t(0), uint64_t(1) << 40, ~uint64_t(0)})
            QTest::addRow("64-bit size %llx", qulonglong(size)) << Cat({Ftyp(), LargeAtom(size, Zeros(100)), kMoov})
                                                               << test::Lines({q});
        Row("size 4", Cat({Ftyp(), Atom("free", {}, 4), Zeros(4), kMoov}), {q});
        // After Canon's user data ("udta" whose first leaf starts with "CN") a size 0 is skipped
        // by 4 bytes; anywhere else it ends the walk.
        const auto udta = [&](const char* name, const Bytes& leaves, const std::string& line) {
            Row(name, Cat({Ftyp(), Moov(Cat({Atom("udta", Cat({leaves, Zeros(4)})), Track(VideoTrack{})}))}), {q, line});
        };
        udta("CNCV", Atom("CNCV", Zeros(4)), noRate);
        udta("other user data", Atom("\xA9nam", Zeros(4)), "");
        udta("CN not first", Cat({Atom("meta", Zeros(4)), Atom("CNCV", Zeros(4))}), "");
        // Made by ffmpeg. The rate comes from the next (sound) track, a little longer than the
        // video: 22050 / round(12049 / 5) gives 9 fps; muxers other than QuickTime's write 2
        // channels into the sound entry; the part file is the first 4000 bytes of a movie.
        const auto file = [](const char* name) { return test::ReadFile(test::Fixture(name)); };
        Row("mov", file("mov_h264_aac.mov"), {q, "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Mono"});
        Row("mp4 part", file("mp4_download.mp4.part"), {q, "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Stereo"});
        Row("raw video, 6 channels", file("mov_raw_rgb24_sowt_6ch.mov"), {q, "raw  32x24 10fps 24bit", "PCM  8000Hz 8bit "});
    }
    void movie()
    {
        QFETCH(Bytes, bytes);
        QFETCH(InfoLines, lines);
        QuicktimeInfo info;
        QVERIFY(GetQuicktimeInfo(test::WriteIn(dir_, "movie.mov", bytes), info));
        InfoLines actual;
        StreamFlags flags;
        PutQuicktimeInfoLines(info, true, actual, flags);
        QCOMPARE(actual, lines);
    }
};

QTEST_APPLESS_MAIN(TestQuicktimeInfo)
#include "tst_quicktime_info.moc"
