// The MCI command service on the real engines (DESIGN.md section 3, MCI row): libmpv for
// every file but MIDI, the GStreamer sequencer for MIDI. Headless: vo=null, no parent
// window. Most tests run the engines untimed; the ones about timing and sound run in real
// time into PulseAudio (scripts/services.sh starts a null sink).
#include "platform/mci/MciService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <set>

using namespace vistrel;

namespace {

std::string Media(const char* name)
{
    return std::string(VISTREL_FIXTURES_DIR "/media/") + name;
}

std::string Demo(const char* name)
{
    return std::string(VISTREL_SOURCE_DIR "/demo/") + name;
}

MciError Code(const std::string& command)
{
    std::string reply;
    return mciSendString(command, reply);
}

// The reply of a command that must succeed ("" and a warning when it fails).
QString Reply(const std::string& command)
{
    std::string reply;
    const MciError error = mciSendString(command, reply);
    if (error != 0)
        qWarning("'%s' failed: %u %s", command.c_str(), error, mciGetErrorString(error).c_str());
    return QString::fromStdString(reply);
}

long long Number(const std::string& command)
{
    bool ok = false;
    const long long value = Reply(command).toLongLong(&ok);
    if (!ok)
        qWarning("'%s' did not answer a number", command.c_str());
    return value;
}

MciError OpenAs(const std::string& file, const std::string& alias, const std::string& clause = "")
{
    return Code("open \"" + file + "\" alias " + alias + " " + clause);
}

}  // namespace

class TestMciService : public QObject {
    Q_OBJECT

private slots:
    void init() { mciSetUntimedEnginesForTests(true); }
    void cleanup() { mciCloseAll(); }

    void errorTextsAreOursNonEmptyAndDistinct()
    {
        const MciError codes[] = {
            MCIERR_INVALID_DEVICE_ID,  MCIERR_UNRECOGNIZED_KEYWORD, MCIERR_UNRECOGNIZED_COMMAND,
            MCIERR_HARDWARE,           MCIERR_INVALID_DEVICE_NAME,  MCIERR_DEVICE_OPEN,
            MCIERR_CANNOT_LOAD_DRIVER, MCIERR_MISSING_COMMAND_STRING, MCIERR_BAD_INTEGER,
            MCIERR_MISSING_PARAMETER,  MCIERR_UNSUPPORTED_FUNCTION, MCIERR_FILE_NOT_FOUND,
            MCIERR_DEVICE_NOT_READY,   MCIERR_OUTOFRANGE,           MCIERR_DUPLICATE_ALIAS,
            MCIERR_NO_CLOSING_QUOTE,   MCIERR_INVALID_FILE,         MCIERR_EXTRA_CHARACTERS,
            MCIERR_NO_WINDOW,          MCIERR_MISSING_STRING_ARGUMENT, MCIERR_CANNOT_USE_ALL,
            MCIERR_BAD_CONSTANT,       MCIERR_MISSING_DEVICE_NAME,  MCIERR_BAD_TIME_FORMAT,
            MCIERR_DUPLICATE_FLAGS,    MCIERR_CREATEWINDOW,         MCIERR_FILE_READ,
        };
        std::set<std::string> texts;
        for (MciError code : codes) {
            const std::string text = mciGetErrorString(code);
            QVERIFY2(!text.empty(), qPrintable(QString::number(code)));
            texts.insert(text);
        }
        QCOMPARE(texts.size(), std::size(codes));
        QCOMPARE(mciGetErrorString(0), std::string());
        QCOMPARE(mciGetErrorString(999), std::string());
        QCOMPARE(mciGetErrorString(MCIERR_FILE_NOT_FOUND), std::string("The file was not found."));
    }

