// The MCI voice layer against a scripted command service. Each row scripts the device's
// answers, makes one call and expects its result and the exact transcript: the commands
// sent, the waits, the hooks asked and the message boxes shown. Then on the real service: a
// failed open shows the service's own error text, and a paused title sought with the frame
// flag stops at the target in real time.
#include "playback/MciVoice.h"
#include "support/MciRecorder.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <cstdlib>

using namespace vistrel;
using test::MciAnswer;
namespace mci = MciVoice;

namespace {
using Script = std::vector<MciAnswer>;
using Call = std::function<QString()>;

test::MciRecorder* rec = nullptr;  // the row's recorder: hooks write into its transcript
TitleState title;                  // the title the seeks ask for its length: 10 s unless a row says

QString Q(bool v) { return v ? "true" : "false"; }
QString Q(const std::string& v) { return QString::fromStdString(v); }
template <typename T> QString Q(T v) { return QString::number(v); }

MciAnswer Mode(const char* mode) { return {"status voice1 mode", 0, mode}; }

const std::string kStyle = " style child parent 1234 ", kMpeg = kStyle + "type MPEGVideo";
const QStringList kVolume{"status voice1 window handle", "set voice1 time format milliseconds",
                          "setaudio voice1 volume to 800"};

// "close voice1", then one open of `file` for each clause.
QStringList Opens(const std::string& file, std::initializer_list<std::string> clauses)
{
    QStringList sent{"close voice1"};
    for (const std::string& clause : clauses)
        sent << Q("open \"" + file + "\" alias voice1 " + clause);
    return sent;
}

Call Open(const std::string& file) { return [file] { return Q(mci::OpenVoice1(file, 1234, 800)); }; }

// The main window has the focus before the open and then `after`.
Call Focus(bool before, bool after, const std::string& file)
{
    return [=] {
        mci::Hooks.IsMainWindowForeground = [asked = 0, before, after]() mutable { return asked++ ? after : before; };
        mci::Hooks.ForceMainWindowForeground = [] { rec->transcript.push_back("foreground forced"); };
        return Open(file)();
    };
}

Call Seek(int target, bool showFrame) { return [=] { return Q(mci::SeekVoice1(target, showFrame)); }; }

// A frame shown while not playing: the 100 ms before the target, silently.
QStringList Frame(const QString& play)
{
    return {"status voice1 mode", "setaudio voice1 off", play, "wait 110", "status voice1 mode", "wait 10",
            "setaudio voice1 on"};
}

void Row(const char* name, const Script& script, const Call& call, const QString& result, const QStringList& transcript)
{
    QTest::newRow(name) << script << call << result << transcript;
}
}  // namespace

