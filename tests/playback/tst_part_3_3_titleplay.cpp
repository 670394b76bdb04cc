// Part 3.3, the title play control, in a real main window (offscreen, INI in a temporary
// folder, message boxes recorded). A scripted MCI device (installed as the command sender
// of Part 3.1) makes ends, loops, play-all, overlapped play and stalls deterministic: the
// tests move its position and run the poll themselves. A fake DirectShow back end stands
// in for Part 3.4 where the spec names DirectShow. The last tests drive the real MCI
// service on a short fixture (they need PulseAudio: see scripts/services.sh).
#include "app/MainControls.h"
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "controls/PositionRail.h"
#include "platform/mci/MciService.h"
#include "playback/AccessLevel.h"
#include "playback/TitlePlayControl.h"
#include "playback/MciVoice.h"
#include "playback/PlayerFront.h"
#include "support/FakeScreenSaver.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMutex>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <map>
#include <memory>
#include <set>

using namespace vistrel;
namespace mci = MciVoice;

namespace {

const std::string kMedia = VISTREL_FIXTURES_DIR "/media/";

// A scripted MCI device under the alias voice1: the test sets lengths and positions.
struct FakeVoice {
    std::map<std::string, int32_t> lengths;  // by file name part
    int32_t defaultLength = 10000;
    WindowHandle window = 0;
    bool open = false;
    std::string file;
    std::string mode;
    int32_t pos = 0;
    int32_t length = 0;
    std::vector<std::string> log;

    MciError Send(const std::string& command, std::string& reply)
    {
        log.push_back(command);
        if (command.rfind("open \"", 0) == 0)
            return Open(command.substr(6, command.find('"', 6) - 6));
        if (command == "close voice1") {
            const bool wasOpen = open;
            open = false;
            return wasOpen ? 0 : MCIERR_INVALID_DEVICE_NAME;
        }
        if (!open)
            return MCIERR_INVALID_DEVICE_NAME;
        return Run(command, reply);
    }

    MciError Open(const std::string& name)
    {
        open = true;
        file = name;
        mode = "stopped";
        pos = 0;
        const auto it = lengths.find(GetFileNamePart(name));
        length = it == lengths.end() ? defaultLength : it->second;
        return 0;
    }

    MciError Run(const std::string& c, std::string& reply)
    {
        if (c == "status voice1 mode")
            reply = mode;
        else if (c == "status voice1 length")
            reply = std::to_string(length);
        else if (c == "status voice1 Position")
            reply = std::to_string(pos);
        else if (c == "status voice1 window handle")
            return window ? (reply = std::to_string(window), 0) : MCIERR_NO_WINDOW;
        else if (c == "status voice1 nominal frame rate")
            reply = "25000";
        else if (c.rfind("play voice1", 0) == 0 || c.rfind("resume voice1", 0) == 0)
            mode = pos < length ? "playing" : "stopped";
        else if (c == "pause voice1")
            mode = mode == "playing" ? "paused" : mode;
        else if (c == "stop voice1")
            mode = "stopped";
        else if (c.rfind("seek voice1 to ", 0) == 0) {
            pos = std::min(length, std::stoi(c.substr(15)));
            mode = "stopped";
        }
        return 0;
    }

    void Reach(int32_t ms)
    {
        pos = ms;
        if (pos >= length)
            mode = "stopped";
    }

    std::vector<std::string> Opened() const
    {
        std::vector<std::string> names;
        for (const std::string& c : log)
            if (c.rfind("open \"", 0) == 0)
                names.push_back(GetFileNamePart(c.substr(6, c.find('"', 6) - 6)));
        return names;
    }

    bool Sent(const std::string& command) const { return std::find(log.begin(), log.end(), command) != log.end(); }
};

// Part 3.4's operations as the player front requires them.
class FakeDirectShow : public DirectShowBackend {
public:
    std::vector<std::string> opened;
    std::vector<bool> closes;
    int closeLasts = 0;
    bool failOpen = false;
    int32_t state = 0;
    double position = 0;
    int32_t length = 10000;
    int32_t audioStreams = 0;
    std::vector<int32_t> selectedAudio;

    bool Open(const std::string& fileName, WindowHandle, int32_t, bool, bool) override
    {
        opened.push_back(fileName);
        state = 0;
        position = 0;
        return !failOpen;
    }
    void Close(bool keepLast) override { closes.push_back(keepLast); }
    void CloseLast() override { ++closeLasts; }
    int32_t GetState() override { return state; }
    int32_t Run() override { return state = 2, 0; }
    void Pause() override { state = 1; }
    int32_t Stop() override { return state = 0, 0; }
    void Seek(int32_t targetMs, bool) override { position = targetMs / 1000.0; }
    double GetPositionSeconds() override { return position; }
    int32_t GetLengthMs() override { return length; }
    double GetFrameRate() override { return 0; }
    void SetVolume(int32_t) override {}
    bool SetSpeed(int32_t) override { return true; }
    WindowHandle GetVideoWindow() override { return 0; }
    int32_t GetAudioStreamCount() override { return audioStreams; }
    int32_t GetVideoStreamCount() override { return 0; }
    void SelectAudioStream(int32_t index) override { selectedAudio.push_back(index); }
    void SelectVideoStream(int32_t) override {}
};

}  // namespace

