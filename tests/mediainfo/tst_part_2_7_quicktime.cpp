// Part 2.7: QuickTime and MP4 info, and its lines (Part 2.5, code 12).
//
// Movies are built atom by atom in the test (a small builder below), so each edge case of
// Part 2.7 and each decision of the readers' issues can be seen at work; the golden tests run
// the QuickTime-family fixtures of tests/fixtures/media.
#include "mediainfo/QuicktimeInfo.h"

#include "mediainfo/MediaType.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <set>

using namespace vistrel;

namespace {

using Bytes = std::vector<uint8_t>;

// Atom builder --------------------------------------------------------------------------

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes U16(uint16_t v)
{
    return {uint8_t(v >> 8), uint8_t(v)};
}

Bytes U32(uint32_t v)
{
    return U16(uint16_t(v >> 16)) + U16(uint16_t(v));
}

Bytes U64(uint64_t v)
{
    return U32(uint32_t(v >> 32)) + U32(uint32_t(v));
}

Bytes Text(const std::string& text)
{
    return {text.begin(), text.end()};
}

Bytes Zeros(size_t count)
{
    return Bytes(count, 0);
}

// An atom whose size field holds `size` whatever its body is.
Bytes AtomSized(uint32_t size, const std::string& type, const Bytes& body = {})
{
    return U32(size) + Text(type) + body;
}

Bytes Atom(const std::string& type, const Bytes& body = {})
{
    return AtomSized(uint32_t(8 + body.size()), type, body);
}

// An atom with size 1 and the 64-bit size after its type.
Bytes LargeAtom(uint64_t largeSize, const std::string& type, const Bytes& body = {})
{
    return U32(1) + Text(type) + U64(largeSize) + body;
}

// A leaf atom that makes the whole of `total` bytes (header included).
Bytes Filler(const std::string& type, size_t total)
{
    return Atom(type, Zeros(total - 8));
}

uint32_t Fixed16(uint32_t whole)
{
    return whole << 16;
}

Bytes Ftyp(const std::string& brand = "isom")
{
    return Atom("ftyp", Text(brand) + U32(0x200) + Text("isomiso2"));
}

Bytes Mvhd()
{
    return Atom("mvhd", Zeros(100));
}

// Version 0: the 16.16 width and height at body offsets 76 and 80.
Bytes Tkhd(uint32_t width1616, uint32_t height1616)
{
    return Atom("tkhd", Zeros(76) + U32(width1616) + U32(height1616));
}

Bytes Mdhd(uint32_t timeScale, uint32_t duration)
{
    return Atom("mdhd", Zeros(12) + U32(timeScale) + U32(duration) + Zeros(4));
}

Bytes Stsz(uint32_t sampleCount)
{
    return Atom("stsz", Zeros(4) + U32(1000) + U32(sampleCount));
}

struct SoundEntry {
    std::string code = "mp4a";
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t rateField = 44100;  // the 32 bits at body offset 38: packet size, integer rate
};

Bytes SoundStsd(const SoundEntry& e)
{
    const Bytes entry = Text(e.code) + Zeros(6) + U16(1) + Zeros(8) + U16(e.channels) + U16(e.bits) + U16(0) +
                        U32(e.rateField) + U16(0);
    return Atom("stsd", Zeros(4) + U32(1) + U32(uint32_t(4 + entry.size())) + entry);
}

struct VideoEntry {
    std::string code = "avc1";
    std::string code2 = std::string(4, '\0');
    uint16_t width = 64;
    uint16_t height = 48;
    uint16_t depth = 24;
};

Bytes VideoStsd(const VideoEntry& e)
{
    const Bytes entry = Text(e.code) + Text(e.code2) + Zeros(2) + U16(1) + Zeros(16) + U16(e.width) + U16(e.height) +
                        Zeros(46) + U16(e.depth) + U16(0xFFFF);
    return Atom("stsd", Zeros(4) + U32(1) + U32(uint32_t(4 + entry.size())) + entry);
}

struct VideoTrack {
    uint32_t width1616 = Fixed16(64);
    uint32_t height1616 = Fixed16(48);
    VideoEntry entry;
    uint32_t sampleCount = 250;
    uint32_t timeScale = 12800;
    uint32_t duration = 128000;
};

struct SoundTrack {
    SoundEntry entry;
    uint32_t timeScale = 44100;
    uint32_t duration = 441000;
};

Bytes Track(const Bytes& tkhd, const Bytes& mdhd, const Bytes& mediaHeader, const Bytes& stbl)
{
    return Atom("trak", tkhd + Atom("mdia", mdhd + Atom("minf", mediaHeader + Atom("stbl", stbl))));
}

Bytes Track(const VideoTrack& t)
{
    return Track(Tkhd(t.width1616, t.height1616), Mdhd(t.timeScale, t.duration), Atom("vmhd", Zeros(12)),
                 VideoStsd(t.entry) + Stsz(t.sampleCount));
}

Bytes Track(const SoundTrack& t)
{
    return Track(Tkhd(0, 0), Mdhd(t.timeScale, t.duration), Atom("smhd", Zeros(8)),
                 SoundStsd(t.entry) + Stsz(t.duration / 1024));
}

Bytes Moov(const Bytes& tracks)
{
    return Atom("moov", Mvhd() + tracks);
}

Bytes Movie(const Bytes& tracks)
{
    return Ftyp() + Moov(tracks);
}

// The file position (of the size field) of the first atom of `type` after `from`.
size_t AtomPosition(const Bytes& bytes, const std::string& type, size_t from = 0)
{
    const Bytes pattern = Text(type);
    const auto hit = std::search(bytes.begin() + long(from), bytes.end(), pattern.begin(), pattern.end());
    return size_t(hit - bytes.begin()) - 4;
}

InfoLines Lines(const std::string& l0, const std::string& l1 = {}, const std::string& l2 = {})
{
    return {l0, l1, l2, "", "", "", "", ""};
}

InfoLines LinesOf(const QuicktimeInfo& info, bool ok = true)
{
    InfoLines lines;
    StreamFlags flags;
    PutQuicktimeInfoLines(info, ok, lines, flags);
    return lines;
}

std::string FixturePath(const char* name)
{
    return std::string(VISTREL_FIXTURES_DIR "/media/") + name;
}

// The 56 rows of Part 2.7's table (names in Latin-1).
const std::pair<const char*, const char*> kCodecTable[] = {
    {"alac", "Apple lossless"}, {"avc1", "AVC1"}, {"avcp", "AVCP"}, {"enca", "Encrypted"},
    {"encv", "Encrypted"}, {"g762", "G.762"}, {"mjp2", "MJPG2000"}, {"mp4a", "MPEG4audio"},
    {"mp4s", "MPEG4system"}, {"mp4v", "MPEG4video"}, {"raw ", "RAW"}, {"rtp ", "RTP Hints"},
    {"srtp", "SRTP Hints"}, {"s263", "H.263"}, {"samr", "AMR-narrow"}, {"sawb", "AMR-wide"},
    {"sevc", "EVRC Voice"}, {"sqcp", "13K Voice"}, {"ssmv", "SMV Voice"}, {"twos", "PCM"},
    {"sowt", "PCM"}, {"in24", "PCM24"}, {"in32", "PCM32"}, {"fl32", "PCM32float"},
    {"fl64", "PCM64float"}, {"alaw", "a-law"}, {"ulaw", "\xB5-law"}, {"DV10", "DV10 4:2:2"},
    {"DVOO", "DV8 4:2:2"}, {"DVOR", "DV raw"}, {"DVTV", "DV 2vuy"}, {"DVVT", "DV v210"},
    {"HD10", "DV10 4:2:2 HD"}, {"SVQ1", "Sorenson Vid1"}, {"SVQ3", "Sorenson Vid3"},
    {"WRLE", "Windows RLE"}, {"agsm", "GSM"}, {"cvid", "Cinepak"}, {"dvh5", "DVCPRO-HD50i"},
    {"dvh6", "DVCPRO-HD60i"}, {"dvhp", "DVCPRO-HD60p"}, {"dvi ", "DVI 4:1"}, {"flic", "FLIC"},
    {"gif ", "GIF"}, {"h261", "H.261"}, {"h263", "H.263"}, {"ima4", "IMA 4:1"}, {"lpcm", "PCM"},
    {"mjpa", "MJPEG-A"}, {"mjpb", "MJPEG-B"}, {"png ", "PNG"}, {"rle ", "RLE"},
    {"rpza", "road pizza"}, {"tga ", "TGA"}, {"tiff", "TIFF"}, {"vdva", "DV audio"},
};

constexpr size_t kWindow = 1000000;

struct FixtureRow {
    const char* file;
    const char* brand;
    InfoLines lines;
};

// The expected brand and lines of every QuickTime-family fixture (see the golden tests).
std::vector<FixtureRow> QuicktimeFixtures()
{
    const InfoLines movMono = Lines("Quicktime", "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Mono");
    const InfoLines mp4 = Lines("Quicktime", "AVC1  64x48 9fps 24bit", "MPEG4audio  22050Hz 16bit Stereo");
    const InfoLines h263 = Lines("Quicktime", "H.263  128x96 8fps 24bit", "MPEG4audio  8000Hz 16bit Stereo");
    return {
        {"mov_h264_aac.mov", "qt  ", movMono},
        // Classic QuickTime without "ftyp": no brand.
        {"mov_classic_moov_first.mov", "", movMono},
        {"mov_classic_wide_first.mov", "", movMono},
        {"mov_classic_mdat_first.mov", "", movMono},
        {"mov_classic_pnot_first.mov", "", movMono},
        {"mov_aac_first_h264_last.mov", "qt  ", Lines("Quicktime", "AVC1  64x48 24bit", "MPEG4audio  22050Hz 16bit Mono")},
        {"mov_raw_rgb24_sowt_6ch.mov", "qt  ", Lines("Quicktime", "raw  32x24 10fps 24bit", "PCM  8000Hz 8bit ")},
        // "moov" at the end (ftyp, free, mdat, moov).
        {"mp4_h264_aac.mp4", "isom", mp4},
        {"mp5_mp4_renamed.mp5", "isom", mp4},
        {"mp4_faststart_title_matroska.mp4", "isom", mp4},
        // The first 4000 bytes of the fast-start file hold the whole "moov"; the walk ends in "mdat".
        {"mp4_download.mp4.part", "isom", mp4},
        {"m4a_aac.m4a", "M4A ", Lines("Quicktime", "", "MPEG4audio  22050Hz 16bit Stereo")},
        {"m4a_alac.m4a", "M4A ", Lines("Quicktime", "", "Apple lossless  22050Hz 16bit Stereo")},
        {"3gp_h263_aac.3gp", "3gp4", h263},
        {"3g2_h263_aac.3g2", "3g2a", h263},
        // Detected as MPEG (Part 2.1), so never routed here; the reader alone finds nothing in
        // "styp", "sidx", "moof" (a leaf for Part 2.7) and "mdat". ffprobe cannot read it either.
        {"m4s_dash_segment.m4s", "", Lines("Quicktime")},
    };
}

}  // namespace

