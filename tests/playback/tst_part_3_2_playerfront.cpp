// Part 3.2: the player front, against the recording MCI sender and a fake DirectShow
// back end: forwarding, neutral results, the LastSeekTarget rule, MPlayClose's side
// effects, frame-rate rounding and ToggleMediaInterface's messages.
#include "support/TickCount.h"
#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"
#include "support/TestSupport.h"
#include "playback/MciRecorder.h"

#include <QtTest>

using namespace vistrel;
using test::MciRecorder;
using Commands = std::vector<std::string>;

namespace {

class FakeDirectShow : public DirectShowBackend {
public:
    Commands calls;
    bool openResult = true;
    int32_t state = 0;
    int32_t runCode = 0;
    int32_t stopCode = 0;
    double positionSeconds = 0;
    int32_t length = 0;
    double frameRate = 0;
    bool speedResult = true;
    WindowHandle window = 0;
    int32_t audioStreams = 0;
    int32_t videoStreams = 0;

    bool Open(const std::string& f, WindowHandle parent, int32_t volume, bool a, bool v) override
    {
        Call("Open " + f + " " + std::to_string(parent) + " " + std::to_string(volume) + " " + std::to_string(a) +
             std::to_string(v));
        return openResult;
    }
    void Close(bool keepLast) override { Call("Close " + std::to_string(keepLast)); }
    void CloseLast() override { Call("CloseLast"); }
    int32_t GetState() override { return state; }
    int32_t Run() override { return Call("Run"), runCode; }
    void Pause() override { Call("Pause"); }
    int32_t Stop() override { return Call("Stop"), stopCode; }
    void Seek(int32_t t, bool f) override { Call("Seek " + std::to_string(t) + " " + std::to_string(f)); }
    double GetPositionSeconds() override { return positionSeconds; }
    int32_t GetLengthMs() override { return length; }
    double GetFrameRate() override { return frameRate; }
    void SetVolume(int32_t v) override { Call("SetVolume " + std::to_string(v)); }
    bool SetSpeed(int32_t s) override { return Call("SetSpeed " + std::to_string(s)), speedResult; }
    WindowHandle GetVideoWindow() override { return window; }
    int32_t GetAudioStreamCount() override { return audioStreams; }
    int32_t GetVideoStreamCount() override { return videoStreams; }
    void SelectAudioStream(int32_t i) override { Call("SelectAudio " + std::to_string(i)); }
    void SelectVideoStream(int32_t i) override { Call("SelectVideo " + std::to_string(i)); }

private:
    void Call(const std::string& text) { calls.push_back(text); }
};

// A front with every hook recording into `events`.
struct Fixture {
    TitleState title;
    PlayerFront front{title};
    FakeDirectShow ds;
    Commands events;
    bool dsAvailable = false;

    Fixture()
    {
        front.DirectShow = &ds;
        front.Hooks.EnablePositionPoll = [this] { events.push_back("positionTimer"); };
        front.Hooks.UnloadSeekPreviewIfLoaded = [this] { events.push_back("SeekPreview"); };
        front.Hooks.HideFullscreenRailIfVisible = [this] { events.push_back("Rail"); };
        front.Hooks.WipeNewestTempCopy = [this] { events.push_back("TempCopy"); };
        front.Hooks.IsDirectShowAvailable = [this] { return dsAvailable; };
        front.Hooks.SetMediaInterfaceCaption = [this](const std::string& c) { events.push_back("Caption " + c); };
        front.Hooks.TickCountMs = [] { return int64_t(123456789012); };
    }

    // Every operation once; true when all gave their neutral result.
    bool AllNeutral()
    {
        WindowHandle video = 9, inner = 9;
        bool neutral = !front.MPlayOpen("/m/a.mp3", 1, 1000, true, true);
        front.MPlayClose(false);
        front.MPlayCloseLast();
        neutral &= !front.MPlayStart();
        front.MPlayPause();
        neutral &= front.MPlayResume() == 0 && front.MPlayStop() == 0;
        front.MPlaySeek(500, true);
        neutral &= front.MPlayGetPosition() == 0 && front.MPlayGetLength() == 0 && front.MPlayGetFrameRate() == 0;
        front.MPlaySetVolume(500);
        neutral &= !front.MPlaySetSpeed(1500);
        front.MPlayGetVideoWindows(video, inner);
        neutral &= video == 0 && inner == 0;
        neutral &= front.MPlayGetAudioStreamCount() == 0 && front.MPlayGetVideoStreamCount() == 0;
        front.MPlaySelectAudioStream(1);
        front.MPlaySelectVideoStream(1);
        return neutral;
    }
};

}  // namespace