class TestTitlePlay : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    FakeVoice voice_;
    int folders_ = 0;

    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

    // A new folder holding a copy of `fixture` under each name; returns it with a "/".
    std::string MakeFolder(const std::vector<std::string>& names, const std::string& fixture = "wav_pcm16_stereo.wav")
    {
        const std::string folder = Path("f" + std::to_string(++folders_)) + "/";
        QDir().mkpath(QString::fromStdString(folder));
        for (const std::string& name : names)
            QFile::copy(QString::fromStdString(kMedia + fixture), QString::fromStdString(folder + name));
        return folder;
    }

    std::unique_ptr<MainWindow> LoadWindow(const std::string& folder, const std::string& keys = "")
    {
        program::IniFile = Path("Vistrel.ini");
        program::IniBackupFile = Path("Vistrel.bak");
        program::CommandLineArg.clear();
        test::WriteFile(program::IniFile, "[Settings]\nUseMCI=1\nPath=" + folder + "\n" + keys);
        return std::make_unique<MainWindow>(Path("vistrel"));
    }

    static QListWidget* Files(const MainWindow& w) { return w.Controls().fileList; }
    static const TitleState& Title(const MainWindow& w) { return w.Title(); }
    static TitlePlayControl& Tpc(const MainWindow& w) { return w.TitlePlay(); }

    // Selects `rows` with `caret` as the current row, as the program does (no click).
    static void Select(MainWindow& w, const QList<int>& rows, int caret)
    {
        w.Browser().ProgrammaticSelection = true;
        QListWidget* files = Files(w);
        files->clearSelection();
        files->setCurrentRow(caret, QItemSelectionModel::NoUpdate);
        for (int row : rows)
            files->item(row)->setSelected(true);
        w.Browser().ProgrammaticSelection = false;
    }

    // Selects and then "clicks" the list through the browser's hook (Part 4.1 -> C).
    static void Click(MainWindow& w, const QList<int>& rows, int caret)
    {
        Select(w, rows, caret);
        w.Browser().PlaySelectedTitle("fileList_click");
    }

    // One poll with the scripted device at `ms`.
    void PollAt(MainWindow& w, int32_t ms)
    {
        voice_.Reach(ms);
        Tpc(w).PollPosition();
    }

    static QString Label(const MainWindow& w, int i) { return w.Controls().formatInfoLabels[size_t(i)]->text(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
    }

    void init()
    {
        voice_ = FakeVoice{};
        mci::SetCommandSender({[this](const std::string& c, std::string& r) { return voice_.Send(c, r); },
                               [](MciError code) { return "MCI error " + std::to_string(code); }});
    }

    void cleanup() { mci::SetCommandSender({}); }

    // ---- Wiring and the first title ---------------------------------------------

    void playControlsAreEnabledAndTheInterfaceComesFromTheSettings()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}), "OverlappedPlayTimeMS=300\nCurrentFileDefaultVolume=640\n");
        for (QWidget* control : {static_cast<QWidget*>(w->Controls().playButtons[0]),
                                 static_cast<QWidget*>(w->Controls().skipButtons[1]),
                                 static_cast<QWidget*>(w->Controls().mediaInterfaceLabel)})
            QVERIFY(control->isEnabled());
        QCOMPARE(w->Front().MediaInterface, kMediaInterfaceMCI);
        QCOMPARE(Tpc(*w).OverlappedPlayTimeMS, 300);
        QCOMPARE(Tpc(*w).CurrentVolume, 640);
        QCOMPARE(mci::Hooks.Title, &w->Title());
    }

    void clickPlaysTheTitleAndNamesItInTheCaption()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"a.wav", "b.wav"});
        const auto w = LoadWindow(folder, "CurrentFileDefaultVolume=640\n");
        Click(*w, {1}, 1);
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"b.wav"}));
        QVERIFY(voice_.Sent("setaudio voice1 volume to 640"));
        QCOMPARE(voice_.mode, std::string("playing"));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
        QCOMPARE(Title(*w).CurrentTitle, folder + "b.wav");
        QCOMPARE(Title(*w).CurrentIndex, 1);
        QCOMPARE(Title(*w).CurrentTitleLengthMS, 10000);
        QCOMPARE(w->windowTitle(), QString("b.wav - Vistrel"));
        QCOMPARE(Label(*w, 0), QString("RIFF WAVE"));
        QCOMPARE(w->Rail().RailValue(), 0.0f);
        QCOMPARE(w->findChild<QLabel*>("lengthLabel")->text(), QString("0:10"));
        QVERIFY(w->Timers().positionTimer->isActive());
        QVERIFY(w->Timers().positionTimer->interval() >= 100);
        QCOMPARE(Tpc(*w).LastPollCaller, std::string("PlayTitle  playState = MMSTATE_PLAY"));
        QVERIFY(boxes.Messages().empty());
        PollAt(*w, 5000);
        QCOMPARE(w->Rail().RailValue(), 0.5f);
        QCOMPARE(w->findChild<QLabel*>("elapsedLabel")->text(), QString("0:05"));
    }

    void commandLineTimerPlaysTheSelectedFile()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}));
        Select(*w, {0}, 0);
        w->Timers().commandLinePlayTimer->start();
        QTRY_COMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav"}));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
    }

    // ---- Edge cases of Part 3.3 ----------------------------------------------------

    void clickOnThePlayingTitleWithSeveralSelectedDoesNothing()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}));
        Click(*w, {0, 1, 2}, 0);
        QCOMPARE(voice_.Opened().size(), size_t(1));
        PollAt(*w, 3000);
        w->Browser().PlaySelectedTitle("fileList_click");
        QCOMPARE(voice_.Opened().size(), size_t(1));
        QCOMPARE(voice_.pos, 3000);
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
    }

    void clickOnThePlayingTitleWithOneSelectedRestartsIt()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}));
        Click(*w, {0}, 0);
        PollAt(*w, 3000);
        w->Browser().PlaySelectedTitle("fileList_click");
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "a.wav"}));
        QCOMPARE(voice_.pos, 0);
        QCOMPARE(voice_.mode, std::string("playing"));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
    }

    void loopRestartsASingleTitleAtItsEnd()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "Loop=1\n");
        QVERIFY(w->Controls().loopCheck->isChecked());
        Click(*w, {0}, 0);
        PollAt(*w, 5000);
        PollAt(*w, 10000);
        QVERIFY(voice_.Sent("seek voice1 to 0"));
        QCOMPARE(voice_.pos, 0);
        QCOMPARE(voice_.mode, std::string("playing"));
        QCOMPARE(voice_.Opened().size(), size_t(1));
        QVERIFY(w->Timers().positionTimer->isActive());
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
    }

    void withoutLoopAndPlayAllTheRailStaysAtTheEndAndPollingStops()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}));
        Click(*w, {0}, 0);
        PollAt(*w, 5000);
        PollAt(*w, 10000);
        QCOMPARE(w->Rail().RailValue(), 1.0f);
        QVERIFY(!w->Timers().positionTimer->isActive());
        QCOMPARE(Tpc(*w).LastPollCaller, std::string("PollPosition no loop"));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);  // stays 2 with positionTimer disabled
        QCOMPARE(voice_.Opened().size(), size_t(1));
        // Play at the end starts the title again from 0.
        w->Controls().playButtons[0]->click();
        QCOMPARE(voice_.pos, 0);
        QCOMPARE(voice_.mode, std::string("playing"));
        QVERIFY(w->Timers().positionTimer->isActive());
    }

    void severalSelectedPlayInTurnAndStopAtTheEnd()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav", "d.wav"}));
        voice_.lengths = {{"b.wav", 20000}};
        Click(*w, {0, 1, 3}, 0);
        for (int32_t length : {10000, 20000, 10000}) {
            PollAt(*w, length / 2);
            PollAt(*w, length);
        }
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "b.wav", "d.wav"}));
        QCOMPARE(Title(*w).CurrentIndex, -1);
        QVERIFY(!w->Timers().positionTimer->isActive());
        QCOMPARE(w->Rail().RailValue(), 1.0f);
        QCOMPARE(voice_.pos, 10000);       // the last title stays at its end ...
        QVERIFY(voice_.mode != "playing");  // ... and does not play again
        QCOMPARE(Files(*w)->currentRow(), 3);
    }

    void severalSelectedWithLoopWrapToTheFirst()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}), "Loop=1\n");
        Click(*w, {1, 2}, 1);
        for (int i = 0; i < 3; ++i) {
            PollAt(*w, 5000);
            PollAt(*w, 10000);
        }
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"b.wav", "c.wav", "b.wav", "c.wav"}));
        QCOMPARE(Title(*w).CurrentIndex, 2);
        QVERIFY(w->Timers().positionTimer->isActive());
    }

    void playAllWithOneSelectedSkipsToTheNextEntry()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "All=1\n");
        Click(*w, {0}, 0);
        PollAt(*w, 5000);
        PollAt(*w, 10000);
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "b.wav"}));
        QCOMPARE(Files(*w)->currentRow(), 1);
        QVERIFY(Files(*w)->item(1)->isSelected());
        QVERIFY(!Files(*w)->item(0)->isSelected());
        PollAt(*w, 5000);
        PollAt(*w, 10000);  // the last entry without loop: polling stops
        QCOMPARE(voice_.Opened().size(), size_t(2));
        QVERIFY(!w->Timers().positionTimer->isActive());
        QCOMPARE(Tpc(*w).LastPollCaller, std::string("timer1"));
    }

    void aTitleStalledFor15PollsNearItsEndHasEnded()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "All=1\n");
        int64_t now = 1000000;
        Tpc(*w).Hooks.TickCountMs = [&now] { return now; };
        Click(*w, {0}, 0);
        now += 7000;  // more than 6 s since PlayTitle began
        PollAt(*w, 9995);  // rel 0.9995 > 0.999; the position stops here
        for (int poll = 1; poll < 15; ++poll)
            PollAt(*w, 9995);
        QCOMPARE(Tpc(*w).StallCount, 14);
        QCOMPARE(voice_.Opened().size(), size_t(1));
        PollAt(*w, 9995);
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "b.wav"}));
        QCOMPARE(Tpc(*w).StallCount, 0);
    }

    void aStallBeforeSixSecondsOfALongTitleIsNoEnd()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "All=1\n");
        int64_t now = 1000000;
        Tpc(*w).Hooks.TickCountMs = [&now] { return now; };
        Click(*w, {0}, 0);
        for (int poll = 0; poll < 20; ++poll)
            PollAt(*w, 9995);
        QCOMPARE(voice_.Opened().size(), size_t(1));
    }

    void aShortTitleStalledFor15PollsHasEndedAtOnce()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "All=1\n");
        voice_.defaultLength = 4000;
        Click(*w, {0}, 0);
        for (int poll = 0; poll < 16; ++poll)
            PollAt(*w, 1200);
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "b.wav"}));
    }

    void overlappedPlayStartsTheNextTitleBeforeTheEnd()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}), "Overlapped=1\nOverlappedPlayTimeMS=300\n");
        Click(*w, {0, 1, 2}, 0);
        QVERIFY(Tpc(*w).OverlappedActive);
        PollAt(*w, 5000);
        PollAt(*w, 9650);  // 350 ms left
        QCOMPARE(voice_.Opened().size(), size_t(1));
        PollAt(*w, 9750);  // 250 ms left: the next title starts
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "b.wav"}));
        QCOMPARE(Title(*w).CurrentIndex, 1);
        PollAt(*w, 0);  // the new title's first poll is no end
        PollAt(*w, 100);
        QCOMPARE(voice_.Opened().size(), size_t(2));
    }

    void overlappedDirectShowKeepsThePreviousTitleUntilCloseLastMediaTimer()
    {
        test::MsgBoxRecorder boxes;
        FakeDirectShow ds;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}), "Overlapped=1\n");
        w->Front().DirectShow = &ds;
        w->Front().MediaInterface = kMediaInterfaceDirectShow;
        Click(*w, {0, 1}, 0);
        QCOMPARE(ds.opened.size(), size_t(1));
        Tpc(*w).PollPosition();
        ds.position = 9.95;
        const size_t closesBefore = ds.closes.size();
        Tpc(*w).PollPosition();
        QCOMPARE(ds.opened.size(), size_t(2));
        const std::vector<bool> closes(ds.closes.begin() + long(closesBefore), ds.closes.end());
        QVERIFY(!closes.empty());
        QVERIFY(std::all_of(closes.begin(), closes.end(), [](bool keepLast) { return keepLast; }));
        QCOMPARE(ds.closeLasts, 0);
        w->Timers().closeLastMediaTimer->start();  // Part 3.4 starts it after the new title runs
        QTRY_COMPARE(ds.closeLasts, 1);
        QVERIFY(!w->Timers().closeLastMediaTimer->isActive());
        w->Front().DirectShow = nullptr;
        w->Front().MediaInterface = kMediaInterfaceMCI;
    }

    void aFileInUseIsPlayedFromATemporaryCopyWithDirectShowOnce()
    {
        test::MsgBoxRecorder boxes;
        FakeDirectShow ds;
        const std::string folder = MakeFolder({"busy.wav", "seen.wav"});
        const auto w = LoadWindow(folder);
        w->Front().DirectShow = &ds;
        w->Front().MediaInterface = kMediaInterfaceDirectShow;
        std::vector<std::string> copied;
        Tpc(*w).Hooks.CreateTempCopy = [&](const std::string& name) {
            copied.push_back(name);
            const std::string copy = Path("Vistrel1a2b.tmp");
            QFile::remove(QString::fromStdString(copy));
            QFile::copy(QString::fromStdString(name), QString::fromStdString(copy));
            return copy;
        };
        Tpc(*w).PlayTitle(folder + "seen.wav", false);  // played before: level 2
        QFile writer(QString::fromStdString(folder + "busy.wav"));
        QFile writer2(QString::fromStdString(folder + "seen.wav"));
        QVERIFY(writer.open(QIODevice::Append) && writer2.open(QIODevice::Append));
        QCOMPARE(FileAccessLevel(folder + "busy.wav"), kAccessReadOnly);
        Tpc(*w).PlayTitle(folder + "busy.wav", false);
        Tpc(*w).PlayTitle(folder + "seen.wav", false);
        QCOMPARE(copied, (std::vector<std::string>{folder + "busy.wav"}));
        QCOMPARE(ds.opened, (std::vector<std::string>{folder + "seen.wav", Path("Vistrel1a2b.tmp"), folder + "seen.wav"}));
        // With MCI nothing is copied.
        w->Front().DirectShow = nullptr;
        w->Front().MediaInterface = kMediaInterfaceMCI;
        Tpc(*w).PlayTitle(folder + "busy.wav", false);
        QCOMPARE(copied.size(), size_t(1));
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"busy.wav"}));
    }

    void aMissingFileShowsFileNotFoundAndTheCaptionReturnsToTheProgramTitle()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"a.wav"});
        const auto w = LoadWindow(folder);
        Click(*w, {0}, 0);
        QCOMPARE(w->windowTitle(), QString("a.wav - Vistrel"));
        Tpc(*w).PlayTitle(folder + "gone.wav", false);
        QCOMPARE(w->Controls().tipLabel->text(), QString("file not found"));
        QVERIFY(!w->Controls().tipBox->isHidden());
        QVERIFY(w->Timers().hideTipTimer->isActive());
        QCOMPARE(w->windowTitle(), QString("Vistrel"));
        QCOMPARE(Tpc(*w).LastFailedFile, folder + "gone.wav");
        QCOMPARE(Title(*w).playState, MMSTATE_CLOSED);
        QCOMPARE(Label(*w, 0), QString());
        QVERIFY(boxes.Messages().empty());
        QTRY_VERIFY_WITH_TIMEOUT(w->Controls().tipBox->isHidden(), 4000);
        QVERIFY(!w->Timers().hideTipTimer->isActive());
    }

    void aMissingFolderShowsPathNotFound()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        Tpc(*w).PlayTitle(Path("no-such-folder/a.wav"), false);
        QCOMPARE(w->Controls().tipLabel->text(), QString("path not found"));
        QCOMPARE(w->windowTitle(), QString("Vistrel"));
    }

    void everyReadErrorHasItsTipText()
    {
        QCOMPARE(UnreadableFileTipText(int32_t(0x80030309)), std::string("CSS scrambled file"));
        QCOMPARE(UnreadableFileTipText(2), std::string("file not found"));
        QCOMPARE(UnreadableFileTipText(3), std::string("path not found"));
        QCOMPARE(UnreadableFileTipText(5), std::string("access denied"));
        QCOMPARE(UnreadableFileTipText(21), std::string("drive not ready"));
        QCOMPARE(UnreadableFileTipText(123), std::string("invalid file name"));
        QCOMPARE(UnreadableFileTipText(32), std::string("error sharing violation"));
        QCOMPARE(UnreadableFileTipText(-2147024891), std::string("error 0x80070005"));
        QCOMPARE(UnreadableFileTipText(10021), std::string("error 10021"));
    }

    void aLockedFileShowsItsMessageAndPlaysNothing()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"a.wav"});
        const auto w = LoadWindow(folder);
        Tpc(*w).Hooks.FileAccessLevel = [](const std::string&) { return kAccessLocked; };
        Tpc(*w).PlayTitle(folder + "a.wav", false);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("This file is locked by another application"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(boxes.Messages()[0].title, std::string("Vistrel"));
        QVERIFY(voice_.Opened().empty());
        QCOMPARE(Title(*w).playState, MMSTATE_CLOSED);
    }

    void accessLevelsFollowTheReadLease()
    {
        const std::string folder = MakeFolder({"a.wav"});
        QCOMPARE(FileAccessLevel(folder + "a.wav"), kAccessFull);
        QCOMPARE(FileAccessLevel(folder + "none.wav"), kAccessLocked);
        QFile writer(QString::fromStdString(folder + "a.wav"));
        QVERIFY(writer.open(QIODevice::ReadWrite));
        QVERIFY(IsOpenForWritingElsewhere(folder + "a.wav"));
        QCOMPARE(FileAccessLevel(folder + "a.wav"), kAccessReadOnly);
        writer.close();
        QCOMPARE(FileAccessLevel(folder + "a.wav"), kAccessFull);
    }

    void aRefusedDecoyShowsItsMessageAndPlaysNothing()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"song.mp3"}, "decoy_html_upper_as_song.mp3");
        const auto w = LoadWindow(folder);
        Click(*w, {0}, 0);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("song.mp3\r\nappears to be a HTML file"));
        QCOMPARE(boxes.Messages()[0].flags, int(vbExclamation));
        QVERIFY(voice_.Opened().empty());
        for (int i = 0; i < 7; ++i)
            QCOMPARE(Label(*w, i), QString());
        QVERIFY(Title(*w).playState != MMSTATE_PLAY);
        QVERIFY(!w->Timers().positionTimer->isActive());
    }

    void label0IsDarkRedWhenTheExtensionPromisesAnotherType()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"track.wav", "track.mp3"}, "mp3_cbr_128k.mp3");
        const auto w = LoadWindow(folder);
        QLabel* label0 = w->Controls().formatInfoLabels[0];
        Tpc(*w).PlayTitle(folder + "track.wav", false);
        QCOMPARE(label0->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        Tpc(*w).PlayTitle(folder + "track.mp3", false);
        QCOMPARE(label0->palette().color(QPalette::WindowText), QApplication::palette(label0).color(QPalette::WindowText));
        QVERIFY(Label(*w, 0).startsWith("MPEG-1 Audio"));
    }

    void aVideoTitleShowsTheVideoAreaAndNeverOverlaps()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"v.avi"}, "avi_mjpeg_pcm.avi"), "Overlapped=1\n");
        voice_.window = 0x4400001;
        Tpc(*w).Hooks.Sleep = [this](int32_t) { voice_.pos += 40; };  // the video starts moving
        Click(*w, {0}, 0);
        QCOMPARE(Title(*w).videoWindow, WindowHandle(0x4400001));
        QCOMPARE(Title(*w).innerVideoWindow, WindowHandle(0x4400001));
        QVERIFY(!w->Controls().videoArea->isHidden());
        QVERIFY(w->Timers().mouseTimer->isActive());
        QVERIFY(!Tpc(*w).OverlappedActive);
        QCOMPARE(Tpc(*w).FrameRate, 25.0);
        QVERIFY(voice_.Sent("pause voice1") && voice_.Sent("stop voice1"));
        QCOMPARE(voice_.mode, std::string("playing"));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
        QVERIFY(!QApplication::overrideCursor());  // the hourglass of a video open is gone
        w->Controls().playButtons[2]->click();
        QVERIFY(w->Controls().videoArea->isHidden());
        QCOMPARE(Title(*w).videoWindow, WindowHandle(0));
        QVERIFY(!w->Timers().mouseTimer->isActive());
    }

    void mciTestPanelShowsOnExpandAndOverridesTheDeviceType()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        auto* panel = w->findChild<QWidget*>("MciTestPanel");
        QVERIFY(panel && panel->isHidden());
        w->Controls().expandButton->click();
        QVERIFY(!panel->isHidden());
        w->findChild<QComboBox*>("deviceTypeBox")->setCurrentIndex(4);  // "WAVEAudio"
        Click(*w, {0}, 0);
        QVERIFY(!voice_.log.empty());
        const auto open = std::find_if(voice_.log.begin(), voice_.log.end(),
                                       [](const std::string& c) { return c.rfind("open ", 0) == 0; });
        QVERIFY(open != voice_.log.end());
        QVERIFY2(open->find(" type WAVEAudio") != std::string::npos, open->c_str());
    }

    // ---- Buttons, skip, streams, keep-awake ------------------------------------------

    void pauseResumeAndStop()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        Click(*w, {0}, 0);
        w->Controls().playButtons[1]->click();
        QCOMPARE(voice_.mode, std::string("paused"));
        QCOMPARE(Title(*w).playState, MMSTATE_PAUSE);
        QVERIFY(!w->Timers().positionTimer->isActive());
        w->Menus().pauseAction->trigger();
        QCOMPARE(voice_.mode, std::string("playing"));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
        QVERIFY(w->Timers().positionTimer->isActive());
        PollAt(*w, 4000);
        w->Controls().playButtons[2]->click();
        QVERIFY(voice_.Sent("stop voice1"));
        QVERIFY(!voice_.open);
        QCOMPARE(Title(*w).playState, MMSTATE_CLOSED);
        QCOMPARE(w->Rail().RailValue(), 0.0f);
        QCOMPARE(Label(*w, 0), QString());
        QVERIFY(!w->Timers().positionTimer->isActive());
        // Play after stop opens the selection again.
        w->Menus().playAction->trigger();
        QCOMPARE(voice_.Opened().size(), size_t(2));
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
    }

    void playWithNothingSelectedSelectsTheCaretEntry()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav"}));
        Select(*w, {}, 1);
        w->Controls().playButtons[0]->click();
        QVERIFY(Files(*w)->item(1)->isSelected());
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"b.wav"}));
    }

    void skipMovesASingleSelectionAndWraps()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}));
        Click(*w, {2}, 2);
        Tpc(*w).FolderChanged = false;
        w->Controls().skipButtons[1]->click();  // after the last entry: the first
        QCOMPARE(Files(*w)->currentRow(), 0);
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"c.wav", "a.wav"}));
        w->Controls().skipButtons[0]->click();  // before the first: the last
        QCOMPARE(voice_.Opened().back(), std::string("c.wav"));
        QCOMPARE(Tpc(*w).LastPollCaller, std::string("SkipClicked"));
    }

    void skipWithNothingSelectedStartsAtTheFirstOrLastEntry()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}));
        w->Controls().skipButtons[0]->click();
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"c.wav"}));
        Select(*w, {}, -1);
        w->Controls().skipButtons[1]->click();
        QCOMPARE(voice_.Opened().back(), std::string("a.wav"));
    }

    void skipWithSeveralSelectedPlaysTheNextAndPreviousSelected()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav", "b.wav", "c.wav"}));
        Click(*w, {0, 2}, 0);
        w->Controls().skipButtons[1]->click();
        QCOMPARE(voice_.Opened(), (std::vector<std::string>{"a.wav", "c.wav"}));
        QCOMPARE(Title(*w).CurrentIndex, 2);
        w->Controls().skipButtons[0]->click();
        QCOMPARE(voice_.Opened().back(), std::string("a.wav"));
        QCOMPARE(Title(*w).CurrentIndex, 0);
        PollAt(*w, 4000);
        w->Controls().skipButtons[0]->click();  // no earlier selected entry: the title restarts
        QCOMPARE(voice_.Opened().size(), size_t(3));
        QCOMPARE(voice_.pos, 0);
        QCOMPARE(voice_.mode, std::string("playing"));
    }

    void streamMenusFollowTheBackEnd()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"a.wav"});
        const auto w = LoadWindow(folder);
        const MainMenus& m = w->Menus();
        Click(*w, {0}, 0);
        QVERIFY(!m.streamsMenu->isEnabled());
        QVERIFY(m.audioStreamActions[1]->isVisible());
        QVERIFY(!m.audioStreamActions[1]->isEnabled());
        QVERIFY(!m.audioStreamActions[1]->isChecked());
        FakeDirectShow ds;
        ds.audioStreams = 3;
        w->Front().DirectShow = &ds;
        w->Front().MediaInterface = kMediaInterfaceDirectShow;
        Tpc(*w).PlayTitle(folder + "a.wav", false);
        QVERIFY(m.streamsMenu->isEnabled());
        QVERIFY(m.audioStreamActions[3]->isVisible() && !m.audioStreamActions[4]->isVisible());
        QVERIFY(m.audioStreamActions[1]->isChecked());
        m.audioStreamActions[2]->trigger();
        QCOMPARE(ds.selectedAudio, (std::vector<int32_t>{2}));
        QVERIFY(m.audioStreamActions[2]->isChecked() && !m.audioStreamActions[1]->isChecked());
        Tpc(*w).CloseMedia(false, false, false);
        QVERIFY(!m.streamsMenu->isEnabled());
        QVERIFY(!m.audioStreamActions[2]->isVisible() && !m.audioStreamActions[2]->isChecked());
        w->Front().DirectShow = nullptr;
        w->Front().MediaInterface = kMediaInterfaceMCI;
    }

    void directShowThatCannotOpenSaysSo()
    {
        test::MsgBoxRecorder boxes;
        const std::string folder = MakeFolder({"a.wav"});
        const auto w = LoadWindow(folder);
        FakeDirectShow ds;
        ds.failOpen = true;
        w->Front().DirectShow = &ds;
        w->Front().MediaInterface = kMediaInterfaceDirectShow;
        Tpc(*w).PlayTitle(folder + "a.wav", false);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("Cannot play this file"));
        QCOMPARE(Title(*w).playState, MMSTATE_CLOSED);
        w->Front().DirectShow = nullptr;
        w->Front().MediaInterface = kMediaInterfaceMCI;
    }

    void checkBoxLabelsToggleTheirBoxes()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        QTest::mouseClick(w->Controls().loopIcon, Qt::LeftButton);
        QVERIFY(w->Controls().loopCheck->isChecked());
        QTest::mouseClick(w->Controls().overlappedLabel, Qt::LeftButton);
        QVERIFY(w->Controls().overlappedCheck->isChecked());
        QVERIFY(Tpc(*w).OverlappedActive);
        QTest::mouseClick(w->Controls().overlappedLabel, Qt::LeftButton);
        QVERIFY(!Tpc(*w).OverlappedActive);
    }

    void mediaInterfaceLabelPressRefusesWhilePlaying()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        Click(*w, {0}, 0);
        QTest::mouseClick(w->Controls().mediaInterfaceLabel, Qt::LeftButton);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("Stop before switching the interface!"));
        w->Controls().playButtons[2]->click();
        QTest::mouseClick(w->Controls().mediaInterfaceLabel, Qt::LeftButton);
        QCOMPARE(boxes.Messages().back().text, std::string("DirectShow is not availlable! Still using MCI"));
        QCOMPARE(w->Controls().mediaInterfaceLabel->text(), QString("MCI"));
    }

    void closingPausesClosesAndSavesTheInterface()
    {
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"a.wav"}));
        Click(*w, {0}, 0);
        w->close();
        QVERIFY(voice_.Sent("pause voice1"));
        QVERIFY(!voice_.open);
        QCOMPARE(Title(*w).playState, MMSTATE_CLOSED);
        QVERIFY(test::ReadText(program::IniFile).find("UseMCI=1") != std::string::npos);
    }

    void keepAwakeInhibitsTheScreenSaverWhilePlaying()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus: run through ./test.sh");
        test::FakeScreenSaver fake(7);
        QVERIFY(fake.Registered());
        {
            test::MsgBoxRecorder boxes;
            const auto w = LoadWindow(MakeFolder({"a.wav"}));
            Click(*w, {0}, 0);
            QVERIFY(Tpc(*w).Inhibitor().Inhibited());
            QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit Vistrel Playing media"}));
            w->Controls().playButtons[1]->click();
            QVERIFY(!Tpc(*w).Inhibitor().Inhibited());
            QTRY_COMPARE(fake.Calls().size(), 2);
            QCOMPARE(fake.Calls().last(), QString("UnInhibit 7"));
        }
    }

    // ---- The real MCI service --------------------------------------------------------

    void realMciPlaysAClickedTitleToItsEnd()
    {
        mci::SetCommandSender({});
        test::MsgBoxRecorder boxes;
        // Longer than 5 s: an audio start that stalls 1.5 s under load must not count as
        // the end of the title (Part 3.3 E.4 ends titles of at most 5 s that way).
        const std::string folder = MakeFolder({"a.mp3"}, "mp3_6s_8k_mono.mp3");
        const auto w = LoadWindow(folder);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QListWidget* files = Files(*w);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
        QCOMPARE(mci::GetVoice1Mode(), std::string("playing"));
        const int32_t length = Title(*w).CurrentTitleLengthMS;
        QVERIFY2(length > 6000 && length < 6400, qPrintable(QString::number(length)));
        QTRY_COMPARE_WITH_TIMEOUT(w->Rail().RailValue(), 1.0f, 20000);
        QTRY_VERIFY(!w->Timers().positionTimer->isActive());
        QVERIFY(mci::GetVoice1Mode() != "playing");
        QCOMPARE(Title(*w).playState, MMSTATE_PLAY);
        QCOMPARE(w->windowTitle(), QString("a.mp3 - Vistrel"));
        QVERIFY2(boxes.Messages().empty(), boxes.Messages().empty() ? "" : boxes.Messages()[0].text.c_str());
    }

    void realMciPlaysSeveralSelectedAndStopsAfterTheLast()
    {
        mci::SetCommandSender({});
        test::MsgBoxRecorder boxes;
        // Titles over 5 s, as above: a stalled audio start must not end the selection.
        const auto w = LoadWindow(MakeFolder({"a.mp3", "b.mp3"}, "mp3_6s_8k_mono.mp3"));
        Click(*w, {0, 1}, 0);
        QCOMPARE(Title(*w).CurrentIndex, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Title(*w).CurrentIndex, 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(Title(*w).CurrentIndex, -1, 20000);
        QVERIFY(!w->Timers().positionTimer->isActive());
        QTest::qWait(300);
        QVERIFY(mci::GetVoice1Mode() != "playing");
        QCOMPARE(w->Rail().RailValue(), 1.0f);
        QVERIFY(boxes.Messages().empty());
    }

    void realMciRefusesADecoy()
    {
        mci::SetCommandSender({});
        test::MsgBoxRecorder boxes;
        const auto w = LoadWindow(MakeFolder({"song.mp3"}, "decoy_html_upper_as_song.mp3"));
        Click(*w, {0}, 0);
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, std::string("song.mp3\r\nappears to be a HTML file"));
        QCOMPARE(mci::GetVoice1Mode(), std::string());  // nothing is open
    }

    void cleanupTestCase() { mciCloseAll(); }
};

QTEST_MAIN(TestTitlePlay)
#include "tst_part_3_3_titleplay.moc"
