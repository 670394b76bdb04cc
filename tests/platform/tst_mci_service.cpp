// The MCI command service on the real engines: libmpv for every file but MIDI, the GStreamer
// sequencer for MIDI. Headless: no video output, no window. Most tests run the engines untimed;
// the ones about timing run in real time into PulseAudio (scripts/services.sh starts a null sink).
#include "platform/mci/MciService.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace vistrel;
using test::Demo;
using test::Fixture;

namespace {

QString Error(MciError code) { return QString("error %1").arg(code); }

// The replies of `commands`, sent in turn and joined by "|". A failed command's reply is
// "error N" and whatever it left in the reply (it must empty it).
QString Replies(std::initializer_list<std::string> commands)
{
    QStringList replies;
    for (const std::string& command : commands) {
        std::string reply = "left over";
        const MciError code = mciSendString(command, reply);
        replies << (code ? Error(code) : QString()) + QString::fromStdString(reply);
    }
    return replies.join('|');
}

QString Reply(const std::string& command) { return Replies({command}); }

long long Number(const std::string& command) { return Reply(command).toLongLong(); }

}  // namespace

class TestMciService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        test::WriteFile(Own("song list.m3u"), Fixture("mp3_cbr_128k.mp3") + "\n");  // a song mpv could play
        test::WriteFile(Own("cut.mid"), std::string("MThd\0\0\0\6\0\1", 10));
        // Names with blanks and beyond ASCII, for mpv and for the sequencer.
        for (const auto& [fixture, name] : {std::pair(Fixture("mp3_cbr_128k.mp3"), kSong),
                                            std::pair(Fixture("midi_format1_12_tracks.mid"), kMidi)})
            QVERIFY(QFile::copy(QString::fromStdString(fixture), QString::fromStdString(Own(name))));
        QVERIFY(QDir::setCurrent(VISTREL_FIXTURES_DIR "/media"));  // for the open of a name without a folder
    }
    void init() { mciSetUntimedEnginesForTests(true); }
    void cleanup() { mciCloseAll(); }

    // Each step is "command = reply", the reply of a failed command "error <code>"; "until"
    // waits for the reply (10 s at most). Every query on each engine, settings with their
    // limits, seeks, play to the end and again, devices by alias, and files that cannot open.
    void commands_data()
    {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<QStringList>("steps");
        // Off X11 there is no video window, whatever the open said.
        const QStringList common = {"status voice1 mode = stopped", "status voice1 position = 0",
                                    "status voice1 speed = 1000", "status voice1 volume = 1000",
                                    "status voice1 ready = true", "status voice1 time format = milliseconds",
                                    "status voice1 window handle = " + Error(MCIERR_NO_WINDOW)};
        const auto row = [](const char* name, const std::string& file, const QStringList& steps) {
            QTest::newRow(name) << file << steps;
        };
        const QString invalid = Error(MCIERR_INVALID_FILE), noDevice = Error(MCIERR_INVALID_DEVICE_NAME);
        const QString outOfRange = Error(MCIERR_OUTOFRANGE);
        row("video", Demo("vistrel_testcard.mp4"),
            common + QStringList{"status voice1 length = 5000", "status voice1 nominal frame rate = 25000",
                                 "status voice1 frame rate = 25000", "status voice1 number of audio tracks = 1",
                                 "status voice1 audio stream = 1", "status voice1 frames skipped = 0",
                                 "where voice1 source = 0 0 320 240", "where voice1 destination = 0 0 320 240"});
        // Pixels 10/11 as wide as high: the display size stretches the frame's height.
        row("narrow pixels", Fixture("wmv_wmv2_sar_10_11.wmv"),
            {"where voice1 source = 0 0 64 48", "where voice1 destination = 0 0 64 52"});
        row("wave", Fixture("wav_pcm16_stereo.wav"),
            common + QStringList{"status voice1 length = 100", "where voice1 source = " + Error(MCIERR_NO_WINDOW),
                                 "status voice1 nominal frame rate = 0",
                                 "status voice1 frame rate = 0", "status voice1 number of audio tracks = 1",
                                 "seek voice1 to 40 = ", "status voice1 position = 40", "status voice1 mode = stopped",
                                 "seek voice1 to end = ", "status voice1 position = 100", "seek voice1 to start = ",
                                 "status voice1 position = 0", "seek voice1 to 101 = " + outOfRange,
                                 "play voice1 from 101 = " + outOfRange, "play voice1 from 60 to 40 = " + outOfRange});
        row("MIDI", Fixture("midi_format0.mid"),
            common + QStringList{"where voice1 destination = " + Error(MCIERR_NO_WINDOW),
                                 "status voice1 nominal frame rate = 0", "status voice1 number of audio tracks = 1",
                                 "set voice1 speed 2000 = ", "status voice1 speed = 2000",
                                 "setaudio voice1 volume to 700 = ",
                                 "status voice1 volume = 700"});
        row("mp3 settings", Fixture("mp3_cbr_128k.mp3"),
            {"set voice1 speed 10 = ", "status voice1 speed = 10", "set voice1 speed 100000 = ",
             "set voice1 speed 9 = " + outOfRange, "set voice1 speed 100001 = " + outOfRange,
             "status voice1 speed = 100000", "set voice1 time format ms = ", "setaudio voice1 volume to 0 = ",
             "setaudio voice1 volume to 1001 = " + outOfRange, "status voice1 volume = 0"});
        row("two sound tracks", Fixture("avi_mpeg4_two_audio.avi"),
            {"status voice1 number of audio tracks = 2", "status voice1 audio stream = 1",
             "setaudio voice1 stream to 3 = " + outOfRange, "setaudio voice1 stream to 0 = " + outOfRange,
             "setaudio voice1 stream to 2 = ", "status voice1 audio stream = 2"});
        // Played to its end a title stays there; play does not rewind it, a seek to 0 and resume do.
        const auto toTheEnd = [](const QString& length) {
            const QString at = "status voice1 position = " + length;
            return QStringList{"play voice1 = ", "until status voice1 mode = stopped", at, "play voice1 = ",
                               "status voice1 mode = stopped", at, "seek voice1 to 0 = ", "status voice1 position = 0",
                               "resume voice1 = ", "until " + at, "status voice1 mode = stopped"};
        };
        row("mpv: to the end and again", Fixture("ogg_vorbis.ogg"), toTheEnd("511"));
        row("sequencer: to the end and again", Fixture("rmid_format0.rmi"), toTheEnd("3969"));
        const auto open = [](const std::string& file, const std::string& rest = "voice1 = ") {
            return QString::fromStdString("open \"" + file + "\" alias " + rest);
        };
        // Without an alias the name as written is the device's, relative to the current folder.
        row("devices by alias", "",
            {open(Fixture("mp3_cbr_128k.mp3"), "voice1 type Gramophone = ") + noDevice, open(Own(kSong)),
             "status voice1 length = 549", open(Fixture("ogg_vorbis.ogg"), "VOICE1 = ") + Error(MCIERR_DUPLICATE_ALIAS),
             open(Own(kMidi), "voice2 type sequencer = "), "status Voice2 length = 3958", "close voice1 = ",
             "status voice1 mode = " + noDevice, "close all = ", "status voice2 mode = " + noDevice,
             "open wav_pcm16_stereo.wav = ", "status WAV_PCM16_STEREO.WAV length = 100"});
        // Each refused open leaves nothing open: the next would find its alias taken.
        row("files that cannot open", "",
            {open(Fixture("no_such_file.mp3")) + Error(MCIERR_FILE_NOT_FOUND), open(Own("song list.m3u")) + invalid,
             open(Fixture("decoy_html_upper_as_song.mp3")) + invalid, open(Fixture("decoy_empty_song.mp3")) + invalid,
             open(VISTREL_FIXTURES_DIR "/media") + invalid, open(Own("cut.mid")) + invalid,
             // The sequencer plays one song per file (formats 0 and 1), not format 2's list of songs.
             open(Fixture("midi_format2_2_tracks.mid")) + invalid, "status voice1 mode = " + noDevice,
             "play voice1 = " + noDevice, "close all = "});
    }

    void commands()
    {
        QFETCH(std::string, file);
        QFETCH(QStringList, steps);
        if (!file.empty())
            QCOMPARE(Reply("open \"" + file + "\" alias voice1 style child parent 1234"), QString());
        QStringList got;
        for (const QString& step : steps) {
            const bool until = step.startsWith("until ");
            const std::string command = step.section(" = ", 0, 0).mid(until ? 6 : 0).toStdString();
            if (until)
                QTRY_COMPARE_WITH_TIMEOUT(Reply(command), step.section(" = ", 1), 10000);
            got << step.section(" = ", 0, 0) + " = " + Reply(command);
        }
        QCOMPARE(got, steps);
    }

    void playFromToStopsAtTheTarget_data()
    {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("callerSleeps");  // the voice's wait: 10 ms steps, no event loop
        QTest::newRow("video, caller sleeps") << Demo("vistrel_testcard.mp4") << 2900 << 3000 << true;
        QTest::newRow("mp3, event loop") << Demo("a_major_chord.mp3") << 1000 << 1400 << false;
        QTest::newRow("MIDI, event loop") << Fixture("midi_format0.mid") << 500 << 800 << false;
    }

    void playFromToStopsAtTheTarget()
    {
        QFETCH(std::string, file);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, callerSleeps);
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(Replies({"open \"" + file + "\" alias voice1", "setaudio voice1 off"}), "|");
        QElapsedTimer clock;
        clock.start();
        const std::string play = "play voice1 from " + std::to_string(from) + " to " + std::to_string(to);
        QCOMPARE(Replies({play, "status voice1 mode"}), "|playing");
        for (int steps = 0; callerSleeps && Reply("status voice1 mode") == "playing" && steps < 200; ++steps)
            QThread::msleep(10);
        QTRY_COMPARE_WITH_TIMEOUT(Reply("status voice1 mode"), QString("stopped"), 3000);
        QVERIFY2(callerSleeps || clock.elapsed() >= (to - from) * 3 / 4, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Number("status voice1 position"), to);
    }

    // Pause only pauses what plays; stop keeps the position, and resume plays on from there.
    void pauseResumeStopInRealTime_data()
    {
        QTest::addColumn<std::string>("file");
        QTest::newRow("mpv") << Demo("a_major_chord.mp3");
        QTest::newRow("sequencer") << Fixture("midi_format0.mid");
    }

    void pauseResumeStopInRealTime()
    {
        QFETCH(std::string, file);
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(Reply("open \"" + file + "\" alias voice1"), QString());
        QCOMPARE(Replies({"pause voice1", "status voice1 mode"}), "|stopped");  // not playing: nothing changes
        QCOMPARE(Replies({"play voice1", "status voice1 mode"}), "|playing");
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= 200, 3000);
        QCOMPARE(Replies({"pause voice1", "status voice1 mode"}), "|paused");
        const long long paused = Number("status voice1 position");
        QTest::qWait(200);
        QCOMPARE(Number("status voice1 position"), paused);
        QCOMPARE(Replies({"resume voice1 ", "status voice1 mode"}), "|playing");
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= paused + 100, 3000);
        QCOMPARE(Replies({"stop voice1", "status voice1 mode"}), "|stopped");
        const long long stopped = Number("status voice1 position");
        QVERIFY(stopped >= paused + 100);
        QTest::qWait(100);
        QCOMPARE(Number("status voice1 position"), stopped);
        QCOMPARE(Replies({"resume voice1", "status voice1 mode"}), "|playing");
    }

    // Each change of speed moves a song's position at the new pace from then on, measured
    // against the clock of the same run; several changes in a row, as the speed rail sends them.
    void sequencerSpeedChangesThePace()
    {
        mciSetUntimedEnginesForTests(false);
        QCOMPARE(Replies({"open \"" + Demo("twinkle.mid") + "\" alias voice1", "play voice1"}), "|");
        QTRY_VERIFY_WITH_TIMEOUT(Number("status voice1 position") >= 200, 3000);
        const auto pace = [] {
            QElapsedTimer clock;
            clock.start();
            const long long from = Number("status voice1 position");
            QTest::qWait(600);
            return double(Number("status voice1 position") - from) / double(clock.elapsed());
        };
        const double normal = pace();
        for (const int speed : {2000, 500, 2000, 1000}) {
            QCOMPARE(Reply("set voice1 speed " + std::to_string(speed)), QString());
            const double ratio = pace() / normal, expected = speed / 1000.0;
            QVERIFY2(ratio > expected * 0.7 && ratio < expected * 1.3,
                     qPrintable(QString("%1 at speed %2, normal pace %3").arg(ratio).arg(speed).arg(normal)));
        }
    }

private:
    static constexpr const char* kSong = "Grüße – ein Lied  mit Leerzeichen.mp3";
    static constexpr const char* kMidi = "Ünïcödé song.mid";
    std::string Own(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    QTemporaryDir dir_;
};

QTEST_MAIN(TestMciService)
#include "tst_mci_service.moc"