    void nothingOpenFailsEveryDeviceCommand()
    {
        std::string reply = "old";
        QCOMPARE(mciSendString("status voice1 mode", reply), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(reply, std::string());
        QCOMPARE(Code("status voice1 Position"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("status voice1 length"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("play voice1"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("close voice1"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("close all"), 0u);
        QCOMPARE(Code("jump voice1"), MCIERR_UNRECOGNIZED_COMMAND);
    }

    void openFailures()
    {
        QCOMPARE(OpenAs(Media("no_such_file.mp3"), "voice1"), MCIERR_FILE_NOT_FOUND);
        QCOMPARE(OpenAs(Media("no_such_file.mid"), "voice1"), MCIERR_FILE_NOT_FOUND);
        QCOMPARE(OpenAs(Media("decoy_pdf.pdf"), "voice1"), MCIERR_INVALID_FILE);
        QCOMPARE(OpenAs(Media("decoy_html_upper_as_song.mp3"), "voice1"), MCIERR_INVALID_FILE);
        QCOMPARE(OpenAs(Media("decoy_empty_song.mp3"), "voice1"), MCIERR_INVALID_FILE);
        QCOMPARE(OpenAs(Media("playlist_asx.wvx"), "voice1"), MCIERR_INVALID_FILE);
        QCOMPARE(OpenAs(VISTREL_FIXTURES_DIR "/media", "voice1"), MCIERR_INVALID_FILE);
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "voice1", "type Gramophone"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("open \"" + Media("mp3_cbr_128k.mp3") + " alias voice1"), MCIERR_NO_CLOSING_QUOTE);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);  // nothing stayed open
    }

    void nonMidiFileNamedMidFails()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath("not really.mid");
        QVERIFY(QFile::copy(QString::fromStdString(Media("decoy_pdf.pdf")), copy));
        QCOMPARE(OpenAs(copy.toStdString(), "voice1"), MCIERR_INVALID_FILE);
    }

    void openStatusClose()
    {
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QVERIFY(std::abs(Number("status voice1 length") - 549) <= 30);
        QCOMPARE(Reply("status voice1 Position"), QString("0"));
        QCOMPARE(Code("set voice1 time format milliseconds"), 0u);
        QCOMPARE(Code("close voice1"), 0u);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);
    }

    void duplicateAliasAndTwoDevices()
    {
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "voice1"), 0u);
        QCOMPARE(OpenAs(Media("ogg_vorbis.ogg"), "VOICE1"), MCIERR_DUPLICATE_ALIAS);
        QCOMPARE(OpenAs(Media("ogg_vorbis.ogg"), "voice2"), 0u);
        QVERIFY(std::abs(Number("status Voice2 length") - 500) <= 20);  // Ogg: estimated at first
        QCOMPARE(Code("close all"), 0u);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("status voice2 mode"), MCIERR_INVALID_DEVICE_NAME);
    }

    void partThreeOneOpenForms()
    {
        const std::string avi = Media("avi_mjpeg_pcm.avi");
        QCOMPARE(Code("open \"" + avi + "\" alias voice1  style child parent 1234 type MPEGVideo2"), 0u);
        QCOMPARE(Code("close voice1"), 0u);
        QCOMPARE(Code("open \"" + avi + "\" alias voice1  parent 1234  style child"), 0u);
        QCOMPARE(Code("close voice1"), 0u);
        QCOMPARE(Code("open \"" + avi + "\" alias voice1  style child parent 1234 "), 0u);
        QCOMPARE(Code("close voice1"), 0u);
        QCOMPARE(Code("open \"" + avi + "\" alias voice1 "), 0u);
        // Off xcb there is no window, whatever the open said.
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
    }

    void windowHandleOfAudioAndVideoWithoutParent()
    {
        QCOMPARE(OpenAs(Media("mp4_h264_aac.mp4"), "v"), 0u);
        QCOMPARE(Code("status v window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "a", "style child parent 1234"), 0u);
        QCOMPARE(Code("status a window handle"), MCIERR_NO_WINDOW);
        mciSetVideoWindowRect(1234, 0, 0, 10, 10);  // not ours: nothing happens
    }

    void playToTheEnd()
    {
        QCOMPARE(OpenAs(Media("ogg_vorbis.ogg"), "voice1"), 0u);
        QCOMPARE(Code("play voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 5000);
        const long long length = Number("status voice1 length");
        QVERIFY(std::abs(length - 500) <= 20);  // mpv learns the exact duration at the end
        QCOMPARE(Number("status voice1 Position"), length);
        // Playing at the end does not rewind (Part 3.1 C does that itself).
        QCOMPARE(Code("play voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("seek voice1 to 0"), 0u);
        QCOMPARE(Number("status voice1 position"), 0);
        QCOMPARE(Code("resume voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Number("status voice1 position"), length, 5000);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
    }

    void seekKeepsTheDeviceStopped()
    {
        QCOMPARE(OpenAs(Demo("a_major_chord.mp3"), "voice1"), 0u);
        const long long length = Number("status voice1 length");
        QVERIFY(length > 3900 && length < 4200);
        QCOMPARE(Code("seek voice1 to 2000"), 0u);
        QCOMPARE(Number("status voice1 position"), 2000);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Code("seek voice1 to end"), 0u);
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("seek voice1 to start"), 0u);
        QCOMPARE(Number("status voice1 position"), 0);
        QCOMPARE(Code("seek voice1 to " + std::to_string(length + 1)), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("play voice1 from " + std::to_string(length + 1)), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("play voice1 from 2000 to 1000"), MCIERR_OUTOFRANGE);
    }

    void playFromToStopsAtTheTarget()
    {
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(OpenAs(Demo("a_major_chord.mp3"), "voice1"), 0u);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Code("play voice1 from 1000 to 1400"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 3000);
        QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Number("status voice1 position"), 1400);
    }

    void playFromToWhileTheCallerSleeps_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("target");
        QTest::newRow("video") << QString::fromStdString(Demo("vistrel_testcard.mp4")) << 3000;
        // 0.55 s of sound, buffered ahead at once: the clock may jump past the target.
        QTest::newRow("short mp3") << QString::fromStdString(Media("mp3_cbr_128k.mp3")) << 300;
    }

    void playFromToWhileTheCallerSleeps()
    {
        // Part 3.1 D.1 waits in steps of 10 ms without running the event loop.
        QFETCH(QString, file);
        QFETCH(int, target);
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(OpenAs(file.toStdString(), "voice1"), 0u);
        QCOMPARE(Code("setaudio voice1 off"), 0u);
        QCOMPARE(Code("play voice1 from " + std::to_string(target - 100) + " to " + std::to_string(target)), 0u);
        QThread::msleep(110);
        int steps = 0;
        while (Reply("status voice1 mode") == "playing" && steps++ < 200)
            QThread::msleep(10);
        QCOMPARE(Code("setaudio voice1 on"), 0u);
        QVERIFY2(steps < 200, qPrintable(QString::number(steps)));
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Number("status voice1 position"), target);
    }

    void pauseResumeStopInRealTime()
    {
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(OpenAs(Demo("a_major_chord.mp3"), "voice1"), 0u);
        QCOMPARE(Code("pause voice1"), 0u);  // not playing: nothing changes
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Code("play voice1"), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= 200, 3000);
        QCOMPARE(Code("pause voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("paused"));
        const long long paused = Number("status voice1 position");
        QTest::qWait(200);
        QCOMPARE(Number("status voice1 position"), paused);
        QCOMPARE(Code("resume voice1 "), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= paused + 100, 3000);
        QCOMPARE(Code("stop voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        const long long stopped = Number("status voice1 position");
        QVERIFY(stopped >= paused + 100);  // stop keeps the position
        QTest::qWait(100);
        QCOMPARE(Number("status voice1 position"), stopped);
        QCOMPARE(Code("resume voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
    }

    void realTimeSoundPlaysItsLength()
    {
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "voice1"), 0u);
        QCOMPARE(Code("setaudio voice1 volume to 800"), 0u);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Code("play voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 5000);
        QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Number("status voice1 position"), Number("status voice1 length"));
    }

    void speed()
    {
        QCOMPARE(OpenAs(Media("mp3_cbr_128k.mp3"), "voice1"), 0u);
        QCOMPARE(Reply("status voice1 speed"), QString("1000"));
        QCOMPARE(Code("set voice1 speed 2000"), 0u);
        QCOMPARE(Reply("status voice1 speed"), QString("2000"));
        QCOMPARE(Code("set voice1 speed 100"), 0u);
        QCOMPARE(Code("set voice1 speed 0"), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("set voice1 speed 100001"), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("set voice1 speed fast"), MCIERR_BAD_INTEGER);
        QCOMPARE(Reply("status voice1 speed"), QString("100"));
        QCOMPARE(Code("set voice1 time format ms"), 0u);
        QCOMPARE(Code("set voice1 time format frames"), MCIERR_BAD_TIME_FORMAT);
        QCOMPARE(Reply("status voice1 time format"), QString("milliseconds"));
    }

    void setAudio()
    {
        QCOMPARE(OpenAs(Media("avi_mpeg4_two_audio.avi"), "voice1"), 0u);
        QCOMPARE(Code("setaudio voice1 volume to 500"), 0u);
        QCOMPARE(Reply("status voice1 volume"), QString("500"));
        QCOMPARE(Code("setaudio voice1 volume to 1001"), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("setaudio voice1 off"), 0u);
        QCOMPARE(Code("setaudio voice1 on"), 0u);
        QCOMPARE(Reply("status voice1 number of audio tracks"), QString("2"));
        QCOMPARE(Reply("status voice1 audio stream"), QString("1"));
        QCOMPARE(Code("setaudio voice1 stream to 2"), 0u);
        QCOMPARE(Reply("status voice1 audio stream"), QString("2"));
        QCOMPARE(Code("setaudio voice1 stream to 3"), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("setaudio voice1 stream to 0"), MCIERR_OUTOFRANGE);
        QCOMPARE(Code("play voice1"), 0u);  // plays on with the second stream
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 5000);
    }

    void statusItemsOfAVideo()
    {
        QCOMPARE(OpenAs(Demo("vistrel_testcard.mp4"), "voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Reply("status voice1 length"), QString("5000"));
        QCOMPARE(Reply("status voice1 position"), QString("0"));
        QCOMPARE(Reply("status voice1 nominal frame rate"), QString("25000"));
        QCOMPARE(Reply("status voice1 frame rate"), QString("25000"));
        QCOMPARE(Reply("status voice1 number of audio tracks"), QString("1"));
        QCOMPARE(Reply("status voice1 audio stream"), QString("1"));
        QCOMPARE(Reply("status voice1 speed"), QString("1000"));
        QCOMPARE(Reply("status voice1 frames skipped"), QString("0"));
        QCOMPARE(Reply("status voice1 volume"), QString("1000"));
        QCOMPARE(Reply("status voice1 ready"), QString("true"));
        QCOMPARE(Reply("status voice1 time format"), QString("milliseconds"));
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Code("status voice1 speed 50"), MCIERR_EXTRA_CHARACTERS);
        QCOMPARE(Code("status voice1 colour"), MCIERR_UNRECOGNIZED_KEYWORD);
        QCOMPARE(Code("play voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 10000);
        QCOMPARE(Reply("status voice1 position"), QString("5000"));
    }

    void statusItemsOfAnAudioFile()
    {
        QCOMPARE(OpenAs(Media("wav_pcm16_stereo.wav"), "voice1"), 0u);
        QCOMPARE(Reply("status voice1 length"), QString("100"));
        QCOMPARE(Reply("status voice1 nominal frame rate"), QString("0"));
        QCOMPARE(Reply("status voice1 frame rate"), QString("0"));
        QCOMPARE(Reply("status voice1 number of audio tracks"), QString("1"));
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
    }

    void midiThroughTheSequencer()
    {
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(OpenAs(Media("midi_format0.mid"), "voice1", " style child parent 1234 "), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        const long long length = Number("status voice1 length");
        QVERIFY2(length >= 2000, qPrintable(QString::number(length)));
        QCOMPARE(Reply("status voice1 position"), QString("0"));
        QCOMPARE(Code("status voice1 window handle"), MCIERR_NO_WINDOW);
        QCOMPARE(Reply("status voice1 number of audio tracks"), QString("1"));
        QCOMPARE(Reply("status voice1 nominal frame rate"), QString("0"));
        QCOMPARE(Code("setaudio voice1 volume to 700"), 0u);
        QCOMPARE(Code("set voice1 speed 2000"), MCIERR_UNSUPPORTED_FUNCTION);
        QCOMPARE(Code("play voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= 300, 3000);
        QCOMPARE(Code("pause voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("paused"));
        QCOMPARE(Code("seek voice1 to 1000"), 0u);
        QCOMPARE(Number("status voice1 position"), 1000);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Code("play voice1 from 500 to 800"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 3000);
        QCOMPARE(Number("status voice1 position"), 800);
        QCOMPARE(Code("close voice1"), 0u);
    }

    void midiPlaysToItsEnd()
    {
        QCOMPARE(OpenAs(Media("rmid_format0.rmi"), "voice1"), 0u);
        QCOMPARE(OpenAs(Media("midi_format1_12_tracks.mid"), "voice2", "type sequencer"), 0u);
        const long long length = Number("status voice1 length");
        QCOMPARE(Code("play voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 10000);
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("play voice1"), 0u);
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("seek voice1 to 0"), 0u);
        QCOMPARE(Number("status voice1 position"), 0);
        QVERIFY(Number("status voice2 length") >= 3500);
    }

    void midiFormatTwoIsNotPlayable()
    {
        // Like Windows' MCI sequencer, which plays formats 0 and 1 only.
        QCOMPARE(OpenAs(Media("midi_format2_2_tracks.mid"), "voice1"), MCIERR_INVALID_FILE);
    }

    void namesWithBlanksAndNonAsciiCharacters()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString song = dir.filePath(QStringLiteral("Grüße – ein Lied  mit Leerzeichen.mp3"));
        const QString midi = dir.filePath(QStringLiteral("Ünïcödé song.mid"));
        QVERIFY(QFile::copy(QString::fromStdString(Media("mp3_cbr_128k.mp3")), song));
        QVERIFY(QFile::copy(QString::fromStdString(Media("midi_format0.mid")), midi));
        QCOMPARE(OpenAs(song.toStdString(), "voice1", " style child parent 1234 "), 0u);
        QVERIFY(Number("status voice1 length") > 500);
        QCOMPARE(OpenAs(midi.toStdString(), "voice2"), 0u);
        QVERIFY(Number("status voice2 length") > 1000);
    }

    void relativeNameWithoutAlias()
    {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VISTREL_FIXTURES_DIR "/media"));
        const MciError error = Code("open wav_pcm16_stereo.wav");
        QDir::setCurrent(before);
        QCOMPARE(error, 0u);
        QCOMPARE(Reply("status WAV_PCM16_STEREO.WAV length"), QString("100"));
        QCOMPARE(Code("close wav_pcm16_stereo.wav"), 0u);
    }
};

QTEST_MAIN(TestMciService)
#include "tst_mci_service.moc"
