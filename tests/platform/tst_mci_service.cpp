// The MCI command service on the real engines: libmpv for every file but MIDI, the
// GStreamer sequencer for MIDI. Headless: no video output, no window. Most tests run the
// engines untimed; the ones about timing and sound run in real time into PulseAudio
// (scripts/services.sh starts a null sink).
#include "platform/mci/MciService.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QThread>
#include <QtTest>

using namespace vistrel;
using test::Demo;
using test::Fixture;

namespace {

MciError Code(const std::string& command)
{
    std::string reply;
    return mciSendString(command, reply);
}

// The reply of a query that must succeed: a failed query fails the test.
QString Reply(const std::string& command)
{
    std::string reply;
    if (const MciError error = mciSendString(command, reply))
        QTest::qFail(qPrintable(QString("'%1' failed: %2").arg(command.c_str()).arg(error)), __FILE__, __LINE__);
    return QString::fromStdString(reply);
}

// A reply that must be a number; anything else fails the test and gives -1.
long long Number(const std::string& command)
{
    bool ok = false;
    const long long value = Reply(command).toLongLong(&ok);
    if (!ok)
        QTest::qFail(qPrintable(QString("'%1' answered no number").arg(command.c_str())), __FILE__, __LINE__);
    return ok ? value : -1;
}

MciError Open(const std::string& file, const std::string& alias = "voice1", const std::string& clause = "")
{
    return Code("open \"" + file + "\" alias " + alias + " " + clause);
}

QString Error(MciError code)
{
    return QString("error %1").arg(code);
}

}  // namespace