class TestPlayerFront : public QObject {
    Q_OBJECT

private slots:
    void otherMediaInterfaceValuesMakeEveryOperationANoOp()
    {
        for (int16_t value : {int16_t(2), int16_t(-1), int16_t(100)}) {
            MciRecorder rec;
            Fixture fx;
            fx.front.MediaInterface = value;
            QVERIFY(fx.AllNeutral());
            QVERIFY(rec.commands.empty());
            QVERIFY(fx.ds.calls.empty());
            QVERIFY(fx.events.empty());
            QCOMPARE(fx.front.LastSeekTarget, 0);
            QCOMPARE(fx.front.LastSeekTick, int64_t(0));
        }
    }

    void directShowWithoutBackEndGivesNeutralResults()
    {
        MciRecorder rec;
        Fixture fx;
        fx.front.MediaInterface = kMediaInterfaceDirectShow;
        fx.front.DirectShow = nullptr;
        QVERIFY(fx.AllNeutral());
        QVERIFY(rec.commands.empty());
        // The front's own steps still run: close's side effects, positionTimer after the seek.
        QCOMPARE(fx.events, (Commands{"SeekPreview", "Rail", "TempCopy", "positionTimer"}));
        QCOMPARE(fx.front.LastSeekTarget, 500);
    }

    void mciOpenForwardsToOpenVoice1()
    {
        MciRecorder rec;
        Fixture fx;
        QVERIFY(fx.front.MPlayOpen("/m/song.mp3", 1234, 800, true, true));
        QCOMPARE(rec.commands, (Commands{"close voice1", "open \"/m/song.mp3\" alias voice1  style child parent 1234 ",
                                         "status voice1 window handle", "set voice1 time format milliseconds",
                                         "setaudio voice1 volume to 800"}));
        rec.defaultAnswer = {275, ""};
        test::MsgBoxRecorder boxes;
        QVERIFY(!fx.front.MPlayOpen("/m/song.mp3", 1234, 800, false, false));
        QVERIFY(fx.ds.calls.empty());
    }

    void closeClosesThenRunsTheSideEffectsInOrder()
    {
        MciRecorder rec;
        Fixture fx;
        fx.events.clear();
        fx.front.MPlayClose(false);
        QCOMPARE(rec.commands, Commands{"close voice1"});
        QCOMPARE(fx.events, (Commands{"SeekPreview", "Rail", "TempCopy"}));
        fx.front.MPlayCloseLast();
        QCOMPARE(rec.commands.size(), size_t(1));
    }

