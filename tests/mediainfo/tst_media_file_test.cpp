// The media file test every title passes before it plays (refusals, the dark-red mark, the
// branch to the readers, the read test) and the fitting of its lines into the label column.
#include "mediainfo/FormatInfoDisplay.h"
#include "mediainfo/MediaFileTest.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;

class TestMediaFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    static Bytes Fixture(const char* name) { return test::ReadFile(test::Fixture(name)); }

private slots:
    // Refused files: not played, no lines, the bare name and the refusal text (none for 200).
    void refusals()
    {
        const std::tuple<const char*, int, const char*> rows[] = {
            {"decoy_empty_song.mp3", 100, "Size is 0 Bytes"}, {"decoy_20_bytes.mp3", 101, "isn't a valid media file"},
            {"decoy_all_ff_4096.mp3", 104, "isn't a valid media file"}, {"decoy_rar.rar", 106, "appears to be a RAR file"},
            {"decoy_pdf.pdf", 105, "appears to be a PDF file"}, {"decoy_zip_as_clip.avi", 107, "appears to be a ZIP file"},
            {"decoy_7z_as_movie.mkv", 108, "appears to be a 7-Zip file"}, {"decoy_all_zero_4096.avi", 110, "is all zero"},
            {"decoy_mz_exe_as_video.wmv", 109, "appears to be an EXE file"}, {"missing.mp3", 200, ""}};
        for (const auto& [file, code, message] : rows) {
            const MediaFileTestResult r = TestMediaFile(test::Fixture(file), UpperExtension(file));
            QVERIFY2(!r.Play && !r.Label0Mismatch && r.Lines == InfoLines{} && r.Detected == code, file);
            QCOMPARE(r.Refusal, *message ? file + std::string("\r\n") + message : "");
        }
    }

    // The branch to the reader of the detected type, the stream flags it reports (1: several
    // audio streams, 2: program stream with video), and the dark-red mark on label 0 when the
    // extension promises another type (.tmp and .snd any).
    void branch()
    {
        const Bytes mp3 = Fixture("mp3_cbr_128k.mp3"), text(64, 'a');
        const InfoLines mp3Lines = test::Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"});
        const std::tuple<const char*, Bytes, int, bool, InfoLines, int> rows[] = {
            {"copy.tmp", mp3, 2, false, mp3Lines, 0}, {"sound.snd", mp3, 2, false, mp3Lines, 0},
            {"notes.xyz", text, 0, false, test::Lines({"", "unknown"}), 0},
            {"notes.mp3", text, 0, true, test::Lines({"", "unknown"}), 0},
            {"a.mkv", Fixture("mkv_h264_vorbis.mkv"), 16, false, test::Lines({"matroska"}), 0},
            {"a.webm", Fixture("webm_vp9_opus.webm"), 17, false, test::Lines({"webm"}), 0},
            {"a.avi", Fixture("avi_mpeg4_two_audio.avi"), 3, false,
             test::Lines({"RIFF AVI", "FMP4  64x48  10fps", "MPEG-1 Layer-3  22050Hz  Mono", "PCM  8000Hz  16bit  Mono"}), 1},
            {"a.vob", Fixture("mpeg2_ps_dvd_ac3x2.vob"), 2, false,
             test::Lines({"MPEG-2 System", "160x120  4:3  25fps", "2x AC3 Audio (80h,81h)"}), 3}};
        for (const auto& [name, bytes, detected, mismatch, lines, flags] : rows) {
            const std::string path = test::WriteIn(dir_, name, bytes);
            const MediaFileTestResult r = TestMediaFile(path, UpperExtension(path));
            QVERIFY2(r.Play && r.Detected == detected && r.Label0Mismatch == mismatch, name);
            QCOMPARE(r.Lines, lines);
            QCOMPARE(int(r.Flags.SeveralAudioStreams) | int(r.Flags.MpegProgramWithVideo) << 1, flags);
        }
    }

    void expectedTypeByExtension()
    {
        for (const auto& [ext, code] : {std::pair{"RMVB", 15}, {"AIFF", 0}, {"MKS", 16}, {"WEB", 17}, {"IVF", 3},
                                        {"F4B", 12}, {"TS", 2}, {"MTS", 20}, {"DTS", 14}, {"MPEG", 0}, {"mp3", 0}, {"", 0}})
            QVERIFY2(ExpectedTypeForExtension(ext) == code, ext);
        for (const auto& [path, ext] : {std::pair{"/a.b/clip.final.mp4", "MP4"}, {"/a.b/noext", ""}, {"Über.wäv", "W\xC3\xA4V"}})
            QCOMPARE(UpperExtension(path), std::string(ext));
    }

    // The read test's codes for a folder (no regular file) and for a file without read permission.
    void readTestErrorCodes()
    {
        QCOMPARE(TestReadFromFile(dir_.path().toStdString()), 5);
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0777) == 0);
        const std::string locked = test::WriteIn(dir_, "locked.bin", {1, 2, 3});
        QVERIFY(::chmod(locked.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return TestReadFromFile(locked); }), 5);
    }

    // The four fitting passes, with one width unit per byte so each pass can be seen at work.
    void fitting_data()
    {
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<int>("width");
        QTest::addColumn<InfoLines>("fitted");
        const auto row = [](const char* name, std::initializer_list<std::string> lines, int width,
                            std::initializer_list<std::string> fitted) {
            QTest::newRow(name) << test::Lines(lines) << width << test::Lines(fitted);
        };
        const std::string l0 = "MPEG-1 Audio Stream", vbr = "Layer-3  128kbps VBR ", joint = "44100Hz  Joint Stereo", xy = "x  y";
        row("fits", {l0, vbr, joint}, 21, {l0, vbr, joint});
        row("VBR loses kbps first", {l0, vbr, joint}, 20, {l0, "Layer-3  128kb VBR ", "44100Hz  Joint St."});
        row("CBR, pass 4", {"", "Layer-3  128kbps CBR "}, 16, {"", "L-3 128kbps CBR "});
        row("dual channel", {"", "Layer-2  224kbps  44100Hz  Dual Channel"}, 30, {"", "L-2 224kbps 44100Hz Dual Ch."});
        row("stops once it fits", {"", "Layer-1  Stereo"}, 12, {"", "Layer-1  St."});
        row("release", {"", "codec release 2"}, 12, {"", "codec rel 2"});
        row("blank pairs folded once", {"", "a    b", "a   b"}, 1, {"", "a  b", "a  b"});
        row("labels 1 to 6 only", {xy, xy, xy, xy, xy, xy, xy, xy}, 3, {xy, "x y", "x y", "x y", "x y", "x y", "x y", xy});
    }
    void fitting()
    {
        QFETCH(InfoLines, lines);
        QFETCH(int, width);
        FitInfoLines(lines, [](const std::string& text) { return static_cast<int>(text.size()); }, width);
        QTEST(lines, "fitted");
    }
};

QTEST_APPLESS_MAIN(TestMediaFileTest)
#include "tst_media_file_test.moc"