class TestMciService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        test::WriteFile(Own("empty.mp3"), std::string());
        test::WriteFile(Own("song list.m3u"), Fixture("mp3_cbr_128k.mp3") + "\n");  // a song mpv could play
        test::WriteFile(Own("list.wvx"), "<ASX version=\"3.0\"><Entry><Ref href=\"" +
                                             Fixture("mp3_cbr_128k.mp3") + "\" /></Entry></ASX>\n");
        test::WriteFile(Own("text.mid"), std::string("no song here\n"));
        test::WriteFile(Own("cut.mid"), std::string("MThd\0\0\0\6\0\1", 10));
    }
    void init() { mciSetUntimedEnginesForTests(true); }
    void cleanup() { mciCloseAll(); }

    void openFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<MciError>("code");
        const auto row = [](const char* name, const std::string& file, MciError code) {
            QTest::newRow(name) << QString::fromStdString(file) << code;
        };
        row("missing", Fixture("no_such_file.mp3"), MCIERR_FILE_NOT_FOUND);
        row("missing MIDI", Fixture("no_such_file.mid"), MCIERR_FILE_NOT_FOUND);
        row("folder", VISTREL_FIXTURES_DIR "/media", MCIERR_INVALID_FILE);
        row("PDF", Fixture("decoy_pdf.pdf"), MCIERR_INVALID_FILE);
        row("HTML named .mp3", Fixture("decoy_html_upper_as_song.mp3"), MCIERR_INVALID_FILE);
        row("empty", Own("empty.mp3"), MCIERR_INVALID_FILE);
        row("M3U playlist", Own("song list.m3u"), MCIERR_INVALID_FILE);
        row("ASX playlist", Own("list.wvx"), MCIERR_INVALID_FILE);
        row("text named .mid", Own("text.mid"), MCIERR_INVALID_FILE);
        row("cut MIDI header", Own("cut.mid"), MCIERR_INVALID_FILE);
        // The sequencer plays one song per file (formats 0 and 1), not format 2's list of songs.
        row("MIDI format 2", Fixture("midi_format2_2_tracks.mid"), MCIERR_INVALID_FILE);
    }

    void openFailures()
    {
        QFETCH(QString, file);
        QFETCH(MciError, code);
        QCOMPARE(Open(file.toStdString()), code);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);  // nothing stayed open
    }

    // Each step is "command = reply", the reply of a failed command "error <code>": every
    // query on each engine, settings with their limits, seeks, and commands to nothing open.
    void commands_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("steps");
        // Off X11 there is no video window, whatever the open said.
        const QStringList common = {"status voice1 mode = stopped", "status voice1 position = 0",
                                    "status voice1 speed = 1000", "status voice1 volume = 1000",
                                    "status voice1 ready = true", "status voice1 time format = milliseconds",
                                    "status voice1 window handle = " + Error(MCIERR_NO_WINDOW)};
        const auto row = [](const char* name, const std::string& file, const QStringList& steps) {
            QTest::newRow(name) << QString::fromStdString(file) << steps;
        };
        row("video", Demo("vistrel_testcard.mp4"),
            common + QStringList{"status voice1 length = 5000", "status voice1 nominal frame rate = 25000",
                                 "status voice1 frame rate = 25000", "status voice1 number of audio tracks = 1",
                                 "status voice1 audio stream = 1", "status voice1 frames skipped = 0"});
        row("wave", Fixture("wav_pcm16_stereo.wav"),
            common + QStringList{"status voice1 length = 100", "status voice1 nominal frame rate = 0",
                                 "status voice1 frame rate = 0", "status voice1 number of audio tracks = 1",
                                 "seek voice1 to 40 = ", "status voice1 position = 40", "status voice1 mode = stopped",
                                 "seek voice1 to end = ", "status voice1 position = 100", "seek voice1 to start = ",
                                 "status voice1 position = 0", "seek voice1 to 101 = " + Error(MCIERR_OUTOFRANGE),
                                 "play voice1 from 101 = " + Error(MCIERR_OUTOFRANGE),
                                 "play voice1 from 60 to 40 = " + Error(MCIERR_OUTOFRANGE)});
        row("MIDI", Fixture("midi_format0.mid"),
            common + QStringList{"status voice1 nominal frame rate = 0", "status voice1 number of audio tracks = 1",
                                 "set voice1 speed 2000 = " + Error(MCIERR_UNSUPPORTED_FUNCTION),
                                 "status voice1 speed = 1000", "setaudio voice1 volume to 700 = ",
                                 "status voice1 volume = 700"});
        row("mp3 settings", Fixture("mp3_cbr_128k.mp3"),
            {"set voice1 speed 10 = ", "status voice1 speed = 10", "set voice1 speed 100000 = ",
             "set voice1 speed 9 = " + Error(MCIERR_OUTOFRANGE), "set voice1 speed 100001 = " + Error(MCIERR_OUTOFRANGE),
             "status voice1 speed = 100000", "set voice1 time format ms = ", "setaudio voice1 volume to 0 = ",
             "setaudio voice1 volume to 1001 = " + Error(MCIERR_OUTOFRANGE), "status voice1 volume = 0"});
        row("two sound tracks", Fixture("avi_mpeg4_two_audio.avi"),
            {"status voice1 number of audio tracks = 2", "status voice1 audio stream = 1",
             "setaudio voice1 stream to 3 = " + Error(MCIERR_OUTOFRANGE),
             "setaudio voice1 stream to 0 = " + Error(MCIERR_OUTOFRANGE), "setaudio voice1 stream to 2 = ",
             "status voice1 audio stream = 2", "close voice1 = ", "close voice1 = " + Error(MCIERR_INVALID_DEVICE_NAME)});
        row("nothing open", "",
            {"status voice1 mode = " + Error(MCIERR_INVALID_DEVICE_NAME), "play voice1 = " + Error(MCIERR_INVALID_DEVICE_NAME),
             "close all = "});
    }

    void commands()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, steps);
        if (!file.isEmpty())
            QCOMPARE(Open(file.toStdString(), "voice1", " style child parent 1234 "), 0u);
        QStringList got;
        for (const QString& step : steps) {
            const QString command = step.section(" = ", 0, 0);
            std::string reply = "left over";  // a failed command must empty it
            const MciError code = mciSendString(command.toStdString(), reply);
            got << command + " = " + (code ? Error(code) : QString()) + QString::fromStdString(reply);
        }
        QCOMPARE(got, steps);
    }

    void devicesByAlias()
    {
        QCOMPARE(mciGetErrorString(MCIERR_FILE_NOT_FOUND), std::string("The file was not found."));
        QCOMPARE(Open(Fixture("mp3_cbr_128k.mp3"), "voice1", "type Gramophone"), MCIERR_INVALID_DEVICE_NAME);
        // Names with blanks and beyond ASCII, for mpv and for the sequencer.
        const std::string song = Own("Grüße – ein Lied  mit Leerzeichen.mp3"), midi = Own("Ünïcödé song.mid");
        QVERIFY(QFile::copy(QString::fromStdString(Fixture("mp3_cbr_128k.mp3")), QString::fromStdString(song)));
        QVERIFY(QFile::copy(QString::fromStdString(Fixture("midi_format1_12_tracks.mid")), QString::fromStdString(midi)));
        QCOMPARE(Open(song), 0u);
        QVERIFY(std::abs(Number("status voice1 length") - 549) <= 30);
        QCOMPARE(Open(Fixture("ogg_vorbis.ogg"), "VOICE1"), MCIERR_DUPLICATE_ALIAS);
        QCOMPARE(Open(midi, "voice2", "type sequencer"), 0u);
        QVERIFY(Number("status Voice2 length") >= 3500);
        QCOMPARE(Code("close voice1"), 0u);
        QCOMPARE(Code("status voice1 mode"), MCIERR_INVALID_DEVICE_NAME);
        QCOMPARE(Code("close all"), 0u);
        QCOMPARE(Code("status voice2 mode"), MCIERR_INVALID_DEVICE_NAME);
        // Without an alias the name as written is the device's, relative to the folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VISTREL_FIXTURES_DIR "/media"));
        const MciError error = Code("open wav_pcm16_stereo.wav");
        QDir::setCurrent(before);
        QCOMPARE(error, 0u);
        QCOMPARE(Reply("status WAV_PCM16_STEREO.WAV length"), QString("100"));
    }

    void playToTheEndAndAgain_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("realTime");
        QTest::newRow("mpv") << QString::fromStdString(Fixture("ogg_vorbis.ogg")) << false;
        QTest::newRow("sequencer") << QString::fromStdString(Fixture("rmid_format0.rmi")) << false;
        // mpv reports its end while the sound output still holds the last part: the device
        // stops only once that has been heard.
        QTest::newRow("mpv into the sound server") << QString::fromStdString(Fixture("mp3_cbr_128k.mp3")) << true;
    }

    void playToTheEndAndAgain()
    {
        QFETCH(QString, file);
        QFETCH(bool, realTime);
        mciSetUntimedEnginesForTests(!realTime);
        QCOMPARE(Open(file.toStdString()), 0u);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Code("play voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 10000);
        const long long length = Number("status voice1 length");
        QVERIFY(length > 400);
        QVERIFY2(!realTime || clock.elapsed() >= length * 3 / 4, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("play voice1"), 0u);  // at the end: no rewind, nothing plays
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Number("status voice1 position"), length);
        QCOMPARE(Code("seek voice1 to 0"), 0u);
        QCOMPARE(Number("status voice1 position"), 0);
        QCOMPARE(Code("resume voice1"), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(Number("status voice1 position"), length, 10000);
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
    }

    void playFromToStopsAtTheTarget_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("callerSleeps");  // the voice's wait: 10 ms steps, no event loop
        QTest::newRow("video, caller sleeps") << QString::fromStdString(Demo("vistrel_testcard.mp4")) << 2900 << 3000 << true;
        // 0.55 s of sound, buffered ahead at once: the clock may jump past the target.
        QTest::newRow("short mp3, caller sleeps") << QString::fromStdString(Fixture("mp3_cbr_128k.mp3")) << 200 << 300 << true;
        QTest::newRow("mp3, event loop") << QString::fromStdString(Demo("a_major_chord.mp3")) << 1000 << 1400 << false;
        QTest::newRow("MIDI, event loop") << QString::fromStdString(Fixture("midi_format0.mid")) << 500 << 800 << false;
    }

    void playFromToStopsAtTheTarget()
    {
        QFETCH(QString, file);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, callerSleeps);
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(Open(file.toStdString()), 0u);
        QCOMPARE(Code("setaudio voice1 off"), 0u);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Code("play voice1 from " + std::to_string(from) + " to " + std::to_string(to)), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
        if (callerSleeps) {
            int steps = 0;
            while (Reply("status voice1 mode") == "playing" && steps++ < 200)
                QThread::msleep(10);
        }
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 3000);
        QVERIFY2(callerSleeps || clock.elapsed() >= (to - from) * 3 / 4, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Number("status voice1 position"), to);
    }

    void pauseResumeStopInRealTime_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("mpv") << QString::fromStdString(Demo("a_major_chord.mp3"));
        QTest::newRow("sequencer") << QString::fromStdString(Fixture("midi_format0.mid"));
    }

    void pauseResumeStopInRealTime()
    {
        QFETCH(QString, file);
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(Open(file.toStdString()), 0u);
        QCOMPARE(Code("pause voice1"), 0u);  // not playing: nothing changes
        QCOMPARE(Reply("status voice1 mode"), QString("stopped"));
        QCOMPARE(Code("play voice1"), 0u);
        QCOMPARE(Reply("status voice1 mode"), QString("playing"));
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

private:
    std::string Own(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    QTemporaryDir dir_;
};

QTEST_MAIN(TestMciService)
#include "tst_mci_service.moc"