    void sameNonZeroSeekPassesOnce()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Answer("status voice1 mode", 0, "playing");
        fx.front.MPlaySeek(3000, false);
        fx.front.MPlaySeek(3000, false);
        QCOMPARE(rec.Count("seek voice1 to 3000"), 1);
        QCOMPARE(fx.front.LastSeekTarget, 3000);
        fx.front.MPlaySeek(0, false);
        fx.front.MPlaySeek(0, false);
        QCOMPARE(rec.Count("seek voice1 to 0"), 2);
        fx.front.MPlaySeek(-1, false);
        fx.front.MPlaySeek(-1, false);
        QCOMPARE(rec.Count("seek voice1 to -1"), 2);
        fx.front.MPlaySeek(3000, false);
        QCOMPARE(rec.Count("seek voice1 to 3000"), 2);
        QCOMPARE(fx.events, Commands(7, "positionTimer"));
    }

    void lastSeekTargetOutlivesTheTitle()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Answer("status voice1 mode", 0, "playing");
        fx.front.MPlaySeek(4000, false);
        fx.front.MPlayClose(false);
        fx.front.MPlayOpen("/m/b.mp3", 1, 1000, false, false);
        fx.front.MPlaySeek(4000, false);
        QCOMPARE(rec.Count("seek voice1 to 4000"), 1);
    }

    void seekPassesTheShowFrameFlag()
    {
        MciRecorder rec;
        Fixture fx;
        fx.title.CurrentTitleLengthMS = 10000;
        MciVoice::Hooks.Title = &fx.title;
        rec.Answer("status voice1 mode", 0, "paused");
        fx.front.MPlaySeek(5000, true);
        QCOMPARE(rec.commands.at(2), std::string("play voice1 from 4900 to 5000"));
    }

    void streamsAreNothingWithMci()
    {
        MciRecorder rec;
        Fixture fx;
        fx.ds.audioStreams = 3;
        QCOMPARE(fx.front.MPlayGetAudioStreamCount(), 0);
        QCOMPARE(fx.front.MPlayGetVideoStreamCount(), 0);
        fx.front.MPlaySelectAudioStream(1);
        fx.front.MPlaySelectVideoStream(1);
        QVERIFY(rec.commands.empty());
        QVERIFY(fx.ds.calls.empty());
    }

    void startPlaysOnlyWhenNotPlaying()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Answer("status voice1 mode", 0, "playing");
        QVERIFY(!fx.front.MPlayStart());
        QCOMPARE(rec.commands, Commands{"status voice1 mode"});
        rec.Answer("status voice1 mode", 0, "paused");
        QVERIFY(fx.front.MPlayStart());
        QCOMPARE(rec.commands.at(2), std::string("play voice1"));
        rec.Answer("play voice1", 263);
        QVERIFY(!fx.front.MPlayStart());
    }

    void pauseResumeStopForward()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Answer("status voice1 mode", 0, "playing");
        fx.front.MPlayPause();
        rec.Answer("play voice1 ", 282);
        QCOMPARE(fx.front.MPlayResume(), 282);
        QCOMPARE(fx.front.LastSeekTick, int64_t(123456789012));
        QCOMPARE(fx.front.MPlayStop(), 0);
        QCOMPARE(rec.commands, (Commands{"status voice1 mode", "pause voice1", "resume voice1 ", "play voice1 ",
                                         "stop voice1"}));
    }

    void resumeTakesTheTickClock()
    {
        MciRecorder rec;
        TitleState title;
        PlayerFront front(title);
        const int64_t before = TickCountMs();
        front.MPlayResume();
        QVERIFY(front.LastSeekTick >= before && front.LastSeekTick <= TickCountMs());
    }

    void speedSendsTheCommandAndKeepsTheCode()
    {
        MciRecorder rec;
        Fixture fx;
        MciVoice::MCILastError = 5;
        QVERIFY(fx.front.MPlaySetSpeed(1500));
        QCOMPARE(fx.front.MCISpeedError, 0);
        rec.Answer("set voice1 speed 500", 274);
        QVERIFY(!fx.front.MPlaySetSpeed(500));
        QCOMPARE(fx.front.MCISpeedError, 274);
        QCOMPARE(rec.commands, (Commands{"set voice1 speed 1500", "set voice1 speed 500"}));
        QCOMPARE(MciVoice::MCILastError, MciError(5));
    }

    void volumeForwards()
    {
        MciRecorder rec;
        Fixture fx;
        fx.front.MPlaySetVolume(650);
        QCOMPARE(rec.commands, Commands{"setaudio voice1 volume to 650"});
    }

    void frameRateHasThreeDecimals()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Queue("status voice1 nominal frame rate", {{0, "29970.03"}, {0, "12345.6"}, {0, "23976"}, {0, "12345.4"}});
        QCOMPARE(fx.front.MPlayGetFrameRate(), 29.97);
        QCOMPARE(fx.front.MPlayGetFrameRate(), 12.346);
        QCOMPARE(fx.front.MPlayGetFrameRate(), 23.976);
        QCOMPARE(fx.front.MPlayGetFrameRate(), 12.345);
    }

    void noDeviceFallbacks()
    {
        MciRecorder rec;
        Fixture fx;
        rec.defaultAnswer = {263, ""};
        bool childAsked = false;
        fx.front.Hooks.FirstChildWindow = [&](WindowHandle) { childAsked = true; return WindowHandle(5); };
        QCOMPARE(fx.front.MPlayGetPosition(), -1);
        QCOMPARE(fx.front.MPlayGetLength(), 0);
        QCOMPARE(fx.front.MPlayGetFrameRate(), 0.0);
        WindowHandle video = 9, inner = 9;
        fx.front.MPlayGetVideoWindows(video, inner);
        QCOMPARE(video, WindowHandle(0));
        QCOMPARE(inner, WindowHandle(0));
        QVERIFY(!childAsked);
    }

    void innerVideoWindowIsTheFirstChildOrTheWindowItself()
    {
        MciRecorder rec;
        Fixture fx;
        rec.Answer("status voice1 window handle", 0, "4242");
        WindowHandle video = 0, inner = 0;
        fx.front.MPlayGetVideoWindows(video, inner);
        QCOMPARE(video, WindowHandle(4242));
        QCOMPARE(inner, WindowHandle(4242));
        WindowHandle asked = 0;
        fx.front.Hooks.FirstChildWindow = [&](WindowHandle h) { asked = h; return WindowHandle(99); };
        fx.front.MPlayGetVideoWindows(video, inner);
        QCOMPARE(asked, WindowHandle(4242));
        QCOMPARE(inner, WindowHandle(99));
        fx.front.Hooks.FirstChildWindow = [](WindowHandle) { return WindowHandle(0); };
        fx.front.MPlayGetVideoWindows(video, inner);
        QCOMPARE(inner, WindowHandle(4242));
    }

    void directShowColumn()
    {
        MciRecorder rec;
        Fixture fx;
        fx.front.MediaInterface = kMediaInterfaceDirectShow;
        FakeDirectShow& ds = fx.ds;
        QVERIFY(fx.front.MPlayOpen("/m/v.mkv", 77, 900, true, false));
        ds.state = 2;
        QVERIFY(!fx.front.MPlayStart());
        ds.state = 1;
        QVERIFY(fx.front.MPlayStart());
        fx.front.MPlayPause();
        ds.runCode = 3;
        QCOMPARE(fx.front.MPlayResume(), 3);
        QCOMPARE(fx.front.LastSeekTick, int64_t(123456789012));
        ds.stopCode = 4;
        QCOMPARE(fx.front.MPlayStop(), 4);
        fx.front.MPlaySeek(2500, true);
        fx.front.MPlaySeek(2500, false);
        fx.front.MPlaySetVolume(555);
        fx.front.MPlaySetVolume(1000);
        ds.speedResult = false;
        QVERIFY(!fx.front.MPlaySetSpeed(2000));
        fx.front.MPlaySelectAudioStream(2);
        fx.front.MPlaySelectVideoStream(1);
        fx.front.MPlayClose(true);
        fx.front.MPlayCloseLast();
        fx.front.MPlayClose(false);
        QCOMPARE(ds.calls, (Commands{"Open /m/v.mkv 77 900 10", "Run", "Pause", "Run", "Stop", "Seek 2500 1",
                                     "SetVolume 56", "SetVolume 100", "SetSpeed 2000", "SelectAudio 2", "SelectVideo 1",
                                     "Close 1", "CloseLast", "Close 0"}));
        QCOMPARE(fx.front.MCISpeedError, 0);
        QVERIFY(rec.commands.empty());
    }

    void directShowQueries()
    {
        MciRecorder rec;
        Fixture fx;
        fx.front.MediaInterface = kMediaInterfaceDirectShow;
        fx.ds.positionSeconds = 1.5;
        fx.ds.length = 60000;
        fx.ds.frameRate = 23.976023976;
        fx.ds.window = 31;
        fx.ds.audioStreams = 2;
        fx.ds.videoStreams = 1;
        QCOMPARE(fx.front.MPlayGetPosition(), 1500);
        fx.ds.positionSeconds = 2.0006;
        QCOMPARE(fx.front.MPlayGetPosition(), 2001);
        QCOMPARE(fx.front.MPlayGetLength(), 60000);
        QCOMPARE(fx.front.MPlayGetFrameRate(), 23.976);
        WindowHandle video = 0, inner = 0;
        fx.front.MPlayGetVideoWindows(video, inner);
        QCOMPARE(video, WindowHandle(31));
        QCOMPARE(inner, WindowHandle(31));
        QCOMPARE(fx.front.MPlayGetAudioStreamCount(), 2);
        QCOMPARE(fx.front.MPlayGetVideoStreamCount(), 1);
        QVERIFY(rec.commands.empty());
    }

    void switchingToDirectShowWithoutItKeepsMci()
    {
        MciRecorder rec;
        Fixture fx;
        test::MsgBoxRecorder boxes;
        fx.front.ToggleMediaInterface();
        QCOMPARE(fx.front.MediaInterface, kMediaInterfaceMCI);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("DirectShow is not availlable! Still using MCI"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(boxes.Messages()[0].title, std::string("Vistrel"));
        QCOMPARE(fx.events, Commands{"Caption MCI"});
    }

    void switchingBothWays()
    {
        MciRecorder rec;
        Fixture fx;
        test::MsgBoxRecorder boxes;
        fx.dsAvailable = true;
        fx.title.playState = MMSTATE_CLOSED;
        fx.front.MediaInterfaceLabelPressed();
        QCOMPARE(fx.front.MediaInterface, kMediaInterfaceDirectShow);
        fx.title.playState = MMSTATE_NONE;
        fx.front.ToggleMediaInterface();
        QCOMPARE(fx.front.MediaInterface, kMediaInterfaceMCI);
        QCOMPARE(fx.events, (Commands{"Caption DirectShow", "Caption MCI"}));
        QVERIFY(boxes.Messages().empty());
        QVERIFY(rec.commands.empty());
    }

    void switchingWhilePlayingOrPausedIsRefused()
    {
        for (int32_t status : {MMSTATE_PLAY, MMSTATE_PAUSE}) {
            MciRecorder rec;
            Fixture fx;
            test::MsgBoxRecorder boxes;
            fx.dsAvailable = true;
            fx.title.playState = status;
            fx.front.ToggleMediaInterface();
            QCOMPARE(fx.front.MediaInterface, kMediaInterfaceMCI);
            QCOMPARE(boxes.Messages().size(), size_t(1));
            QCOMPARE(boxes.Messages()[0].text, std::string("Stop before switching the interface!"));
            QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
            QVERIFY(fx.events.empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestPlayerFront)
#include "tst_part_3_2_playerfront.moc"
