// The title play control in a real main window (offscreen, settings in a temporary folder),
// driven through its widgets. A scripted MCI device makes ends, loops, play-all, overlapped
// play and stalls deterministic: the tests set its position and run the position poll.
#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "controls/PositionRail.h"
#include "playback/AccessLevel.h"
#include "playback/MciVoice.h"
#include "playback/TitlePlayControl.h"
#include "support/FakeBusService.h"
#include "support/FilePaths.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

namespace {

// A device under the alias voice1 that plays while its position is short of its length.
// Titles last 10 s, "b.wav" 20 s and "1.wav" 4 s.
struct FakeVoice {
    WindowHandle window = 0;
    bool open = false;
    std::string mode, opened;  // opened: the first letter of each file opened, in order
    int32_t pos = 0, length = 0;
    std::vector<std::string> log;

    MciError Send(const std::string& c, std::string& reply)
    {
        log.push_back(c);
        const auto starts = [&c](const char* head) { return c.rfind(head, 0) == 0; };
        if (starts("open \"")) {
            const std::string name = GetFileNamePart(c.substr(6, c.find('"', 6) - 6));
            opened += name[0];
            open = true, mode = "stopped", pos = 0;
            length = name == "b.wav" ? 20000 : name == "1.wav" ? 4000 : 10000;
            return 0;
        }
        if (!std::exchange(open, open && c != "close voice1"))
            return MCIERR_INVALID_DEVICE_NAME;
        if (c == "status voice1 window handle" && window == 0)
            return MCIERR_NO_WINDOW;
        const std::map<std::string, std::string> status{{"status voice1 mode", mode},
            {"status voice1 length", std::to_string(length)}, {"status voice1 Position", std::to_string(pos)},
            {"status voice1 window handle", std::to_string(window)}};
        reply = status.count(c) ? status.at(c) : "";
        if (starts("play voice1") || starts("resume voice1"))
            mode = pos < length ? "playing" : "stopped";
        else if (c == "pause voice1" && mode == "playing")
            mode = "paused";
        else if (c == "stop voice1")
            mode = "stopped";
        else if (starts("seek voice1 to "))
            mode = "stopped", pos = std::min(length, std::stoi(c.substr(15)));
        return 0;
    }
    std::string State() const { return open ? mode + " " + std::to_string(pos) : "closed"; }
    int Count(const std::string& c) const { return int(std::count(log.begin(), log.end(), c)); }
};

}  // namespace

class TestTitlePlay : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    FakeVoice voice_;
    std::optional<test::MsgBoxRecorder> boxes_;  // none may show unless the test takes them
    int folders_ = 0;
    QString folder_;  // the last window's folder, with a trailing "/"

    std::string In(const QString& name) const { return (folder_ + name).toStdString(); }

    // A shown window on a new folder that holds a copy of `fixture` under each name.
    std::unique_ptr<MainWindow> Window(const QStringList& names, const QString& keys = "",
                                       const char* fixture = "wav_pcm16_stereo.wav")
    {
        folder_ = QString::fromStdString(fixture_.Path(std::to_string(++folders_))) + "/";
        QDir().mkpath(folder_);
        for (const QString& name : names)
            QFile::copy(QString::fromStdString(test::Fixture(fixture)), folder_ + name);
        return fixture_.Show("UseMCI=1\nPath=" + In("") + "\n" + keys.toStdString());
    }

    // Left clicks on the file list's `rows`: the first with `first`, the others with Ctrl.
    static void Click(const MainWindow& w, const QList<int>& rows, Qt::KeyboardModifiers first = Qt::NoModifier)
    {
        for (qsizetype i = 0; i < rows.size(); ++i)
            QTest::mouseClick(w.Controls().fileList->viewport(), Qt::LeftButton, i ? Qt::ControlModifier : first,
                              test::RowRect(w, rows[i]).center());
    }

    void PollAt(const MainWindow& w, int32_t ms)
    {
        voice_.mode = (voice_.pos = ms) < voice_.length ? voice_.mode : "stopped";
        w.TitlePlay().PollPosition();
    }

