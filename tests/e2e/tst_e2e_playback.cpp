// Playback in-process under Xvfb with real sound: the main window on a folder of demo files
// is clicked as a user would, libmpv (MCI) or playbin (DirectShow) plays into the null sink
// of scripts/services.sh, and the test listens to "nullsink.monitor", asks PulseAudio for
// Vistrel's stream and looks at the screen where the engine draws. Every check has a
// negative twin (silence, no stream, no colours).
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "e2e/NullSinkRecording.h"
#include "e2e/ScreenPixels.h"
#include "e2e/X11Client.h"
#include "platform/mci/MciService.h"
#include "playback/PlayerFront.h"
#include "support/HiddenDecoders.h"
#include "support/MainWindowFixture.h"
#include "video/VideoPresenter.h"
#include "video/VideoWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kSilentPeak = 64;             // the null sink's monitor carries exact zeros in silence
constexpr int kSoundPeak = 2000;            // a_major_chord.mp3 peaks near -9 dBFS
constexpr int kBytesPerSecond = 44100 * 4;  // s16le, 2 channels
constexpr int kOverlapMs = 800;             // OverlappedPlayTimeMS in the INI
constexpr int kTimerSlackMs = 300;          // positionTimer's 100 ms and a busy machine
constexpr int kEndToleranceMs = 150;        // how much earlier than its length a title may end
// Right after a start the engine's position can stand still while the sound already plays
// (PulseAudio's stream timing) and then catch up: wall time may fall short by this much.
constexpr int kStartCatchUpMs = 400;

// Unlike QTRY a failed wait is not tried again for twice as long: a broken program fails in time.
#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

// The MCI service names mpv's PulseAudio stream "Vistrel" (audio-client-name).
bool VistrelSinkInputExists()
{
    QProcess pactl;
    pactl.start("pactl", {"list", "sink-inputs"});
    return pactl.waitForFinished(kWaitMs) && pactl.readAllStandardOutput().contains("application.name = \"Vistrel\"");
}

// The device's own view of the title, asked of the MCI service ("": nothing open).
std::string DeviceStatus(const std::string& item)
{
    std::string reply;
    return mciSendString("status voice1 " + item, reply) == 0 ? reply : std::string();
}

// One title as sampled, from when it became current or started again from 0: its first
// and last samples, and the longest gap between two samples (how late our sampling ran).
struct Span {
    int index = -1, length = 0, firstPos = -1, lastPos = -1;
    QString name;
    qint64 firstMs = 0, lastMs = 0, maxGapMs = 0;
    // Wall time from the title's position 0 to its last sample, plus one late sample.
    qint64 HeardMs() const { return lastMs - firstMs + std::max(firstPos, 0) + maxGapMs; }
};
using Trace = std::vector<Span>;

std::vector<uint32_t> ViewableTopLevels(test::X11Client& x11)
{
    std::vector<uint32_t> shown = x11.Children(x11.Root());
    std::erase_if(shown, [&](uint32_t w) { return !x11.Geometry(w).value_or(test::X11Geometry{}).viewable; });
    return shown;
}

QByteArray Text(const Trace& trace)
{
    QStringList text;
    for (const Span& s : trace)
        text << QString("%1 %2: %3 at %4 .. %5 at %6 of %7 (%8)").arg(s.index).arg(s.name).arg(s.firstPos)
                    .arg(s.firstMs).arg(s.lastPos).arg(s.lastMs).arg(s.length).arg(s.maxGapMs);
    return text.join("; ").toUtf8();
}

}  // namespace

