// Part 2.2: the media file test (refusals, mismatch marking, the format branch without
// readers, TestReadFromFile, GetAnsiSafeFileName). The readers' lines are tested in
// their own Parts' tests; here only that the branch reaches them.
#include "mediainfo/MediaFileTest.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vistrel;

namespace {

std::string Fixture(const char* name)
{
    return std::string(VISTREL_FIXTURES_DIR "/media/") + name;
}

std::vector<uint8_t> FixtureBytes(const char* name)
{
    return test::ReadFile(Fixture(name));
}

}  // namespace

class TestMediaFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) { return test::WriteIn(dir_, name, bytes); }
    static MediaFileTestResult Test(const std::string& path) { return TestMediaFile(path, UpperExtension(path)); }
    static void VerifyRefused(const MediaFileTestResult& r, MediaType code, const std::string& refusal)
    {
        QVERIFY(!r.Play);
        QCOMPARE(r.Detected, code);
        QCOMPARE(r.Refusal, refusal);
        QCOMPARE(r.Lines, InfoLines{});
        QVERIFY(!r.Label0Mismatch);
        QVERIFY(!r.Flags.SeveralAudioStreams && !r.Flags.MpegProgramWithVideo);
    }

private slots:
    void initTestCase() { InitMpegSyncCodes(); }

    void emptySongIsRefused()
    {
        VerifyRefused(Test(Write("song.mp3", {})), 100, "song.mp3\r\nSize is 0 Bytes");
    }

    void twentyByteFileIsNoValidMediaFile()
    {
        VerifyRefused(Test(Write("short.mp3", std::vector<uint8_t>(20, 0x41))), 101, "short.mp3\r\nisn't a valid media file");
    }

    void zipNamedClipAviIsRefused()
    {
        VerifyRefused(Test(Write("clip.avi", FixtureBytes("decoy_zip.zip"))), 107, "clip.avi\r\nappears to be a ZIP file");
    }

    void everyRefusalText_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("all 0xFF") << "decoy_all_ff_4096.mp3" << 104 << "isn't a valid media file";
        QTest::newRow("HTML") << "decoy_html_upper_as_song.mp3" << 102 << "appears to be a HTML file";
        QTest::newRow("PDF") << "decoy_pdf.pdf" << 105 << "appears to be a PDF file";
        QTest::newRow("RAR") << "decoy_rar.rar" << 106 << "appears to be a RAR file";
        QTest::newRow("7z") << "decoy_7z_as_movie.mkv" << 108 << "appears to be a 7-Zip file";
        QTest::newRow("EXE") << "decoy_mz_exe_as_video.wmv" << 109 << "appears to be an EXE file";
        QTest::newRow("zero") << "decoy_all_zero_4096.avi" << 110 << "is all zero";
        QTest::newRow("31 bytes") << "decoy_31_bytes.wav" << 101 << "isn't a valid media file";
    }
    void everyRefusalText()
    {
        QFETCH(QString, fixture);
        QFETCH(int, code);
        QFETCH(QString, message);
        const std::string name = fixture.toStdString();
        VerifyRefused(Test(Fixture(name.c_str())), code, name + "\r\n" + message.toStdString());
    }

    void refusalMessagesOfTheTable()
    {
        QCOMPARE(RefusalMessage(100), std::string("Size is 0 Bytes"));
        QCOMPARE(RefusalMessage(103), std::string{});
        QCOMPARE(RefusalMessage(0), std::string{});
        QCOMPARE(RefusalMessage(200), std::string{});
    }

    void unreadableFileIsNotPlayedWithoutMessage()
    {
        const MediaFileTestResult r = Test(dir_.filePath("missing.mp3").toStdString());
        QVERIFY(!r.Play);
        QCOMPARE(r.Detected, 200);
        QCOMPARE(r.Refusal, std::string{});
        QCOMPARE(r.Lines, InfoLines{});
        QVERIFY(!r.Label0Mismatch);
    }

    void mpegAudioNamedWavIsPlayedInDarkRed()
    {
        const auto mp3 = FixtureBytes("mp3_cbr_128k.mp3");
        const MediaFileTestResult wav = Test(Write("track.wav", mp3));
        QVERIFY(wav.Play);
        QCOMPARE(wav.Detected, 2);
        QVERIFY(wav.Label0Mismatch);
        QCOMPARE(wav.Lines[0], std::string("MPEG-1 Audio Stream"));
        const MediaFileTestResult named = Test(Write("track.mp3", mp3));
        QVERIFY(named.Play);
        QVERIFY(!named.Label0Mismatch);
        QCOMPARE(named.Lines, wav.Lines);
    }

    void tmpAndSndNeverMismatch()
    {
        const auto mp3 = FixtureBytes("mp3_cbr_128k.mp3");
        QVERIFY(!Test(Write("copy.tmp", mp3)).Label0Mismatch);
        QVERIFY(!Test(Write("copy.TMP", mp3)).Label0Mismatch);
        QVERIFY(!Test(Write("sound.snd", mp3)).Label0Mismatch);
        QVERIFY(Test(Write("sound.au", mp3)).Label0Mismatch);
    }

    void unknownTypeOfUnlistedExtensionIsPlayed()
    {
        const MediaFileTestResult r = Test(Write("notes.xyz", test::Bytes(std::string(64, 'a'))));
        QVERIFY(r.Play);
        QCOMPARE(r.Detected, 0);
        QCOMPARE(r.Lines[0], std::string{});
        QCOMPARE(r.Lines[1], std::string("unknown"));
        QVERIFY(!r.Label0Mismatch);
        QVERIFY(Test(Write("notes.mp3", test::Bytes(std::string(64, 'a')))).Label0Mismatch);
    }

    void matroskaShowsOnlyItsName()
    {
        const MediaFileTestResult r = Test(Fixture("mkv_h264_vorbis.mkv"));
        QVERIFY(r.Play);
        QCOMPARE(r.Detected, 16);
        InfoLines expected;
        expected[0] = "matroska";
        QCOMPARE(r.Lines, expected);
        QVERIFY(!r.Label0Mismatch);
    }

    void webmAndDtsNeedNoReader()
    {
        QCOMPARE(Test(Fixture("webm_vp9_opus.webm")).Lines[0], std::string("webm"));
        std::vector<uint8_t> ebml = {0x1A, 0x45, 0xDF, 0xA3};
        ebml.resize(64, 0);
        const MediaFileTestResult webm = Test(Write("clip.webm", ebml));
        QCOMPARE(webm.Detected, 17);
        QVERIFY(!webm.Label0Mismatch);
    }

    void formatBranchReachesTheReaders()
    {
        QCOMPARE(Test(Fixture("wav_pcm16_stereo.wav")).Lines[0].rfind("RIFF WAVE", 0), size_t(0));
        QCOMPARE(Test(Fixture("avi_mjpeg_pcm.avi")).Lines[0], std::string("RIFF AVI"));
        const MediaFileTestResult twoAudio = Test(Fixture("avi_mpeg4_two_audio.avi"));
        QVERIFY(twoAudio.Flags.SeveralAudioStreams);
        const MediaFileTestResult ps = Test(Fixture("mpeg1_ps_mpeg1video_mp2.mpg"));
        QVERIFY(ps.Flags.MpegProgramWithVideo);
        QVERIFY(!ps.Flags.SeveralAudioStreams);
        QVERIFY(Test(Fixture("mpeg2_ps_dvd_ac3x2.vob")).Flags.SeveralAudioStreams);
    }

    void expectedTypesByExtension_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("expected");
        const std::vector<std::pair<const char*, int>> rows{
            {"RA", 15}, {"RPM", 15}, {"RM", 15}, {"RAM", 15}, {"RMVB", 15}, {"RPX", 15}, {"SMI", 15},
            {"SMIL", 15}, {"RT", 15}, {"RP", 15}, {"MKV", 16}, {"MKA", 16}, {"MKS", 16}, {"WEBP", 21},
            {"WEBM", 17}, {"WEB", 17}, {"AVI", 3}, {"IVF", 3}, {"WAV", 1}, {"OGG", 4}, {"OGM", 4},
            {"MOV", 12}, {"MP4", 12}, {"MPEG4", 12}, {"3GP", 12}, {"3G2", 12}, {"F4V", 12}, {"F4P", 12},
            {"F4A", 12}, {"F4B", 12}, {"MPE", 2}, {"MPA", 2}, {"MPG", 2}, {"MPM", 2}, {"MPV", 2},
            {"M15", 2}, {"M75", 2}, {"M1V", 2}, {"M2V", 2}, {"M1A", 2}, {"M2A", 2}, {"MP1", 2}, {"MP2", 2},
            {"MP3", 2}, {"VOB", 2}, {"DAT", 2}, {"TS", 2}, {"WMV", 8}, {"WMA", 7}, {"ASF", 9}, {"MID", 5},
            {"RMI", 5}, {"AU", 10}, {"SND", 10}, {"AIF", 11}, {"AC3", 13}, {"DTS", 14}, {"MTS", 20},
            {"FLV", 18}, {"FLAC", 19}, {"MPEG", 0}, {"mp3", 0}, {"", 0}, {"AIFF", 0}, {"M4A", 0}};
        for (const auto& [ext, code] : rows)
            QTest::newRow(*ext ? ext : "(none)") << QString(ext) << code;
    }
    void expectedTypesByExtension()
    {
        QFETCH(QString, ext);
        QFETCH(int, expected);
        QCOMPARE(ExpectedTypeForExtension(ext.toStdString()), expected);
    }

    void upperExtension()
    {
        QCOMPARE(UpperExtension("/a/b.c/clip.final.mp4"), std::string("MP4"));
        QCOMPARE(UpperExtension("/a/b.c/noext"), std::string(""));
        QCOMPARE(UpperExtension("Über.wäv"), std::string("W\xC3\xA4V"));
    }

    void testReadFromFile()
    {
        QCOMPARE(TestReadFromFile(Write("small.bin", {1, 2, 3})), 0);
        QCOMPARE(TestReadFromFile(Fixture("mp3_cbr_128k.mp3")), 0);
        QCOMPARE(TestReadFromFile(dir_.filePath("missing.bin").toStdString()), 2);
        QCOMPARE(TestReadFromFile(dir_.filePath("nofolder/missing.bin").toStdString()), 3);
        QCOMPARE(TestReadFromFile(dir_.path().toStdString()), 10000 + EISDIR);
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0777) == 0);
        const std::string locked = Write("locked.bin", {1, 2, 3});
        QVERIFY(::chmod(locked.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return TestReadFromFile(locked); }), 5);
    }

    void ansiSafeFileNameIsTheNameItself()
    {
        const std::string name = Write("Grüße ♫.mp3", {1});
        QCOMPARE(GetAnsiSafeFileName(name), name);
        QCOMPARE(GetAnsiSafeFileName(dir_.filePath("gone.mp3").toStdString()), std::string{});
    }
};

QTEST_APPLESS_MAIN(TestMediaFileTest)
#include "tst_part_2_2_mediafiletest.moc"