private slots:
    void init()
    {
        voice_ = FakeVoice{};
        boxes_.emplace();
        MciVoice::SetCommandSender({[this](const std::string& c, std::string& r) { return voice_.Send(c, r); },
                                    [](MciError code) { return "MCI error " + std::to_string(code); }});
    }

    void cleanup()
    {
        MciVoice::SetCommandSender({});
        QVERIFY(!boxes_ || boxes_->Messages().empty());
    }

    // b.wav is held open for writing elsewhere: it plays all the same, and the write lease
    // tells it apart from a file nobody writes to.
    void aClickPlaysTheTitleAndNamesItInTheCaption()
    {
        const auto w = Window({"a.wav", "b.wav"}, "CurrentFileDefaultVolume=640\n");
        QLabel* label0 = w->Controls().formatInfoLabels[0];
        const QColor normal = label0->palette().color(QPalette::WindowText);
        QFile writer(folder_ + "b.wav");
        QVERIFY(writer.open(QIODevice::Append));
        QCOMPARE(FileAccessLevel(In("b.wav")), kAccessReadOnly);
        Click(*w, {1});
        QCOMPARE(voice_.opened + " " + voice_.State(), std::string("b playing 0"));
        QVERIFY(voice_.Count("setaudio voice1 volume to 640"));
        QCOMPARE(w->windowTitle(), QString("b.wav - Vistrel"));
        QCOMPARE(label0->text(), QString("RIFF WAVE"));
        QCOMPARE(w->findChild<QLabel*>("lengthLabel")->text(), QString("0:20"));
        writer.close();
        QCOMPARE(FileAccessLevel(In("b.wav")), kAccessFull);
        QCOMPARE(FileAccessLevel(In("none.wav")), kAccessLocked);
        // A name whose extension promises another type shows label 0 in dark red.
        QVERIFY(QFile::remove(folder_ + "a.wav"));
        QVERIFY(QFile::copy(QString::fromStdString(test::Fixture("mp3_cbr_128k.mp3")), folder_ + "a.wav"));
        Click(*w, {0});
        QVERIFY(label0->text().startsWith("MPEG-1 Audio"));
        QCOMPARE(label0->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        Click(*w, {1});
        QCOMPARE(label0->palette().color(QPalette::WindowText), normal);
    }

    // Steps: "end" runs the title to its end in two polls; "@N" polls at N ms ("@NxK" K times);
    // "+N" moves the clock; "clickN" clicks row N, "ctrlN" with Ctrl; "caretN" moves the caret;
    // "listclick" is the list's click as the control gets it; "delete1", "rmdir" and "lock" take
    // b.wav away; "fwd" presses and releases the seek-forward button, and the poll ticks once if
    // it runs; the others press the buttons. After them: the titles opened, CurrentIndex,
    // playState, the device, whether the poll runs, and the tip or box that says why not.
    void steps_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("files");  // one letter each: "a" is a.wav
        QTest::addColumn<QList<int>>("clicked");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("after");
        const QString all = "All=1", loop = "Loop=1", ovl = "Overlapped=1\nOverlappedPlayTimeMS=300";
        auto row = [](const char* name, const QString& keys, const char* files, const QList<int>& clicked,
                      const char* steps, const char* after) {
            QTest::newRow(name) << keys << files << clicked << steps << after;
        };
        row("one title ends: the rail stays at the end", "", "ab", {0}, "end", "a 0 play stopped 10000");
        row("play at the end starts from 0", "", "ab", {0}, "end play", "a 0 play playing 0 polling");
        row("loop starts from 0", loop, "ab", {0}, "end", "a 0 play playing 0 polling");
        row("the selection in turn, then stop", "", "abcd", {0, 1, 3}, "end end end", "abd -1 play stopped 10000");
        row("the selection with loop", loop, "abc", {1, 2}, "end end end", "bcbc 2 play playing 0 polling");
        row("play all stops after the last entry", all, "ab", {0}, "end end", "ab 1 play stopped 20000");
        row("adding to the selection", "", "abc", {0}, "@3000 ctrl1 ctrl2", "a 0 play playing 3000 polling");
        row("the list's click on the playing title", "", "ab", {0}, "@3000 listclick", "aa 0 play playing 0 polling");
        row("stalled near the end after 6 s: ended", all, "ab", {0}, "+7000 @9995x16", "ab 1 play playing 0 polling");
        row("stalled one poll less: not yet", all, "ab", {0}, "+7000 @9995x15", "a 0 play playing 9995 polling");
        row("stalled near the end within 6 s", all, "ab", {0}, "+5999 @9995x20", "a 0 play playing 9995 polling");
        row("stalled away from the end", all, "ab", {0}, "+7000 @9980x20", "a 0 play playing 9980 polling");
        row("5 s or less stalled after 6 s: ended", all, "1a", {0}, "+7000 @1200x16", "1a 1 play playing 0 polling");
        row("short, starting: not ended", "", "1b", {1}, "@100x10 click0 @100x16", "b1 0 play playing 100 polling");
        row("old title's stall ignored", "", "1b", {1}, "@100x10 click0 +7000 @100x6", "b1 0 play playing 100 polling");
        row("overlap: 350 ms left", ovl, "abc", {0, 1, 2}, "@5000 @9650", "a 0 play playing 9650 polling");
        row("overlap: 250 ms left", ovl, "abc", {0, 1, 2}, "@9650 @9750 @0 @100", "ab 1 play playing 100 polling");
        row("next after the last, prev before the first", "", "abc", {2}, "next prev", "cac 2 play playing 0 polling");
        row("next with nothing selected: the first", "", "abc", {}, "next", "a 0 play playing 0 polling");
        row("previous with nothing selected: the last", "", "abc", {}, "prev", "c 2 play playing 0 polling");
        row("next, previous, then from 0", "", "abc", {0, 2}, "next prev @4000 prev", "aca 0 play playing 0 polling");
        row("play with nothing selected: the caret's", "", "ab", {}, "caret1 play", "b 1 play playing 0 polling");
        row("pause", "", "a", {0}, "@4000 pause", "a 0 pause paused 4000");
        row("pause again plays on", "", "a", {0}, "pause pause", "a 0 play playing 0 polling");
        row("stop", "", "a", {0}, "@4000 stop", "a 0 closed closed");
        row("stop with nothing open", "", "a", {}, "stop", " -1 closed closed");
        row("a seek while paused stays paused", "", "a", {0}, "@4000 pause fwd", "a 0 pause stopped 9000");
        row("a seek after stop does not poll", all, "1a", {0}, "stop fwd", "1 0 closed closed");
        row("play after stop opens the selection again", "", "a", {0}, "stop play", "aa 0 play playing 0 polling");
        row("deleted", "", "ab", {0}, "delete1 click1", "a 1 closed closed tip: file not found");
        row("folder deleted", "", "ab", {0}, "rmdir click1", "a 1 closed closed tip: path not found");
        row("locked", "", "ab", {0}, "lock click1",
            "a 1 closed closed box: This file is locked by another application");
    }

    void steps()
    {
        QFETCH(QString, keys);
        QFETCH(QString, files);
        QFETCH(QList<int>, clicked);
        QFETCH(QString, steps);
        const QStringList names = files.split("", Qt::SkipEmptyParts).replaceInStrings(QRegularExpression("$"), ".wav");
        const auto w = Window(names, keys);
        const MainControls& c = w->Controls();
        const QMap<QString, QPushButton*> buttons{{"play", c.playButtons[0]}, {"pause", c.playButtons[1]},
                                                  {"stop", c.playButtons[2]}, {"prev", c.skipButtons[0]},
                                                  {"next", c.skipButtons[1]}};
        int64_t now = 1000000;
        w->TitlePlay().Hooks.TickCountMs = [&now] { return now; };
        Click(*w, clicked);
        for (const QString& step : steps.split(' ')) {
            const QStringList at = step.mid(1).split('x');
            if (step == "end")
                PollAt(*w, voice_.length / 2), PollAt(*w, voice_.length);
            else if (step.startsWith('@'))
                for (int i = 0; i < (at.size() > 1 ? at[1].toInt() : 1); ++i)
                    PollAt(*w, at[0].toInt());
            else if (step.startsWith('+'))
                now += step.mid(1).toInt();
            else if (step == "listclick")
                w->TitlePlay().FileListClicked();
            else if (step == "delete1" || step == "rmdir")
                QVERIFY(step == "rmdir" ? QDir(folder_).removeRecursively() : QFile::remove(folder_ + names[1]));
            else if (step == "lock")
                w->TitlePlay().Hooks.FileAccessLevel = [](const std::string&) { return kAccessLocked; };
            else if (step.startsWith("click") || step.startsWith("ctrl"))
                Click(*w, {step.back().digitValue()}, step[1] == 't' ? Qt::ControlModifier : Qt::NoModifier);
            else if (step == "fwd") {
                w->Rail().SeekButtonDown(1, kLeftButton), w->Rail().SeekButtonUp(1, kLeftButton);
                if (w->Timers().positionTimer->isActive())
                    w->TitlePlay().PollPosition();
            } else if (step.startsWith("caret"))
                w->Browser().MoveCaret(step.back().digitValue());
            else
                QTest::mouseClick(buttons.value(step), Qt::LeftButton);
        }
        const bool polling = w->Timers().positionTimer->isActive();
        QString after = QString::fromStdString(voice_.opened) + " " + QString::number(w->Title().CurrentIndex) + " " +
                        QString("none pause play").split(' ').value(w->Title().playState, "closed") + " " +
                        QString::fromStdString(voice_.State()) + (polling ? " polling" : "") +
                        (c.tipBox->isHidden() ? "" : " tip: " + c.tipLabel->text());
        for (const test::RecordedMessage& m : boxes_->Messages())
            after += QString(m.flags == kMsgExclamation && m.title == "Vistrel" ? " box: " : " odd: ") + m.text.c_str();
        boxes_.reset();
        QTEST(after, "after");
        QCOMPARE(c.formatInfoLabels[0]->text().isEmpty(), !voice_.open);
        if (!polling)  // the rail stays where the title stands
            QCOMPARE(w->Rail().RailValue(), voice_.open ? float(voice_.pos) / float(voice_.length) : 0.0f);
        if (!c.tipBox->isHidden()) {  // the caption names no title while the tip shows, for a while
            QCOMPARE(w->windowTitle(), QString("Vistrel"));
            QTRY_VERIFY_WITH_TIMEOUT(c.tipBox->isHidden(), 4000);
        }
    }

    void tipTextsOfOtherReadErrors()
    {
        const std::map<int32_t, std::string> tips{{int32_t(0x80030309), "CSS scrambled file"}, {5, "access denied"},
            {21, "drive not ready"}, {123, "invalid file name"}, {32, "error sharing violation"},
            {int32_t(0x8007000E), "error 0x8007000E"}, {10021, "error 10021"}};
        for (const auto& [code, tip] : tips)
            QCOMPARE(UnreadableFileTipText(code), tip);
    }

    void aVideoTitleShowsTheVideoAreaAndNeverOverlaps()
    {
        const auto w = Window({"v.avi"}, "Overlapped=1\n", "avi_mjpeg_pcm.avi");
        voice_.window = 0x4400001;
        w->TitlePlay().Hooks.Sleep = [this](int32_t) { voice_.pos += 40; };  // the video starts moving
        Click(*w, {0});
        QVERIFY(!w->Controls().videoArea->isHidden());
        QVERIFY(!w->TitlePlay().OverlappedActive);
        QVERIFY(voice_.Count("pause voice1") && voice_.Count("stop voice1"));
        QCOMPARE(voice_.mode, std::string("playing"));
        QVERIFY(!QApplication::overrideCursor());  // the busy pointer of a video open is gone
        QTest::mouseClick(w->Controls().playButtons[2], Qt::LeftButton);
        QVERIFY(w->Controls().videoArea->isHidden());
    }

    // Playing audio keeps the system from sleeping; closing the window pauses, closes and saves.
    void keepAwakeWhilePlayingAndSaveAtClose()
    {
        test::FakeBusService fake(test::BusService::Portal);
        QVERIFY2(fake.Registered(), "needs a session bus: run through ./test.sh");
        const auto w = Window({"a.wav"});
        Click(*w, {0});
        QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit 4 Playing audio"}));
        QTest::mouseClick(w->Controls().playButtons[1], Qt::LeftButton);
        QTRY_COMPARE(fake.Calls(), QStringList({"Inhibit 4 Playing audio", "Close"}));
        QTest::mouseClick(w->Controls().playButtons[1], Qt::LeftButton);
        w->close();
        QCOMPARE(voice_.Count("pause voice1"), 2);
        QCOMPARE(voice_.State(), std::string("closed"));
        QVERIFY(test::ReadText(program::IniFile).find("UseMCI=1") != std::string::npos);
        QTRY_COMPARE(fake.Calls().size(), 4);
    }
};

QTEST_MAIN(TestTitlePlay)
#include "tst_title_play.moc"