class TestE2ePlayback : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;  // the listed folder, with the INI file
    QProcess parecord_;                // records nullsink.monitor for the whole run
    test::MsgBoxRecorder boxes_;
    size_t expectedMessages_ = 0;
    std::unique_ptr<MainWindow> window_;

    const MainControls& Controls() const { return window_->Controls(); }
    QListView* Files() const { return Controls().fileList; }
    const TitleState& Title() const { return window_->Title(); }
    int RowOf(const QString& name) const
    {
        return Files()->model()->match(Files()->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0).row();
    }
    void Click(int button) { QTest::mouseClick(Controls().playButtons[button], Qt::LeftButton); }  // 0 Play, 2 Stop
    static void SetTicked(QCheckBox* box, bool ticked) { if (box->isChecked() != ticked) box->click(); }
    QString Interface() const { return Controls().mediaInterfaceLabel->text(); }
    void PressInterfaceLabel() { QTest::mousePress(Controls().mediaInterfaceLabel, Qt::LeftButton); }
    // A press on the back end's label while nothing plays switches to the other one.
    void SwitchTo(const QString& name)
    {
        if (Interface() != name)
            PressInterfaceLabel();
        QCOMPARE(Interface(), name);
    }

    void ClickFile(const QString& name, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(Files()->viewport(), Qt::LeftButton, modifiers, test::RowRect(*window_, RowOf(name)).center());
    }

    static int Peak(const QByteArray& raw)
    {
        int peak = 0;
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
            peak = std::max(peak, std::abs(int(*reinterpret_cast<const int16_t*>(raw.constData() + i))));
        return peak;
    }

    // Records 1.5 s of the null sink and checks it is loud or silent. Sound that waited in
    // the pipe or the server while our event loop was blocked comes first, faster than real
    // time: it is dropped until a 100 ms slice brings at most 1.5 times real time's worth.
    // Before a silent window, what the server had mixed before the stream went (its
    // latency's worth) is let through until a 100 ms slice is silent.
    void VerifySound(const char* when, bool heard)
    {
        QElapsedTimer slice;
        for (int i = 0; i < kWaitMs / 100; ++i) {
            parecord_.readAllStandardOutput();
            slice.start();
            QTest::qWait(100);
            if (parecord_.bytesAvailable() <= slice.elapsed() * kBytesPerSecond * 3 / 2000)
                break;
        }
        for (int i = 0; !heard && i < kWaitMs / 100 && Peak(parecord_.readAllStandardOutput()) > kSilentPeak; ++i)
            QTest::qWait(100);
        QByteArray raw;
        const int size = kBytesPerSecond * 3 / 2;
        (void)QTest::qWaitFor([&] { return (raw += parecord_.readAllStandardOutput()).size() >= size; }, kWaitMs);
        const int peak = Peak(raw);
        QVERIFY2(raw.size() >= size && (heard ? peak > kSoundPeak : peak <= kSilentPeak),
                 qPrintable(QString("%1: %2 bytes, peak %3").arg(when).arg(raw.size()).arg(peak)));
    }

    // Samples the current title every 20 ms until there are `titles` and the last one is no
    // title or has risen to 600 ms, or the bound passed.
    Trace Watch(size_t titles)
    {
        Trace trace;
        QElapsedTimer clock;
        clock.start();
        for (qint64 ms = 0, previousMs = 0; ms < kWaitMs; previousMs = ms, QTest::qWait(20)) {
            if (trace.size() == titles && (trace.back().index == -1 || trace.back().lastPos >= 600))
                break;
            ms = clock.elapsed();
            const std::string reply = DeviceStatus("position");
            const int pos = reply.empty() ? -1 : std::stoi(reply);
            const QString name = QFileInfo(QString::fromStdString(Title().CurrentTitle)).fileName();
            Span* span = trace.empty() ? nullptr : &trace.back();
            const bool restarted = span && pos >= 0 && pos + 200 < span->lastPos;
            if (!span || span->index != Title().CurrentIndex || span->name != name || restarted) {
                trace.push_back({Title().CurrentIndex, Title().CurrentTitleLengthMS, pos, pos, name, ms, ms, 0});
            } else if (pos >= 0) {
                span->maxGapMs = std::max(span->maxGapMs, ms - previousMs);
                span->lastMs = ms;
                span->lastPos = pos;
            }
        }
        return trace;
    }

    // A 64x48 clip of 8 s with two audio streams: silence, then a 440 Hz tone at -6 dBFS.
    static void MakeTwoStreamClip(const std::string& path)
    {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=c=gray:s=64x48:r=10:d=8",
                                "-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo:d=8", "-f", "lavfi", "-i",
                                "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=8", "-map", "0:v", "-map", "1:a",
                                "-map", "2:a", "-c:v", "mjpeg", "-c:a", "pcm_s16le", "-ac", "2", "-shortest", "-y",
                                QString::fromStdString(path)});
        QVERIFY2(ffmpeg.waitForFinished(kWaitMs) && ffmpeg.exitCode() == 0, ffmpeg.readAllStandardError().constData());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        QVERIFY2(test::StartNullSinkRecording(parecord_, kWaitMs), "no sound from nullsink.monitor: run through ./test.sh");
        // a_major_chord.mp3 lasts 4 s, chime.wav 1.5 s; the test card shows colour bars for 5 s.
        const std::pair<std::string, std::string> copies[] = {
            {"a_major_chord.mp3", "a_major_chord.mp3"}, {"chime.wav", "chime.wav"},
            {"vistrel_testcard.mp4", "vistrel_testcard.mp4"}, {"p1_chime.wav", "chime.wav"},
            {"p2_chime.wav", "chime.wav"}, {"p3_chime.wav", "chime.wav"},
            {"q1_testcard.mp4", "vistrel_testcard.mp4"}, {"q2_chime.wav", "chime.wav"}};
        for (const auto& [name, demo] : copies)
            test::WriteFile(fixture_.Path(name), test::ReadFile(test::Demo(demo)));
        test::WriteFile(fixture_.Path("clip.asf"), test::ReadFile(test::Fixture("asf_mpeg4_mp3.asf")));
        MakeTwoStreamClip(fixture_.Path("two_streams.avi"));
        QVERIFY(QDir().mkpath(QString::fromStdString(fixture_.Path("other"))));
        test::WriteFile(fixture_.Path("page.mp3"), "<html><head><title>Not a song</title></head></html>");
        window_ = fixture_.Show("UseMCI=1\nOverlappedPlayTimeMS=" + std::to_string(kOverlapMs) + "\n", fixture_.Path());
    }

    void cleanup()
    {
        if (Title().playState != MMSTATE_CLOSED && Title().playState != MMSTATE_NONE)
            Click(2);
        test::SelectRows(*window_, {}, -1);
        for (QCheckBox* box : {Controls().loopCheck, Controls().playAllCheck, Controls().overlappedCheck})
            SetTicked(box, false);
        WAIT_VERIFY2(!VistrelSinkInputExists(), "the stream named Vistrel stayed");
        QVERIFY2(boxes_.Messages().size() == expectedMessages_,
                 boxes_.Messages().empty() ? "" : boxes_.Messages().back().text.c_str());
    }

    void cleanupTestCase()
    {
        if (window_)
            window_->close();
        parecord_.kill();
        parecord_.waitForFinished(kWaitMs);
    }

    // A clicked MP3 names the window, plays, has its PulseAudio stream and is heard in the
    // null sink; before the click and after Stop the sink is silent; a click on it then
    // plays it again.
    void clickedMp3IsHeardInTheNullSink_data()
    {
        QTest::addColumn<QString>("backEnd");
        QTest::newRow("MCI") << "MCI";
        QTest::newRow("DirectShow") << "DirectShow";
    }
    void clickedMp3IsHeardInTheNullSink()
    {
        QFETCH(QString, backEnd);
        SwitchTo(backEnd);
        VerifySound("before the click", false);
        ClickFile("a_major_chord.mp3");
        WAIT_VERIFY2(window_->windowTitle() == "a_major_chord.mp3 - Vistrel", qPrintable(window_->windowTitle()));
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        WAIT_VERIFY2(VistrelSinkInputExists(), "no stream named Vistrel");
        VerifySound("playing", true);
        Click(2);
        WAIT_VERIFY2(!VistrelSinkInputExists(), "the stream named Vistrel stayed after Stop");
        VerifySound("after Stop", false);
        ClickFile("a_major_chord.mp3");  // the file still selected: the click plays it again
        VerifySound("clicked again", true);
        Click(2);
        SwitchTo("MCI");
    }

    // The test card's colour bars appear on screen in the video window, fill it, and go
    // with Stop. The engine opens no top-level window of its own.
    void clickedMp4ShowsItsColourBars_data() { clickedMp3IsHeardInTheNullSink_data(); }
    void clickedMp4ShowsItsColourBars()
    {
        QFETCH(QString, backEnd);
        SwitchTo(backEnd);
        test::X11Client x11;
        const std::vector<uint32_t> before = ViewableTopLevels(x11);
        const QWidget* video = &window_->Video().Window();
        const QPoint home = window_->pos();
        window_->move(-700, home.y());  // room for the whole picture beside the main window
        ClickFile("vistrel_testcard.mp4");
        WAIT_VERIFY2(video->isVisible() && video->width() > 100 && video->height() > 100, "no video window");
        const QRect area(video->mapToGlobal(QPoint(0, 0)), video->size());
        WAIT_VERIFY2(test::SaturatedColoursOnScreen(area) >= 4, "the colour bars did not show");
        // The picture fills the window: its last bar (cyan) reaches the right edge.
        const QRect rightEdge(area.right() - area.width() / 20, area.top() + area.height() / 4, area.width() / 20,
                              area.height() / 2);
        WAIT_VERIFY2(test::SaturatedColoursOnScreen(rightEdge) >= 1, "the picture does not fill the video window");
        std::vector<uint32_t> added = ViewableTopLevels(x11);
        std::erase_if(added, [&](uint32_t w) {
            return w == video->winId() || std::find(before.begin(), before.end(), w) != before.end();
        });
        QCOMPARE(added, std::vector<uint32_t>{});
        Click(2);
        WAIT_VERIFY2(test::SaturatedColoursOnScreen(area) < 2, "the colour bars stayed after Stop");
        window_->move(home);
        SwitchTo("MCI");
    }

    // Play on the files selected by click and Ctrl+click. With "loop" the one title plays
    // to its end and starts again from 0, also after a visit to another folder. Several selected titles run in list order, each to
    // its end; after the last one no title is current ("") and the last title plays out.
    // With "overlapped" each title's end comes OverlappedPlayTimeMS early: the next one
    // starts then (the MCI service has one device, so the previous one is closed).
    void playsTheTitlesInTurn_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<bool>("overlapped");
        QTest::newRow("loop") << QStringList{"chime.wav", "chime.wav"} << true << false;
        QTest::newRow("play all") << QStringList{"p1_chime.wav", "p2_chime.wav", "p3_chime.wav", ""} << false << false;
        QTest::newRow("overlapped") << QStringList{"a_major_chord.mp3", "chime.wav", ""} << false << true;
    }
    void playsTheTitlesInTurn()
    {
        QFETCH(QStringList, titles);
        QFETCH(bool, loop);
        QFETCH(bool, overlapped);
        SetTicked(Controls().loopCheck, loop);
        SetTicked(Controls().playAllCheck, !loop);
        SetTicked(Controls().overlappedCheck, overlapped);
        const qsizetype n = titles.size();
        for (const QString& name : titles.first(loop ? 1 : n - 1))
            ClickFile(name, name == titles[0] ? Qt::NoModifier : Qt::ControlModifier);
        Click(2);
        Click(0);
        if (loop) {  // away to another folder and back: the title is selected again and loops
            window_->Browser().SetFolder(fixture_.Path("other"));
            window_->Browser().SetFolder(fixture_.Path());
            QVERIFY(window_->Browser().SelectedFlags()[RowOf(titles[0])]);
        }
        const Trace trace = Watch(n);
        const QByteArray text = Text(trace);
        QVERIFY2(trace.size() == size_t(n), text.constData());
        for (qsizetype i = 0; i < n; ++i) {
            const Span& s = trace[i];
            const qint64 early = s.length - s.lastPos;
            const bool ended = i == n - 1 ? !loop || s.firstPos <= 400
                               : overlapped ? early > kOverlapMs / 2 && early < kOverlapMs + kTimerSlackMs + s.maxGapMs
                                            : s.lastPos >= s.length - kEndToleranceMs
                                                  && s.HeardMs() >= s.length - kEndToleranceMs - kStartCatchUpMs;
            QVERIFY2(ended && s.index == RowOf(titles[i]) && (titles[i].isEmpty() || s.name == titles[i]),
                     qPrintable(QString("title %1: %2").arg(i + 1).arg(text)));
        }
        QCOMPARE(window_->Timers().positionTimer->isActive(), loop);
        if (!loop) {
            WAIT_VERIFY2(DeviceStatus("mode") == "stopped", "the last title did not play out");
            QCOMPARE(DeviceStatus("position"), std::to_string(trace[n - 2].length));
        }
    }

    // On DirectShow a title cut short while it plays ends where its data ends and "play all"
    // goes on to the next; a title deleted while it plays plays on to its end: its position
    // rises to the length without a jump (an error would count as the end at once).
    void cutAndDeletedTitlesEndAsAnyTitle()
    {
        SwitchTo("DirectShow");
        SetTicked(Controls().playAllCheck, true);
        ClickFile("q1_testcard.mp4");
        ClickFile("q2_chime.wav", Qt::ControlModifier);
        Click(2);
        Click(0);
        const auto playing = [this](const char* name) {
            return Title().playState == MMSTATE_PLAY && Title().CurrentTitle.ends_with(name)
                   && window_->Front().MPlayGetPosition() > 300;
        };
        WAIT_VERIFY2(playing("q1_testcard.mp4"), "the first title did not start");
        QFile cut(QString::fromStdString(fixture_.Path("q1_testcard.mp4")));
        QVERIFY(cut.resize(cut.size() / 2));
        WAIT_VERIFY2(playing("q2_chime.wav"), "the cut title did not end");
        QVERIFY(QFile::remove(QString::fromStdString(fixture_.Path("q2_chime.wav"))));
        int last = 0, jump = 0;
        for (int i = 0; i < kWaitMs / 20 && window_->Timers().positionTimer->isActive(); ++i, QTest::qWait(20)) {
            const int position = window_->Front().MPlayGetPosition();
            jump = std::max(jump, position - last);
            last = position;
        }
        QCOMPARE(last, Title().CurrentTitleLengthMS);
        QVERIFY2(jump < 500, qPrintable(QString("the position jumped %1 ms").arg(jump)));
        Click(2);
        SwitchTo("MCI");
    }

    // A ".mp3" that is an HTML page is refused with the media file test's message; nothing opens.
    void htmlDecoyIsRefused()
    {
        ClickFile("page.mp3");
        QCOMPARE(boxes_.Messages().size(), ++expectedMessages_);
        QCOMPARE(boxes_.Messages().back().text, std::string("page.mp3\r\nappears to be a HTML file"));
        QCOMPARE(DeviceStatus("mode"), std::string());  // nothing opened
    }

    // The back end switches only while nothing plays: a press during play is refused with
    // the message, and the title plays on.
    void switchingWhilePlayingIsRefused()
    {
        SwitchTo("DirectShow");
        ClickFile("chime.wav");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        PressInterfaceLabel();
        QCOMPARE(boxes_.Messages().size(), ++expectedMessages_);
        QCOMPARE(boxes_.Messages().back().text, std::string("Stop before switching the interface!"));
        QCOMPARE(Interface(), QString("DirectShow"));
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        Click(2);
        SwitchTo("MCI");
    }

    // A clip whose first audio stream is silent and whose second is a tone: silent as it
    // starts, heard once the stream menu chooses the second while it plays.
    void secondAudioStreamIsHeardWhenChosen()
    {
        SwitchTo("DirectShow");
        ClickFile("two_streams.avi");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        QAction* second = window_->Menus().audioStreamActions[2];
        QVERIFY(second->isVisible() && second->isEnabled());
        VerifySound("first stream", false);
        second->trigger();
        VerifySound("second stream", true);
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        Click(2);
        SwitchTo("MCI");
    }

    // A decoder this machine lacks is named: in the tip while the other streams play, in
    // the box when nothing can be decoded and the other back end is not to be tried. When it
    // may be, MCI plays the title, the tip says so, and DirectShow stays the choice.
    void missingDecodersAreNamed()
    {
        SwitchTo("DirectShow");
        const std::string video = "MPEG-4 Video decoder";
        test::HiddenDecoders noVideo{"avdec_mpeg4"};
        ClickFile("clip.asf");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        QVERIFY(Controls().tipLabel->isVisible());
        QCOMPARE(Controls().tipLabel->text().toStdString(), "Missing GStreamer plugin: " + video);
        Click(2);
        test::HiddenDecoders noSound{"avdec_mp3", "mpg123audiodec", "avdec_mp3float"};
        ClickFile("clip.asf");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "the other back end did not take over");
        QCOMPARE(DeviceStatus("mode"), std::string("playing"));
        QCOMPARE(Controls().tipLabel->text(), QString("Playing with MCI: DirectShow cannot open this file"));
        Click(2);
        QCOMPARE(Interface(), QString("DirectShow"));
        window_->TitlePlay().TryOtherInterface = false;
        ClickFile("clip.asf");
        window_->TitlePlay().TryOtherInterface = true;
        QCOMPARE(boxes_.Messages().size(), ++expectedMessages_);
        QCOMPARE(boxes_.Messages().back().text, "Cannot play this file\r\n\r\nMissing GStreamer plugin: "
                                                     "MPEG-1 Layer 3 (MP3) decoder, " + video);
        QCOMPARE(Title().playState, MMSTATE_CLOSED);
        QCOMPARE(DeviceStatus("mode"), std::string());
        SwitchTo("MCI");
    }
};

QTEST_MAIN(TestE2ePlayback)
#include "tst_e2e_playback.moc"