Q_DECLARE_METATYPE(vistrel::QuicktimeInfo)
Q_DECLARE_METATYPE(vistrel::InfoLines)
Q_DECLARE_METATYPE(std::string)

class TestQuicktimeInfo : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::string WriteMovie(const Bytes& bytes)
    {
        const std::string path = dir_.filePath("movie.mov").toStdString();
        test::WriteFile(path, bytes);
        return path;
    }

    QuicktimeInfo Read(const Bytes& bytes)
    {
        QuicktimeInfo info;
        if (!GetQuicktimeInfo(WriteMovie(bytes), info))
            qFatal("GetQuicktimeInfo could not open the test file");
        return info;
    }

    InfoLines ReadLines(const Bytes& bytes) { return LinesOf(Read(bytes)); }

    // A movie that starts with a filler so that the atom after it lies at `position`.
    static Bytes MovieAt(size_t position, const Bytes& atoms)
    {
        const Bytes ftyp = Ftyp();
        return ftyp + Filler("free", position - ftyp.size()) + atoms;
    }

    static void AddFrameRateRows()
    {
        QTest::addColumn<uint32_t>("sampleCount");
        QTest::addColumn<uint32_t>("timeScale");
        QTest::addColumn<uint32_t>("duration");
        QTest::addColumn<float>("frameRate");
        // Int(T / Int(D / N + 0.5) + 0.5) when T / Int(D / N + 0.5) lies in (0, 100].
        QTest::newRow("25 fps") << 250u << 44100u << 441000u << 25.0f;
        QTest::newRow("23.976 rounds to 24") << 240u << 48000u << 480480u << 24.0f;
        QTest::newRow("29.97 rounds to 30") << 300u << 30000u << 300300u << 30.0f;
        QTest::newRow("sample duration rounds half up") << 4u << 75u << 10u << 25.0f;  // Int(2.5 + 0.5) = 3
        QTest::newRow("rate rounds half up") << 1u << 51u << 2u << 26.0f;            // 25.5
        QTest::newRow("rate 100 is kept") << 100u << 10000u << 10000u << 100.0f;
        QTest::newRow("rate above 100 stays 0") << 1000u << 48000u << 48000u << 0.0f;
        QTest::newRow("rate below 0.5 stays 0") << 1u << 1u << 4u << 0.0f;
        QTest::newRow("sample duration 0 stays 0") << 10u << 1000u << 4u << 0.0f;
        QTest::newRow("time scale 0 stays 0") << 250u << 0u << 441000u << 0.0f;
        QTest::newRow("no video samples stays 0") << 0u << 44100u << 441000u << 0.0f;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // ---- Part 2.7 edge cases ---------------------------------------------------------

    void frameRateRule_data() { AddFrameRateRows(); }
    void frameRateRule()
    {
        QFETCH(uint32_t, sampleCount);
        QFETCH(uint32_t, timeScale);
        QFETCH(uint32_t, duration);
        QFETCH(float, frameRate);
        QCOMPARE(QuicktimeFrameRate(timeScale, duration, sampleCount), frameRate);
    }

    // The video track's sample count over the next track's duration and time scale.
    void frameRateFromVideoThenSoundTrack_data() { AddFrameRateRows(); }
    void frameRateFromVideoThenSoundTrack()
    {
        QFETCH(uint32_t, sampleCount);
        QFETCH(uint32_t, timeScale);
        QFETCH(uint32_t, duration);
        QFETCH(float, frameRate);
        VideoTrack video;
        video.sampleCount = sampleCount;
        video.timeScale = 1;  // the video track's own "mdhd" is met before its sample count
        video.duration = 1;
        SoundTrack sound;
        sound.timeScale = timeScale;
        sound.duration = duration;
        QCOMPARE(Read(Movie(Track(video) + Track(sound))).FrameRate, frameRate);
    }

    void frameRateStaysZeroWithSoundTrackFirst()
    {
        const Bytes movie = Movie(Track(SoundTrack{}) + Track(VideoTrack{}));
        QCOMPARE(Read(movie).FrameRate, 0.0f);
        QCOMPARE(ReadLines(movie), Lines("Quicktime", "AVC1  64x48 24bit", "MPEG4audio  44100Hz 16bit Stereo"));
    }

    void trackHeaderGivesSizeAndSoundTrackHeaderLeavesIt()
    {
        VideoTrack video;
        video.width1616 = Fixed16(1920);
        video.height1616 = Fixed16(1080) | 0x8000;  // 1080.5: the integer part counts
        const QuicktimeInfo info = Read(Movie(Track(video) + Track(SoundTrack{})));
        QCOMPARE(info.Width, 1920);
        QCOMPARE(info.Height, 1080);
        QCOMPARE(LinesOf(info)[1], std::string("AVC1  1920x1080 25fps 24bit"));
    }

    // The sample entry's size counts only while the track header's is below 10.
    void sampleEntrySize_data()
    {
        QTest::addColumn<uint32_t>("trackWidth");
        QTest::addColumn<uint32_t>("trackHeight");
        QTest::addColumn<uint16_t>("entryWidth");
        QTest::addColumn<uint16_t>("entryHeight");
        QTest::addColumn<std::string>("line1");
        QTest::newRow("track header 0x0") << 0u << 0u << uint16_t(320) << uint16_t(240) << std::string("AVC1  320x240 25fps 24bit");
        QTest::newRow("track header 8x6") << 8u << 6u << uint16_t(320) << uint16_t(240) << std::string("AVC1  320x240 25fps 24bit");
        QTest::newRow("track header 640x9") << 640u << 9u << uint16_t(320) << uint16_t(240) << std::string("AVC1  320x240 25fps 24bit");
        QTest::newRow("track header 640x480") << 640u << 480u << uint16_t(320) << uint16_t(240) << std::string("AVC1  640x480 25fps 24bit");
        QTest::newRow("entry 0x240 ignored") << 0u << 0u << uint16_t(0) << uint16_t(240) << std::string();
    }
    void sampleEntrySize()
    {
        QFETCH(uint32_t, trackWidth);
        QFETCH(uint32_t, trackHeight);
        QFETCH(uint16_t, entryWidth);
        QFETCH(uint16_t, entryHeight);
        QFETCH(std::string, line1);
        VideoTrack video;
        video.width1616 = Fixed16(trackWidth);
        video.height1616 = Fixed16(trackHeight);
        video.entry.width = entryWidth;
        video.entry.height = entryHeight;
        QCOMPARE(ReadLines(Movie(Track(video) + Track(SoundTrack{})))[1], line1);
    }

    void secondVideoTrackKeepsTheCodec()
    {
        VideoTrack first;
        VideoTrack second;
        second.entry.code = "mp4v";
        second.width1616 = Fixed16(320);  // every track header with a size overwrites it
        second.height1616 = Fixed16(240);
        second.entry.depth = 32;          // the depth is taken only while it is below 4
        const QuicktimeInfo info = Read(Movie(Track(first) + Track(second) + Track(SoundTrack{})));
        QCOMPARE(info.VideoCodec, std::string("AVC1"));
        QCOMPARE(LinesOf(info)[1], std::string("AVC1  320x240 25fps 24bit"));
    }

    void secondSoundTrackOverwrites()
    {
        SoundTrack second;
        second.entry = {"sowt", 1, 8, 22050};
        QCOMPARE(ReadLines(Movie(Track(VideoTrack{}) + Track(SoundTrack{}) + Track(second)))[2],
                 std::string("PCM  22050Hz 8bit Mono"));
        // Values outside the accepted ranges leave the first track's values.
        second.entry = {"alac", 6, 0, 500};
        QCOMPARE(ReadLines(Movie(Track(VideoTrack{}) + Track(SoundTrack{}) + Track(second)))[2],
                 std::string("Apple lossless  44100Hz 16bit Stereo"));
    }

    void channels_data()
    {
        QTest::addColumn<uint16_t>("count");
        QTest::addColumn<std::string>("line2");
        QTest::newRow("1") << uint16_t(1) << std::string("MPEG4audio  44100Hz 16bit Mono");
        QTest::newRow("2") << uint16_t(2) << std::string("MPEG4audio  44100Hz 16bit Stereo");
        QTest::newRow("3") << uint16_t(3) << std::string("MPEG4audio  44100Hz 16bit 3ch");
        QTest::newRow("4") << uint16_t(4) << std::string("MPEG4audio  44100Hz 16bit 4ch");
        // Other counts leave the text as it was (empty); the channel text is never left out.
        QTest::newRow("6") << uint16_t(6) << std::string("MPEG4audio  44100Hz 16bit ");
        QTest::newRow("5") << uint16_t(5) << std::string("MPEG4audio  44100Hz 16bit ");
        QTest::newRow("0") << uint16_t(0) << std::string("MPEG4audio  44100Hz 16bit ");
    }
    void channels()
    {
        QFETCH(uint16_t, count);
        QFETCH(std::string, line2);
        SoundTrack sound;
        sound.entry.channels = count;
        QCOMPARE(ReadLines(Movie(Track(sound)))[2], line2);
    }

    void sampleRateRange_data()
    {
        QTest::addColumn<uint32_t>("rateField");
        QTest::addColumn<std::string>("line2");
        QTest::newRow("8000") << 8000u << std::string("MPEG4audio  8000Hz 16bit Stereo");
        QTest::newRow("1000") << 1000u << std::string("MPEG4audio  1000Hz 16bit Stereo");
        QTest::newRow("99999") << 99999u << std::string("MPEG4audio  99999Hz 16bit Stereo");
        QTest::newRow("999 ignored") << 999u << std::string("MPEG4audio  0Hz 16bit Stereo");
        QTest::newRow("100000 ignored") << 100000u << std::string("MPEG4audio  0Hz 16bit Stereo");
        // The two bytes before the integer part belong to the value: packet size 1 and
        // 44100 Hz read as 109636.
        QTest::newRow("packet size 1") << ((1u << 16) | 44100u) << std::string("MPEG4audio  0Hz 16bit Stereo");
    }
    void sampleRateRange()
    {
        QFETCH(uint32_t, rateField);
        QFETCH(std::string, line2);
        SoundTrack sound;
        sound.entry.rateField = rateField;
        QCOMPARE(ReadLines(Movie(Track(sound)))[2], line2);
    }

    void sampleSizeZeroIsLeftOut()
    {
        SoundTrack sound;
        sound.entry.bits = 0;
        QCOMPARE(ReadLines(Movie(Track(sound)))[2], std::string("MPEG4audio  44100Hz Stereo"));
    }

    void unknownCodesAreShownUnchanged()
    {
        VideoTrack video;
        video.entry.code = "abcd";
        SoundTrack sound;
        sound.entry.code = "\xA9xyz";  // Latin-1: one character per byte
        QCOMPARE(ReadLines(Movie(Track(video) + Track(sound))),
                 Lines("Quicktime", "abcd  64x48 25fps 24bit", "\u00A9xyz  44100Hz 16bit Stereo"));
    }

    void firstAtomOfSizeZero()
    {
        const Bytes tracks = Moov(Track(VideoTrack{}) + Track(SoundTrack{}));
        QuicktimeInfo ftyp = Read(AtomSized(0, "ftyp", Text("qt  ") + Zeros(4)) + tracks);
        QCOMPARE(ftyp.Brand, std::string("qt  "));
        QCOMPARE(LinesOf(ftyp), Lines("Quicktime"));

        QuicktimeInfo free = Read(AtomSized(0, "free", Zeros(8)) + tracks);
        QCOMPARE(free.Brand, std::string());
        QCOMPARE(LinesOf(free), Lines("Quicktime"));
    }

    // The walk enters a container without looking at its size (step 5 skips steps 6 to 8),
    // so a first "moov" of size 0 is walked like any other.
    void containerOfSizeZeroIsEntered()
    {
        const Bytes movie = AtomSized(0, "moov", Mvhd() + Track(VideoTrack{}) + Track(SoundTrack{}));
        QCOMPARE(ReadLines(movie), Lines("Quicktime", "AVC1  64x48 25fps 24bit", "MPEG4audio  44100Hz 16bit Stereo"));
    }

    void compressedMovieIsNotDecoded()
    {
        // A track header inside "cmov" would give 1920x1080 if it were walked.
        const Bytes cmov = Atom("cmov", Atom("dcom", Text("zlib")) + Atom("cmvd", U32(1000) + Tkhd(Fixed16(1920), Fixed16(1080))));
        const QuicktimeInfo info = Read(Ftyp("qt  ") + Atom("moov", cmov));
        QVERIFY(info.CompressedMovie);
        QCOMPARE(info.Width, 0);
        QCOMPARE(LinesOf(info), Lines("Quicktime", "", "compressed video"));
        // The audio replaces "compressed video".
        QCOMPARE(ReadLines(Ftyp("qt  ") + Atom("moov", cmov + Track(SoundTrack{}))),
                 Lines("Quicktime", "", "MPEG4audio  44100Hz 16bit Stereo"));
    }

    // ---- Decisions of the readers' issues --------------------------------------------

    // The video code is trimmed before the table ("raw " becomes "raw", not "RAW"); the
    // sound code is looked up as it is.
    void videoCodeIsTrimmed_data()
    {
        QTest::addColumn<std::string>("code");
        QTest::addColumn<std::string>("line1");
        QTest::newRow("raw") << std::string("raw ") << std::string("raw  64x48 25fps 24bit");
        QTest::newRow("png") << std::string("png ") << std::string("png  64x48 25fps 24bit");
        QTest::newRow("leading blank") << std::string(" svq") << std::string("svq  64x48 25fps 24bit");
        QTest::newRow("avc1") << std::string("avc1") << std::string("AVC1  64x48 25fps 24bit");
        QTest::newRow("mp4v") << std::string("mp4v") << std::string("MPEG4video  64x48 25fps 24bit");
        QTest::newRow("all blanks: no codec") << std::string("    ") << std::string("  64x48 25fps 24bit");
    }
    void videoCodeIsTrimmed()
    {
        QFETCH(std::string, code);
        QFETCH(std::string, line1);
        VideoTrack video;
        video.entry.code = code;
        SoundTrack sound;
        sound.entry.code = "raw ";
        const InfoLines lines = ReadLines(Movie(Track(video) + Track(sound)));
        QCOMPARE(lines[1], line1);
        QCOMPARE(lines[2], std::string("RAW  44100Hz 16bit Stereo"));
    }

    // "video codec 2" is read into the record (trimmed, cut at the first NUL) but not shown.
    void videoCodec2IsNotShown_data()
    {
        QTest::addColumn<std::string>("code2");
        QTest::addColumn<std::string>("videoCodec2");
        QTest::newRow("zeros") << std::string(4, '\0') << std::string();
        QTest::newRow("mp4v") << std::string("mp4v") << std::string("MPEG4video");
        QTest::newRow("cut at NUL") << std::string(" ab\0", 4) << std::string("ab");
        QTest::newRow("NUL first") << std::string("\0abc", 4) << std::string();
    }
    void videoCodec2IsNotShown()
    {
        QFETCH(std::string, code2);
        QFETCH(std::string, videoCodec2);
        VideoTrack video;
        video.entry.code2 = code2;
        const QuicktimeInfo info = Read(Movie(Track(video) + Track(SoundTrack{})));
        QCOMPARE(info.VideoCodec2, videoCodec2);
        QCOMPARE(LinesOf(info)[1], std::string("AVC1  64x48 25fps 24bit"));
    }

    // The sample duration is computed at each "mdhd", 0 while the sample count is 0: it is
    // not carried over from an earlier "mdhd".
    void sampleDurationIsComputedAtEachMediaHeader()
    {
        VideoTrack first;  // sample count 10
        first.sampleCount = 10;
        VideoTrack second;  // its "mdhd": 100000 / Int(5000 / 10 + 0.5) = 200 fps, ignored
        second.timeScale = 100000;
        second.duration = 5000;
        second.sampleCount = 0;
        SoundTrack sound;  // count 0 now: no rate (25 fps with the duration 500 carried over)
        sound.timeScale = 12500;
        const QuicktimeInfo info = Read(Movie(Track(first) + Track(second) + Track(sound)));
        QCOMPARE(info.FrameRate, 0.0f);
    }

    void mediaKindComesFromTheHeaders()
    {
        // "mvhd" sets the kind to video: a sample description right after it is video.
        QCOMPARE(Read(Ftyp() + Atom("moov", Mvhd() + VideoStsd(VideoEntry{}))).VideoCodec, std::string("AVC1"));
        // "nmhd" sets it to other: the sample description is not looked at.
        const QuicktimeInfo other = Read(Ftyp() + Atom("moov", Atom("smhd", Zeros(8)) + Atom("nmhd", Zeros(4)) + SoundStsd(SoundEntry{})));
        QCOMPARE(other.AudioCodec, std::string());
        // Before any media header the kind is 0.
        QCOMPARE(Read(Ftyp() + Atom("moov", SoundStsd(SoundEntry{}) + VideoStsd(VideoEntry{}))).VideoCodec, std::string());
    }

    // Any read past the window's data ends the walk; what was found stays.
    void truncatedSampleEntryKeepsWhatWasRead()
    {
        Bytes movie = Movie(Track(VideoTrack{}) + Track(SoundTrack{}));
        const size_t soundStsd = AtomPosition(movie, "stsd", AtomPosition(movie, "smhd"));
        movie.resize(soundStsd + 8 + 20);  // the code at body offset 12 is there, the channels are not
        QCOMPARE(ReadLines(movie), Lines("Quicktime", "AVC1  64x48 25fps 24bit", "MPEG4audio  0Hz "));
    }

    void truncatedTrackHeaderEndsTheWalk()
    {
        Bytes movie = Movie(Track(VideoTrack{}));
        movie.resize(AtomPosition(movie, "tkhd") + 8 + 80);  // the height at 78..81 is cut
        const QuicktimeInfo info = Read(movie);
        QCOMPARE(info.Width, 0);
        QCOMPARE(info.Brand, std::string("isom"));
    }

    // Files larger than the 1,000,000-byte window.

    void headerAcrossTheWindowEndEndsTheWalk()
    {
        const Bytes moov = Moov(Track(VideoTrack{}) + Track(SoundTrack{}));
        // The size field lies inside the window, the type past it: not read again.
        QCOMPARE(ReadLines(MovieAt(kWindow - 4, moov)), Lines("Quicktime"));
    }

    void containerAtTheWindowEndEndsTheWalk()
    {
        const Bytes moov = Moov(Track(VideoTrack{}) + Track(SoundTrack{}));
        // "moov" ends the window; its first child lies past the data, and the window is read
        // again only when a leaf is skipped.
        QCOMPARE(ReadLines(MovieAt(kWindow - 8, moov)), Lines("Quicktime"));
    }

    void leafSkippedPastTheWindowReadsItAgain()
    {
        const InfoLines full = Lines("Quicktime", "AVC1  64x48 25fps 24bit", "MPEG4audio  44100Hz 16bit Stereo");
        const Bytes moov = Moov(Track(VideoTrack{}) + Track(SoundTrack{}));
        QCOMPARE(ReadLines(MovieAt(kWindow, moov)), full);
        // "moov" at the end, after 3 MB of media data: one skip, one new window.
        QCOMPARE(ReadLines(Ftyp() + Filler("mdat", 3000000) + moov), full);
    }

    void leafValuePastTheWindowEndsTheWalk()
    {
        // The track header's width at body offset 74 lies past the window; nothing after it counts.
        const Bytes trak = Track(VideoTrack{});
        const QuicktimeInfo info = Read(MovieAt(kWindow - 60, trak + Track(SoundTrack{})));
        QCOMPARE(info.Width, 0);
        QCOMPARE(info.AudioCodec, std::string());
    }

    // ISO/IEC 14496-12 sizes that Part 2.7 does not name.

    void largeSizeIsFollowed()
    {
        const Bytes moov = Moov(Track(VideoTrack{}) + Track(SoundTrack{}));
        QCOMPARE(ReadLines(Ftyp() + LargeAtom(16 + 2000, "mdat", Zeros(2000)) + moov)[1], std::string("AVC1  64x48 25fps 24bit"));
        QCOMPARE(ReadLines(Ftyp() + LargeAtom(16 + 1500000, "mdat", Zeros(1500000)) + moov)[1], std::string("AVC1  64x48 25fps 24bit"));
    }

    void largeSizeThatCannotBeFollowedStops_data()
    {
        QTest::addColumn<uint64_t>("largeSize");
        QTest::newRow("0") << uint64_t(0);
        QTest::newRow("past the end of the file") << (uint64_t(1) << 40);
        QTest::newRow("2^63") << (uint64_t(1) << 63);
        QTest::newRow("all bits") << ~uint64_t(0);
    }
    void largeSizeThatCannotBeFollowedStops()
    {
        QFETCH(uint64_t, largeSize);
        const Bytes movie = Ftyp() + LargeAtom(largeSize, "mdat", Zeros(100)) + Moov(Track(VideoTrack{}));
        QCOMPARE(ReadLines(movie), Lines("Quicktime"));
    }

    void negativeSizeStops()
    {
        const Bytes moov = Moov(Track(VideoTrack{}));
        QCOMPARE(ReadLines(Ftyp() + AtomSized(0x80000000u, "free", Zeros(8)) + moov), Lines("Quicktime"));
        // 2^31 - 1 is a size: the skip lands past the end of the file, the read gives no bytes.
        QCOMPARE(ReadLines(Ftyp() + AtomSized(0x7FFFFFFFu, "free", Zeros(8)) + moov), Lines("Quicktime"));
    }

    void smallLeafSizesStillAdvance()
    {
        // A leaf of size 4 makes the next header start inside it; the walk goes on without looping.
        const Bytes movie = Ftyp() + AtomSized(4, "free") + Zeros(4) + Moov(Track(VideoTrack{}));
        QuicktimeInfo info;
        QVERIFY(GetQuicktimeInfo(WriteMovie(movie), info));
        QCOMPARE(info.Brand, std::string("isom"));
    }

    // "udta:CN": after Canon's user data a size 0 is skipped by 4 bytes.
    void canonUserDataSkipsZeroSize_data()
    {
        QTest::addColumn<std::string>("firstLeaf");
        QTest::addColumn<int>("width");
        QTest::newRow("CNCV") << std::string("CNCV") << 64;
        QTest::newRow("CNTH") << std::string("CNTH") << 64;
        QTest::newRow("(c)nam") << std::string("\xA9nam") << 0;  // size 0 stops the walk
        QTest::newRow("CN not first") << std::string("meta") << 0;
    }
    void canonUserDataSkipsZeroSize()
    {
        QFETCH(std::string, firstLeaf);
        QFETCH(int, width);
        Bytes leaves = Atom(firstLeaf, Zeros(4));
        if (firstLeaf == "meta")
            leaves = leaves + Atom("CNCV", Zeros(4));
        const Bytes udta = Atom("udta", leaves + Zeros(4));
        const QuicktimeInfo info = Read(Ftyp() + Atom("moov", Mvhd() + udta + Track(VideoTrack{})));
        QCOMPARE(info.Width, width);
    }

    void fileThatCannotBeOpenedLeavesTheRecord()
    {
        QuicktimeInfo info;
        info.Brand = "keep";
        info.Width = 7;
        QVERIFY(!GetQuicktimeInfo(dir_.filePath("missing.mov").toStdString(), info));
        QCOMPARE(info.Brand, std::string("keep"));
        QCOMPARE(info.Width, 7);
        QCOMPARE(LinesOf(info, false), InfoLines{});
    }

    void fieldsNotFoundKeepTheirValues()
    {
        QuicktimeInfo info;
        info.AudioCodec = "before";
        info.FrameRate = 12;
        QVERIFY(GetQuicktimeInfo(WriteMovie(Movie(Track(VideoTrack{}))), info));
        QCOMPARE(info.AudioCodec, std::string("before"));
        QCOMPARE(info.FrameRate, 12.0f);  // "mdhd" looks for a rate only while it is 0
    }

    void bytesThatAreNoMovie()
    {
        QCOMPARE(ReadLines(Text("This is no QuickTime file at all, just text.")), Lines("Quicktime"));
        QCOMPARE(ReadLines(Zeros(4096)), Lines("Quicktime"));
        QCOMPARE(ReadLines({}), Lines("Quicktime"));
    }

    // ---- Lines (Part 2.5, code 12) ---------------------------------------------------

    void lines_data()
    {
        QTest::addColumn<QuicktimeInfo>("info");
        QTest::addColumn<InfoLines>("lines");
        QuicktimeInfo full;
        full.VideoCodec = "AVC1";
        full.Width = 1280;
        full.Height = 720;
        full.FrameRate = 25;
        full.ColourDepth = 24;
        full.AudioCodec = "MPEG4audio";
        full.SampleRate = 48000;
        full.SampleSize = 16;
        full.Channels = "Stereo";
        QTest::newRow("video and audio") << full << Lines("Quicktime", "AVC1  1280x720 25fps 24bit", "MPEG4audio  48000Hz 16bit Stereo");
        QuicktimeInfo bare = full;
        bare.FrameRate = 0;
        bare.ColourDepth = 0;
        bare.SampleSize = 0;
        QTest::newRow("optional parts left out") << bare << Lines("Quicktime", "AVC1  1280x720", "MPEG4audio  48000Hz Stereo");
        QuicktimeInfo depthOnly = bare;
        depthOnly.ColourDepth = 8;
        QTest::newRow("depth without rate") << depthOnly << Lines("Quicktime", "AVC1  1280x720 8bit", "MPEG4audio  48000Hz Stereo");
        QuicktimeInfo audioOnly;
        audioOnly.AudioCodec = QuicktimeCodecName("ulaw");
        audioOnly.Channels = "Mono";
        QTest::newRow("audio only, rate 0, Latin-1 name") << audioOnly << Lines("Quicktime", "", "\u00B5-law  0Hz Mono");
        QuicktimeInfo compressed;
        compressed.CompressedMovie = true;
        QTest::newRow("compressed movie") << compressed << Lines("Quicktime", "", "compressed video");
        QuicktimeInfo compressedWithAudio = audioOnly;
        compressedWithAudio.CompressedMovie = true;
        QTest::newRow("audio replaces compressed video") << compressedWithAudio << Lines("Quicktime", "", "\u00B5-law  0Hz Mono");
        QuicktimeInfo codecOnly;
        codecOnly.VideoCodec = "AVC1";
        QTest::newRow("no width: no video line") << codecOnly << Lines("Quicktime");
        QTest::newRow("nothing found") << QuicktimeInfo{} << Lines("Quicktime");
    }
    void lines()
    {
        QFETCH(QuicktimeInfo, info);
        QFETCH(InfoLines, lines);
        InfoLines actual;
        StreamFlags flags;
        flags.SeveralAudioStreams = true;
        PutQuicktimeInfoLines(info, true, actual, flags);
        QCOMPARE(actual, lines);
        QVERIFY(flags.SeveralAudioStreams);
        QVERIFY(!flags.MpegProgramWithVideo);
    }

    void codecNameTable_data()
    {
        QTest::addColumn<std::string>("code");
        QTest::addColumn<std::string>("name");
        for (const auto& [code, name] : kCodecTable)
            QTest::newRow(code) << std::string(code) << std::string(name);
        QTest::newRow("unknown") << std::string("xvid") << std::string("xvid");
        QTest::newRow("case-sensitive") << std::string("AVC1") << std::string("AVC1");
        QTest::newRow("MP4A unchanged") << std::string("MP4A") << std::string("MP4A");
        QTest::newRow("blank counts") << std::string("raw") << std::string("raw");
        QTest::newRow("empty") << std::string() << std::string();
    }
    void codecNameTable()
    {
        QFETCH(std::string, code);
        QFETCH(std::string, name);
        QCOMPARE(QuicktimeCodecName(code), name);
    }

    void containers_data()
    {
        QTest::addColumn<std::string>("type");
        QTest::addColumn<bool>("container");
        for (const char* type : {"moov", "trak", "udta", "tref", "imap", "mdia", "minf", "stbl", "edts", "mdra", "rmra",
                                 "imag", "vnrp", "dinf"})
            QTest::newRow(type) << std::string(type) << true;
        for (const char* type : {"MOOV", "moof", "traf", "meta", "ilst", "stsd", "mdat", "cmov", "wide", "moo", "moovx"})
            QTest::newRow(type) << std::string(type) << false;
    }
    void containers()
    {
        QFETCH(std::string, type);
        QFETCH(bool, container);
        QCOMPARE(IsQuicktimeContainer(type), container);
    }

    // ---- Golden tests over the fixtures ----------------------------------------------
    //
    // Checked by hand against ffprobe 5.1 and mediainfo 23.x. Where the spec's rules give
    // another value on purpose:
    // - Frame rate: the spec divides the video track's sample count by the *next* track's
    //   duration (Part 2.7, mdhd). The 0.5 s fixtures have 5 video samples and sound tracks
    //   slightly longer than the video: 22050 / Int(12049 / 5 + 0.5) = 9.15 gives 9 fps, and
    //   8000 / Int(5024 / 5 + 0.5) = 7.96 gives 8 fps; ffprobe and mediainfo say 10 fps.
    //   With the sound track first the rate stays 0 and is left out (the tools: 10 fps). The
    //   raw-video file's tracks are equally long: 8000 / Int(1600 / 2 + 0.5) = 10 fps.
    // - Channels: ffmpeg's MP4, M4A, 3GP and 3G2 muxers write 2 channels into the sound
    //   sample entry whatever the AAC stream holds (the true count is in the decoder
    //   configuration), so the spec's rule says "Stereo" where ffprobe and mediainfo say 1
    //   channel; the QuickTime muxer writes 1: "Mono". 6 channels leave the text empty (the
    //   tools: 6 channels), the line keeps its blank before it.
    // - "16bit" with AAC is the sample entry's sample size, which AAC does not use (ffprobe:
    //   no bits). For ALAC and 8-bit PCM it agrees with both tools.
    // - "24bit" is the video sample entry's colour depth (bits per pixel); mediainfo's "Bit
    //   depth: 8 bits" counts bits per component.
    // - Codec names come from Part 2.7's table: "AVC1" (ffprobe h264), "MPEG4audio" (aac),
    //   "H.263" for "s263" (h263), "Apple lossless" (alac), "PCM" for "sowt" (pcm_s8); the
    //   video code "raw " is trimmed to "raw" before the table (the decision), so it
    //   shows "raw", not the table's "RAW" (ffprobe rawvideo).
    // Width, height and sample rates agree with both tools.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<std::string>("brand");
        QTest::addColumn<InfoLines>("lines");
        for (const auto& [file, brand, lines] : QuicktimeFixtures())
            QTest::newRow(file) << QString(file) << std::string(brand) << lines;
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(std::string, brand);
        QFETCH(InfoLines, lines);
        QuicktimeInfo info;
        const bool ok = GetQuicktimeInfo(FixturePath(file.toUtf8().constData()), info);
        QVERIFY(ok);
        QCOMPARE(info.Brand, brand);
        QCOMPARE(LinesOf(info, ok), lines);
    }

    // A new QuickTime fixture (detected 12) needs a row above.
    void everyQuicktimeFixtureHasARow()
    {
        std::set<std::string> listed;
        for (const auto& row : QuicktimeFixtures())
            listed.insert(row.file);
        for (const QString& name : QDir(VISTREL_FIXTURES_DIR "/media").entryList(QDir::Files)) {
            if (GetMediaType(FixturePath(name.toUtf8().constData())) == mt::Mov)
                QVERIFY2(listed.count(name.toStdString()), qPrintable(name + " has no golden row"));
        }
    }

    // Cut and corrupted copies of every fixture: no crash, no exception, no read outside a
    // buffer (the test build runs under AddressSanitizer).
    void damagedFixtures_data()
    {
        QTest::addColumn<QString>("file");
        for (const auto& row : QuicktimeFixtures())
            QTest::newRow(row.file) << QString(row.file);
    }
    void damagedFixtures()
    {
        QFETCH(QString, file);
        const Bytes original = test::ReadFile(FixturePath(file.toUtf8().constData()));
        QVERIFY(!original.empty());
        for (size_t length = 0; length < original.size(); length += length < 64 ? 1 : 127)
            Read(Bytes(original.begin(), original.begin() + long(length)));
        std::mt19937 random(2024);
        for (int round = 0; round < 40; ++round) {
            Bytes damaged = original;
            for (int i = 0; i < 8; ++i)
                damaged[random() % damaged.size()] = uint8_t(random());
            LinesOf(Read(damaged));
        }
    }
};

QTEST_APPLESS_MAIN(TestQuicktimeInfo)
#include "tst_part_2_7_quicktime.moc"