class TestMciVoice : public QObject {
    Q_OBJECT

private slots:
    void transcript_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("transcript");
        Row("reply cut at NUL and trimmed", {{"status voice1 mode", 0, std::string(" playing \0junk", 14)}},
            [] { return Q(mci::GetVoice1Mode()); }, "playing", {"status voice1 mode"});
        Row("error text cut at NUL and trimmed", {}, [] {
            mci::SetCommandSender({{}, [](MciError) { return std::string("  The device is not open. \0rest", 32); }});
            return Q(mci::GetMCIErrorText(263));
        }, "The device is not open.", {});
        // Opening: the type clause and its fallbacks, the volume, the focus.
        const std::string mp3 = "/m/a.mp3", avi = "/m/c.Avi", ogg = "/m/a.ogg";
        const Script failures{{"open *", 275}, {"open *", 275}, {"open *", 277}, {"open *", 275}, {"open *", 296}};
        Row("open: every attempt fails", failures, Open(avi), "false",
            Opens(avi, {kMpeg, kMpeg + "2", kMpeg, kStyle, ""}) << "box: MCI error 296");
        Row("open: ogg tries MPEGVideo2 twice", {{"open *", 275}, {"open *", 275}, {"open *", 0}}, Open(ogg), "true",
            Opens(ogg, {kMpeg + "2", kMpeg + "2", kMpeg}) + kVolume);
        Row("open: device type chosen", {}, [] {
            mci::Hooks.DeviceTypeOverride = [] { return std::string("DigitalVideo"); };
            return Open("/m/c.avi")();
        }, "true", Opens("/m/c.avi", {kStyle + "type DigitalVideo"}) + kVolume);
        Row("open: MIDI, no volume", {}, Open("/m/t.mid"), "true", Opens("/m/t.mid", {kStyle}) + kVolume.mid(0, 2));
        Row("open: RMI, no volume", {}, Open("/m/t.RMI"), "true", Opens("/m/t.RMI", {kStyle}) + kVolume.mid(0, 2));
        Row("focus lost: taken back", {}, Focus(true, false, mp3), "true",
            (Opens(mp3, {kStyle}) << "foreground forced") + kVolume);
        Row("focus kept", {}, Focus(true, true, mp3), "true", Opens(mp3, {kStyle}) + kVolume);
        Row("focus never had", {}, Focus(false, false, mp3), "true", Opens(mp3, {kStyle}) + kVolume);
        Row("focus lost, open failed", {{"*", 263}}, Focus(true, false, "/m/a"), "false",
            Opens("/m/a", {kStyle, kMpeg + "2", kMpeg, kStyle, ""}) << "box: MCI error 263");
        const QStringList rates{"status voice1 nominal frame rate", "status voice1 frame rate"};
        Row("no device", {{"*", 263, "77"}}, [] {
            return QStringList{Q(mci::GetVoice1Position()), Q(mci::GetVoice1Length()), Q(mci::GetVoice1Mode()),
                               Q(mci::GetVoice1Window()), Q(mci::GetVoice1FrameRate())}.join('|');
        }, "-1|0||0|0", QStringList{"status voice1 Position", "status voice1 length", "status voice1 mode",
                                    "status voice1 window handle"} + rates);
        Row("frame rate, second query", {{rates[0].toStdString(), 274}, {rates[1].toStdString(), 0, "29970"}},
            [] { return Q(mci::GetVoice1FrameRate()); }, "29.97", rates);
        const Call numbers = [] { return QStringList{Q(mci::GetVoice1Position()), Q(mci::GetVoice1Length()),
                                                     Q(mci::GetVoice1Window())}.join('|'); };
        const QStringList queried{"status voice1 Position", "status voice1 length", "status voice1 window handle"};
        Row("numbers rounded", {{"*", 0, "1234.5"}}, numbers, "1235|1235|1235", queried);
        Row("numbers rounded down", {{"*", 0, "+1234.4x"}}, numbers, "1234|1234|1234", queried);
        Row("negative numbers", {{"*", 0, "  -42 ms"}}, numbers, "-42|-42|0", queried);
        Row("no numbers", {{"*", 0, "abc"}}, numbers, "0|0|0", queried);
        Row("numbers beyond 32 bits", {{"*", 0, "99999999999"}}, numbers, "2147483647|2147483647|99999999999", queried);
        // Play, pause, stop and their failure boxes.
        const Call play = [] { return Q(mci::PlayVoice1()); };
        const QStringList played{"play voice1", "status voice1 length", "wait 10", "status voice1 Position"};
        const MciAnswer length{"status voice1 length", 0, "5000"};
        Row("play at the end: from 0", {length, {"status voice1 Position", 0, "5000"}}, play, "true",
            played + QStringList{"seek voice1 to 0", "resume voice1"});
        Row("play elsewhere", {length, {"status voice1 Position", 0, "4999"}}, play, "true", played);
        Row("play 10 ms", {{"status voice1 length", 0, "10"}}, play, "true", played.mid(0, 2));
        Row("play refused, no box", {{"play voice1", 263}}, play, "false", played.mid(0, 2));
        const Call pause = [] { return Q(mci::PauseVoice1()); };
        Row("pause while paused", {Mode("paused")}, pause, "0", {"status voice1 mode"});
        Row("pause fails", {Mode("playing"), {"pause voice1", 282}}, pause, "282",
            {"status voice1 mode", "pause voice1", "box: pause: MCI error 282"});
        Row("pause without window", {Mode("playing"), {"pause voice1", MCIERR_NO_WINDOW}}, pause, "346",
            {"status voice1 mode", "pause voice1"});
        Row("stop fails", {{"stop voice1", 263}}, [] { return Q(mci::StopVoice1()); }, "263",
            {"stop voice1", "box: stop: MCI error 263"});
        // Seeks: playing goes on; a paused title shows the target frame; a failure within the title is told.
        const MciAnswer tenSeconds{"status voice1 length", 0, "10000"};
        const QStringList sought{"status voice1 mode", "seek voice1 to 5000", "status voice1 mode"};
        Row("seek while paused", {Mode("paused")}, Seek(5000, false), "0",
            sought + QStringList{"resume voice1 ", "play voice1 "});
        Row("seek while playing", {Mode("playing")}, Seek(5000, false), "0", sought);
        Row("seek while playing, frame asked", {Mode("playing")}, Seek(5000, true), "0", sought);
        for (const int target : {0, 1, 10000, 10001}) {  // only a failure within the title is told
            const QString seek = "seek voice1 to " + Q(target);
            const QStringList heard{"status voice1 mode", seek, "status voice1 mode", "status voice1 length",
                                    "box: seek: MCI error 282"};
            Row(qPrintable(seek + " fails"), {Mode("playing"), {seek.toStdString(), 282}, tenSeconds},
                Seek(target, false), "282", heard.mid(0, target < 1 ? 3 : target > 10000 ? 4 : 5));
        }
        Row("frame fails", {Mode("paused"), Mode("stopped"), {"play voice1 from 4900 to 5000", 282}, tenSeconds},
            Seek(5000, true), "282",
            Frame("play voice1 from 4900 to 5000") << "status voice1 length" << "box: seek: MCI error 282");
        Row("frame past the end", {Mode("stopped")}, Seek(12000, true), "0", Frame("play voice1 from 9900 to 12000"));
        Row("frame, no length", {Mode("stopped")}, [] { return title.CurrentTitleLengthMS = 0, Seek(700, true)(); },
            "0", Frame("play voice1 from 0 to 700"));
        QStringList twoSeconds = Frame("play voice1 from 2900 to 3000").mid(0, 4);
        for (int i = 0; i < 200; ++i)
            twoSeconds << "status voice1 mode" << "wait 10";
        Row("frame waits 2 s at most", {Mode("paused"), Mode("playing")}, Seek(3000, true), "0",
            twoSeconds << "wait 10" << "setaudio voice1 on");
    }

    void transcript()
    {
        QFETCH(Script, script);
        QFETCH(Call, call);
        test::MciRecorder recorder(script);
        rec = &recorder;
        title.CurrentTitleLengthMS = 10000;
        mci::Hooks.Title = &title;
        QTEST(call(), "result");
        QStringList transcript;
        for (const std::string& line : recorder.transcript)
            transcript << Q(line);
        QTEST(transcript, "transcript");
    }

    void cleanupTestCase() { mciCloseAll(); }

    void missingFileShowsTheServicesErrorText()
    {
        mciSetUntimedEnginesForTests(true);
        test::MsgBoxRecorder boxes;
        QVERIFY(!mci::OpenVoice1("/nonexistent-vistrel/missing.mp3", 1234, 1000));
        QCOMPARE(mci::MCILastError, MCIERR_FILE_NOT_FOUND);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text + "|" + std::to_string(boxes.Messages()[0].flags),
                 "The file was not found.|" + std::to_string(kMsgExclamation));
    }

    // The untimed engine may run past a "to" position, so this needs real time and sound.
    void pausedFrameSeekStopsAtTheTarget()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "needs a sound server: run through ./test.sh");
        mciSetUntimedEnginesForTests(false);
        test::MsgBoxRecorder boxes;
        QVERIFY(mci::OpenVoice1(test::Fixture("mp3_cbr_128k.mp3"), 1234, 500));
        title.CurrentTitleLengthMS = mci::GetVoice1Length();
        mci::Hooks.Title = &title;
        QCOMPARE(mci::SeekVoice1(300, true), MciError(0));
        QVERIFY(mci::GetVoice1Mode() != "playing");
        const int32_t shown = mci::GetVoice1Position();
        QVERIFY2(std::abs(shown - 300) <= 40, qPrintable(QString::number(shown)));
        QCOMPARE(mci::SeekVoice1(200, false, false), MciError(0));  // a paused title stays paused
        QCOMPARE(mci::GetVoice1Mode() + " " + std::to_string(mci::GetVoice1Position()), std::string("stopped 200"));
        QVERIFY(boxes.Messages().empty());
    }
};

QTEST_MAIN(TestMciVoice)  // the real service asks the application for the platform's name
#include "tst_mci_voice.moc"
