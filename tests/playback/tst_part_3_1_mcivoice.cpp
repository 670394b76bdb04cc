// Part 3.1: MCI voice commands against a recording command sender: the exact command
// strings, the open fallbacks, the replies and fallback values, the waits of C and D, and
// the failure messages.
#include "app/ProgramValues.h"
#include "playback/MciVoice.h"
#include "support/TestSupport.h"
#include "playback/MciRecorder.h"

#include <QtTest>

#include <numeric>

using namespace vistrel;
using test::MciRecorder;
using Commands = std::vector<std::string>;
namespace mci = MciVoice;

namespace {
const std::string kStyle = " style child parent 1234 ";

std::string OpenCommand(const std::string& file, const std::string& clause)
{
    return "open \"" + file + "\" alias voice1 " + clause;
}
}  // namespace

class TestMciVoice : public QObject {
    Q_OBJECT

private slots:
    // A.
    void sendPassesTheCommandAsGivenAndTrimsTheReply()
    {
        MciRecorder rec;
        rec.Answer("  status voice1 mode ", 0, std::string("  playing \0garbage", 18));
        std::string reply = "old";
        QCOMPARE(mci::SendMCICommand("  status voice1 mode ", reply), MciError(0));
        QCOMPARE(rec.commands, Commands{"  status voice1 mode "});
        QCOMPARE(reply, std::string("playing"));
        rec.Answer("status voice1 mode", 263, "");
        QCOMPARE(mci::SendMCICommand("status voice1 mode", reply), MciError(263));
        QCOMPARE(reply, std::string());
        QCOMPARE(mci::MCILastError, MciError(0));
    }

    void errorTextIsCutAtNulAndTrimmed()
    {
        MciRecorder rec;
        mci::SetCommandSender({[](const std::string&, std::string&) { return MciError(0); },
                               [](MciError) { return std::string("  The device is not open. \0rest", 32); }});
        QCOMPARE(mci::GetMCIErrorText(263), std::string("The device is not open."));
    }

    // B.
    void openWithoutTypeClauseSendsTheExactFirstCommand()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        QVERIFY(mci::OpenVoice1("/m/song.mp3", 1234, 800));
        QCOMPARE(rec.commands, (Commands{"close voice1",
                                         "open \"/m/song.mp3\" alias voice1  style child parent 1234 ",
                                         "status voice1 window handle", "set voice1 time format milliseconds",
                                         "setaudio voice1 volume to 800"}));
        QVERIFY(boxes.Messages().empty());
    }

    void aviTriesAllFallbacksAndShowsTheLastError()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        const std::string f = "/m/clip.Avi";
        rec.defaultAnswer = {275, ""};
        rec.Queue(OpenCommand(f, kStyle + "type MPEGVideo"), {{275, ""}, {277, ""}});
        rec.Answer(OpenCommand(f, ""), 296);
        QVERIFY(!mci::OpenVoice1(f, 1234, 1000));
        QCOMPARE(rec.commands, (Commands{"close voice1", OpenCommand(f, kStyle + "type MPEGVideo"),
                                         OpenCommand(f, kStyle + "type MPEGVideo2"),
                                         OpenCommand(f, kStyle + "type MPEGVideo"), OpenCommand(f, kStyle),
                                         "open \"/m/clip.Avi\" alias voice1 "}));
        QCOMPARE(mci::MCILastError, MciError(296));
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("MCI error 296"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(boxes.Messages()[0].title, std::string("Vistrel"));
    }

    void oggIsTriedWithMpegVideo2Twice()
    {
        MciRecorder rec;
        const std::string f = "/m/a.ogg";
        rec.Answer(OpenCommand(f, kStyle + "type MPEGVideo2"), 275);
        QVERIFY(mci::OpenVoice1(f, 1234, 500));
        QCOMPARE(rec.commands.at(1), OpenCommand(f, kStyle + "type MPEGVideo2"));
        QCOMPARE(rec.commands.at(2), OpenCommand(f, kStyle + "type MPEGVideo2"));
        QCOMPARE(rec.commands.at(3), OpenCommand(f, kStyle + "type MPEGVideo"));
        QCOMPARE(rec.commands.at(4), std::string("status voice1 window handle"));
    }

    void extensionIsTakenFromTheNameNotTheFolder()
    {
        MciRecorder rec;
        QVERIFY(mci::OpenVoice1("/m/x.avi/noext", 1234, 500));
        QCOMPARE(rec.commands.at(1), OpenCommand("/m/x.avi/noext", kStyle));
    }

    void deviceTypeOverrideFromCboMType()
    {
        MciRecorder rec;
        mci::Hooks.DeviceTypeOverride = [] { return std::string("DigitalVideo"); };
        QVERIFY(mci::OpenVoice1("/m/clip.avi", 1234, 500));
        QCOMPARE(rec.commands.at(1), OpenCommand("/m/clip.avi", kStyle + "type DigitalVideo"));
        mci::Hooks.DeviceTypeOverride = [] { return std::string(); };
        QVERIFY(mci::OpenVoice1("/m/clip.mkv", 1234, 500));
        QCOMPARE(rec.commands.back(), std::string("setaudio voice1 volume to 500"));
        QCOMPARE(rec.Count(OpenCommand("/m/clip.mkv", kStyle)), 1);
    }

    void midiGetsNoVolumeCommand()
    {
        for (const std::string f : {"/m/tune.mid", "/m/tune.RMI"}) {
            MciRecorder rec;
            QVERIFY(mci::OpenVoice1(f, 1234, 700));
            QCOMPARE(rec.commands.back(), std::string("set voice1 time format milliseconds"));
            QCOMPARE(rec.Count("setaudio voice1 volume to 700"), 0);
        }
    }

    void foregroundIsRestoredOnlyWhenItWasLost()
    {
        struct Case { std::vector<bool> answers; bool fail; int forced; };
        for (const Case& c : {Case{{true, false}, false, 1}, Case{{true, true}, false, 0},
                              Case{{false, false}, false, 0}, Case{{true, false}, true, 0}}) {
            MciRecorder rec;
            test::MsgBoxRecorder boxes;
            if (c.fail)
                rec.defaultAnswer = {263, ""};
            size_t asked = 0;
            int forced = 0;
            mci::Hooks.IsMainWindowForeground = [&] { return c.answers.at(std::min(asked++, c.answers.size() - 1)); };
            mci::Hooks.ForceMainWindowForeground = [&] { ++forced; };
            QCOMPARE(mci::OpenVoice1("/m/a.mp3", 1234, 1000), !c.fail);
            QCOMPARE(forced, c.forced);
        }
    }

    void videoWindowWithoutChildOnWideMonitorReopensInTheSeparateWindow()
    {
        MciRecorder rec;
        rec.Answer("status voice1 window handle", 0, "4242");
        WindowHandle asked = 0;
        mci::Hooks.SeparateVideoWindow = [] { return WindowHandle(77); };
        mci::Hooks.HasChildWindow = [&](WindowHandle h) { asked = h; return false; };
        mci::Hooks.MainWindowMonitorWidth = [] { return 1920; };
        QVERIFY(mci::OpenVoice1("/m/v.mp4", 1234, 900));
        QCOMPARE(asked, WindowHandle(4242));
        QCOMPARE(rec.commands, (Commands{"close voice1", OpenCommand("/m/v.mp4", kStyle), "status voice1 window handle",
                                         "close voice1", "open \"/m/v.mp4\" alias voice1  parent 77  style child",
                                         "set voice1 time format milliseconds", "setaudio voice1 volume to 900"}));
    }

    void reopenRuleNeedsNoChildAWideMonitorAndTheHook()
    {
        struct Case { bool hook; bool child; int width; };
        for (const Case& c : {Case{true, false, 800}, Case{true, true, 1920}, Case{false, false, 1920}}) {
            MciRecorder rec;
            rec.Answer("status voice1 window handle", 0, "4242");
            if (c.hook)
                mci::Hooks.SeparateVideoWindow = [] { return WindowHandle(77); };
            mci::Hooks.HasChildWindow = [&](WindowHandle) { return c.child; };
            mci::Hooks.MainWindowMonitorWidth = [&] { return c.width; };
            QVERIFY(mci::OpenVoice1("/m/v.mp4", 1234, 900));
            QCOMPARE(rec.Count("close voice1"), 1);
        }
    }

    void failedReopenShowsTheErrorText()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        rec.Answer("status voice1 window handle", 0, "4242");
        rec.Answer("open \"/m/v.mp4\" alias voice1  parent 77  style child", 266);
        mci::Hooks.SeparateVideoWindow = [] { return WindowHandle(77); };
        mci::Hooks.MainWindowMonitorWidth = [] { return 1024; };
        QVERIFY(!mci::OpenVoice1("/m/v.mp4", 1234, 900));
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("MCI error 266"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(rec.Count("set voice1 time format milliseconds"), 0);
    }

    void openFileBuildsTheCommandAndKeepsTheCode()
    {
        MciRecorder rec;
        rec.defaultAnswer = {275, ""};
        QCOMPARE(mci::OpenVoice1File("/m/Ünïcødé 日本.mp3", ""), MciError(275));
        QCOMPARE(rec.commands, Commands{"open \"/m/Ünïcødé 日本.mp3\" alias voice1 "});
        QCOMPARE(mci::MCILastError, MciError(275));
    }

    // Status queries and their fallbacks.
    void noDeviceGivesTheFallbackValues()
    {
        MciRecorder rec;
        rec.defaultAnswer = {263, "junk 77"};
        QCOMPARE(mci::GetVoice1Position(), -1);
        QCOMPARE(mci::MCILastError, MciError(263));
        QCOMPARE(mci::GetVoice1Length(), 0);
        QCOMPARE(mci::GetVoice1Mode(), std::string());
        QCOMPARE(mci::GetVoice1Window(), WindowHandle(0));
        QCOMPARE(mci::GetVoice1FrameRate(), 0.0);
        QCOMPARE(rec.commands, (Commands{"status voice1 Position", "status voice1 length", "status voice1 mode",
                                         "status voice1 window handle", "status voice1 nominal frame rate",
                                         "status voice1 frame rate"}));
    }

    void numericRepliesAreReadFromTheStartAndRounded()
    {
        MciRecorder rec;
        rec.Queue("status voice1 Position", {{0, "1234.6"}, {0, "  42 ms"}, {0, "abc"}, {0, "1234.4"}});
        QCOMPARE(mci::GetVoice1Position(), 1235);
        QCOMPARE(mci::GetVoice1Position(), 42);
        QCOMPARE(mci::GetVoice1Position(), 0);
        QCOMPARE(mci::GetVoice1Position(), 1234);
        rec.Answer("status voice1 length", 0, "60000");
        QCOMPARE(mci::GetVoice1Length(), 60000);
        rec.Answer("status voice1 window handle", 0, "123456789");
        QCOMPARE(mci::GetVoice1Window(), WindowHandle(123456789));
        rec.Answer("status voice1 nominal frame rate", 0, "25000");
        QCOMPARE(mci::GetVoice1FrameRate(), 25.0);
        rec.Answer("status voice1 nominal frame rate", 274);
        rec.Answer("status voice1 frame rate", 0, "29970");
        QCOMPARE(mci::GetVoice1FrameRate(), 29.97);
        QCOMPARE(mci::MCILastError, MciError(0));
        QCOMPARE(mci::ReadLeadingNumber("+7.5x"), 7.5);
        QCOMPARE(mci::ReadLeadingNumber("-3"), -3.0);
    }

    void onlyTheTableRoutinesKeepTheCode()
    {
        MciRecorder rec;
        rec.defaultAnswer = {263, ""};
        mci::MCILastError = 99;
        std::string reply;
        mci::SendMCICommand("status voice1 mode", reply);
        mci::GetVoice1Mode();
        QCOMPARE(mci::SetVoice1TimeFormat("frames"), MciError(263));
        mci::SetVoice1Volume(0);
        QCOMPARE(mci::GetMCIErrorText(263), std::string("MCI error 263"));
        QCOMPARE(mci::MCILastError, MciError(99));
        QCOMPARE(rec.commands, (Commands{"status voice1 mode", "status voice1 mode", "set voice1 time format frames",
                                         "setaudio voice1 volume to 0"}));
        QCOMPARE(mci::CloseVoice1(), MciError(263));
        QCOMPARE(rec.commands.back(), std::string("close voice1"));
        QCOMPARE(mci::MCILastError, MciError(263));
    }

    // C.
    void playingAnEndedTitleRestartsItFromZero()
    {
        MciRecorder rec;
        rec.Answer("status voice1 length", 0, "5000");
        rec.Answer("status voice1 Position", 0, "5000");
        QVERIFY(mci::PlayVoice1());
        QCOMPARE(rec.commands, (Commands{"play voice1", "status voice1 length", "status voice1 Position",
                                         "seek voice1 to 0", "resume voice1"}));
        QCOMPARE(rec.sleeps, std::vector<int32_t>{10});
    }

    void playingElsewhereDoesNotSeek()
    {
        MciRecorder rec;
        rec.Answer("status voice1 length", 0, "5000");
        rec.Answer("status voice1 Position", 0, "1200");
        QVERIFY(mci::PlayVoice1());
        QCOMPARE(rec.commands, (Commands{"play voice1", "status voice1 length", "status voice1 Position"}));
        MciRecorder shortTitle;
        shortTitle.Answer("status voice1 length", 0, "10");
        QVERIFY(mci::PlayVoice1());
        QCOMPARE(shortTitle.commands, (Commands{"play voice1", "status voice1 length"}));
        QVERIFY(shortTitle.sleeps.empty());
    }

    void failedPlayReturnsFalseWithoutMessage()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        rec.defaultAnswer = {263, ""};
        QVERIFY(!mci::PlayVoice1());
        QVERIFY(boxes.Messages().empty());
    }

    // F.
    void pauseOnlyWhilePlaying()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        rec.Answer("status voice1 mode", 0, "paused");
        mci::MCILastError = 7;
        QCOMPARE(mci::PauseVoice1(), MciError(0));
        QCOMPARE(rec.commands, Commands{"status voice1 mode"});
        QCOMPARE(mci::MCILastError, MciError(7));
        rec.Answer("status voice1 mode", 0, "playing");
        QCOMPARE(mci::PauseVoice1(), MciError(0));
        QCOMPARE(rec.commands.back(), std::string("pause voice1"));
        QVERIFY(boxes.Messages().empty());
    }

    void pauseFailureMessageExceptNoWindow()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        rec.Answer("status voice1 mode", 0, "playing");
        rec.Queue("pause voice1", {{MCIERR_NO_WINDOW, ""}, {282, ""}});
        QCOMPARE(mci::PauseVoice1(), MCIERR_NO_WINDOW);
        QVERIFY(boxes.Messages().empty());
        QCOMPARE(mci::PauseVoice1(), MciError(282));
        QCOMPARE(mci::MCILastError, MciError(282));
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("pause: MCI error 282"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(boxes.Messages()[0].title, std::string("Vistrel"));
    }

    void resumeSendsResumeThenPlayWithTrailingBlanks()
    {
        MciRecorder rec;
        rec.Answer("play voice1 ", 263);
        QCOMPARE(mci::ResumeVoice1(), MciError(263));
        QCOMPARE(rec.commands, (Commands{"resume voice1 ", "play voice1 "}));
        rec.Answer("resume voice1 ", 282);
        rec.Answer("play voice1 ", 0);
        QCOMPARE(mci::ResumeVoice1(), MciError(0));
        QCOMPARE(mci::MCILastError, MciError(0));
    }

    // G.
    void stopFailureMessage()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        QCOMPARE(mci::StopVoice1(), MciError(0));
        QVERIFY(boxes.Messages().empty());
        rec.Answer("stop voice1", 263);
        QCOMPARE(mci::StopVoice1(), MciError(263));
        QCOMPARE(rec.commands, (Commands{"stop voice1", "stop voice1"}));
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("stop: MCI error 263"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
    }

    void setCommands()
    {
        MciRecorder rec;
        QCOMPARE(mci::SetVoice1TimeFormat("milliseconds"), MciError(0));
        mci::SetVoice1Volume(1000);
        QCOMPARE(rec.commands, (Commands{"set voice1 time format milliseconds", "setaudio voice1 volume to 1000"}));
    }

    // D.
    void pausedShowFrameSeekPlaysTheLast100msSilently()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        TitleState title;
        title.CurrentTitleLengthMS = 10000;
        mci::Hooks.Title = &title;
        rec.Queue("status voice1 mode", {{0, "paused"}, {0, "playing"}, {0, "playing"}, {0, "playing"}, {0, "paused"}});
        QCOMPARE(mci::SeekVoice1(5000, true), MciError(0));
        QCOMPARE(rec.commands, (Commands{"status voice1 mode", "setaudio voice1 off", "play voice1 from 4900 to 5000",
                                         "status voice1 mode", "status voice1 mode", "status voice1 mode",
                                         "status voice1 mode", "setaudio voice1 on"}));
        QCOMPARE(rec.sleeps, (std::vector<int32_t>{110, 10, 10, 10, 10}));
        QVERIFY(boxes.Messages().empty());
        QCOMPARE(rec.Count("resume voice1 "), 0);
    }

    void showFrameStartIsClampedToTheTitle()
    {
        struct Case { int32_t length; int32_t target; std::string play; };
        for (const Case& c : {Case{10000, 50, "play voice1 from 0 to 50"},
                              Case{10000, 9950, "play voice1 from 9850 to 9950"},
                              Case{10000, 9990, "play voice1 from 9890 to 9990"},
                              Case{10000, 10000, "play voice1 from 9900 to 10000"},
                              Case{10000, 12000, "play voice1 from 9900 to 12000"},
                              Case{50, 30, "play voice1 from 0 to 30"}, Case{0, 700, "play voice1 from 0 to 700"}}) {
            MciRecorder rec;
            TitleState title;
            title.CurrentTitleLengthMS = c.length;
            mci::Hooks.Title = &title;
            rec.Answer("status voice1 mode", 0, "stopped");
            mci::SeekVoice1(c.target, true);
            QCOMPARE(rec.commands.at(2), c.play);
        }
    }

    void showFrameWaitIsBoundedBy200Steps()
    {
        MciRecorder rec;
        rec.Queue("status voice1 mode", {{0, "paused"}});
        rec.Answer("status voice1 mode", 0, "playing");
        mci::SeekVoice1(3000, true);
        QCOMPARE(rec.sleeps.size(), size_t(202));
        QCOMPARE(rec.sleeps.front(), 110);
        QCOMPARE(std::accumulate(rec.sleeps.begin(), rec.sleeps.end(), 0), 110 + 200 * 10 + 10);
        QCOMPARE(rec.Count("status voice1 mode"), 201);
        QCOMPARE(rec.commands.back(), std::string("setaudio voice1 on"));
    }

    void seekWithoutFlagStartsPlayback()
    {
        MciRecorder rec;
        rec.Answer("status voice1 mode", 0, "paused");
        QCOMPARE(mci::SeekVoice1(5000, false), MciError(0));
        QCOMPARE(rec.commands, (Commands{"status voice1 mode", "seek voice1 to 5000", "status voice1 mode",
                                         "resume voice1 ", "play voice1 "}));
        QVERIFY(rec.sleeps.empty());
    }

    void seekWhilePlayingJustSeeks()
    {
        for (bool flag : {false, true}) {
            MciRecorder rec;
            rec.Answer("status voice1 mode", 0, "playing");
            mci::SeekVoice1(5000, flag);
            QCOMPARE(rec.commands, (Commands{"status voice1 mode", "seek voice1 to 5000", "status voice1 mode"}));
        }
    }

    void failedSeekMessageOnlyWithinTheTitle()
    {
        struct Case { int32_t target; bool message; };
        for (const Case& c : {Case{0, false}, Case{-5, false}, Case{1, true}, Case{10000, true}, Case{10001, false}}) {
            MciRecorder rec;
            test::MsgBoxRecorder boxes;
            rec.Answer("status voice1 mode", 0, "playing");
            rec.Answer("seek voice1 to " + std::to_string(c.target), 282);
            rec.Answer("status voice1 length", 0, "10000");
            QCOMPARE(mci::SeekVoice1(c.target, false), MciError(282));
            QCOMPARE(mci::MCILastError, MciError(282));
            QCOMPARE(boxes.Messages().size(), size_t(c.message ? 1 : 0));
            if (c.message) {
                QCOMPARE(boxes.Messages()[0].text, std::string("seek: MCI error 282"));
                QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
            }
        }
    }

    void failedShowFrameSeekReportsThePlayCommand()
    {
        MciRecorder rec;
        test::MsgBoxRecorder boxes;
        TitleState title;
        title.CurrentTitleLengthMS = 10000;
        mci::Hooks.Title = &title;
        rec.Answer("status voice1 mode", 0, "paused");
        rec.Answer("play voice1 from 4900 to 5000", 282);
        rec.Answer("status voice1 length", 0, "10000");
        QCOMPARE(mci::SeekVoice1(5000, true), MciError(282));
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("seek: MCI error 282"));
        QCOMPARE(rec.commands.back(), std::string("status voice1 length"));
        QCOMPARE(rec.Count("setaudio voice1 on"), 1);
    }
};

QTEST_GUILESS_MAIN(TestMciVoice)
#include "tst_part_3_1_mcivoice.moc"
