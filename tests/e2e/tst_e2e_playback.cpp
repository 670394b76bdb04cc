// End to end playback (issue 6), in-process under Xvfb with real sound: the main window
// opened on a folder of fixtures is clicked as a user would, the MCI service plays through
// libmpv into the PulseAudio null sink of scripts/services.sh, and the test listens to
// "nullsink.monitor" (parecord), asks PulseAudio for Vistrel's stream (pactl) and looks at
// the screen where mpv draws the video. Every check has a negative twin (silence, no
// stream, no colours) so that it can fail. Run through ./test.sh (label e2e).
#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "platform/mci/MciService.h"
#include "playback/TitlePlayControl.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace vistrel;

namespace {

// The null sink's monitor carries exact zeros while nothing plays into it.
constexpr int kSilentPeak = 64;
constexpr int kSoundPeak = 2000;             // a_major_chord.mp3 peaks near -9 dBFS
constexpr int kBytesPerSecond = 44100 * 4;   // s16le, 2 channels
constexpr int kOverlappedPlayTimeMS = 800;   // written to the INI
constexpr int kPollSlackMs = 300;            // positionTimer's 100 ms, our sampling, a busy machine
constexpr int kSampleStepMs = 20;            // Watch's sampling interval
constexpr int kEndToleranceMs = 150;         // how much earlier than its length a title may end

int PeakAmplitude(const QByteArray& s16le)
{
    int peak = 0;
    const auto* samples = reinterpret_cast<const int16_t*>(s16le.constData());
    for (qsizetype i = 0; i < s16le.size() / 2; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

// parecord on nullsink.monitor for the whole run; PulseAudio needs a second or so before
// the first bytes flow, so the recorder starts once and each recording takes a slice.
class NullSinkRecorder {
public:
    struct Recording {
        qsizetype bytes = 0;
        int peak = 0;
    };

    bool Start()
    {
        process_.start("parecord", {"--raw", "--format=s16le", "--channels=2", "--rate=44100",
                                    "--latency-msec=20", "-d", "nullsink.monitor"});
        return process_.waitForStarted(5000);
    }
    bool Flowing() { return process_.bytesAvailable() > 0; }
    // Sound that waited in the pipe while the event loop was blocked arrives first: it is
    // read and dropped for a while before the recording starts.
    Recording RecordFor(int ms)
    {
        QTest::qWait(300);
        process_.readAllStandardOutput();
        QTest::qWait(ms);  // the program keeps running meanwhile
        const QByteArray raw = process_.readAllStandardOutput();
        return {raw.size(), PeakAmplitude(raw)};
    }
    ~NullSinkRecorder()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }

private:
    QProcess process_;
};

QString Describe(const NullSinkRecorder::Recording& r)
{
    return QString("%1 bytes, peak %2").arg(r.bytes).arg(r.peak);
}

// The MCI service names mpv's PulseAudio stream "Vistrel" (audio-client-name).
bool VistrelSinkInputExists()
{
    QProcess pactl;
    pactl.start("pactl", {"list", "sink-inputs"});
    if (!pactl.waitForFinished(5000))
        return false;
    return pactl.readAllStandardOutput().contains("application.name = \"Vistrel\"");
}

// Strongly saturated colours of a test card, each counted when it covers >= 1% of the area.
QStringList SaturatedColoursIn(const QImage& image)
{
    struct Colour {
        const char* name;
        bool r, g, b;
    };
    static const Colour kColours[] = {{"red", 1, 0, 0},    {"green", 0, 1, 0}, {"blue", 0, 0, 1},
                                      {"yellow", 1, 1, 0}, {"cyan", 0, 1, 1},  {"magenta", 1, 0, 1}};
    int counts[6] = {};
    int total = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb px = image.pixel(x, y);
            const int channel[3] = {qRed(px), qGreen(px), qBlue(px)};
            ++total;
            for (int c = 0; c < 6; ++c) {
                const bool on[3] = {kColours[c].r, kColours[c].g, kColours[c].b};
                bool match = true;
                for (int k = 0; k < 3; ++k)
                    match = match && (on[k] ? channel[k] > 170 : channel[k] < 90);
                counts[c] += match;
            }
        }
    }
    QStringList present;
    for (int c = 0; c < 6; ++c)
        if (total > 0 && counts[c] * 100 >= total)
            present << kColours[c].name;
    return present;
}

// The root window's pixels in `area` (global coordinates): mpv's X11 child window included.
QImage GrabScreenArea(const QRect& area)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// The device's own view of the title, asked of the MCI service (-1: nothing open).
int DevicePositionMs()
{
    std::string reply;
    return mciSendString("status voice1 position", reply) == 0 ? std::atoi(reply.c_str()) : -1;
}

struct Sample {
    qint64 ms = 0;  // since the watch began
    int index = -1;
    QString title;
    int pos = -1;
    int length = 0;
};
using Trace = std::vector<Sample>;

// "at ms: row name position/length", one entry per change.
QString Describe(const Trace& trace)
{
    QStringList lines;
    for (size_t i = 0; i < trace.size(); ++i) {
        const Sample& s = trace[i];
        if (i > 0 && s.index == trace[i - 1].index && s.pos == trace[i - 1].pos)
            continue;
        lines << QString("at %1: %2 %3 %4/%5")
                     .arg(s.ms).arg(s.index).arg(QFileInfo(s.title).fileName()).arg(s.pos).arg(s.length);
    }
    return lines.join("; ");
}

// A title as the trace saw it: when it became current and its last sample before the next.
struct TitleSpan {
    qint64 startMs = 0;
    Sample last;
};

std::vector<TitleSpan> TitlesInOrder(const Trace& trace)
{
    std::vector<TitleSpan> titles;
    for (const Sample& s : trace) {
        if (titles.empty() || titles.back().last.index != s.index)
            titles.push_back({s.ms, s});
        else if (s.pos >= 0)
            titles.back().last = s;
    }
    return titles;
}

}  // namespace

class TestE2ePlayback : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString folder_;
    std::unique_ptr<test::MsgBoxRecorder> boxes_;
    size_t expectedMessages_ = 0;
    std::unique_ptr<NullSinkRecorder> recorder_;
    std::unique_ptr<MainWindow> window_;

    QListWidget* Files() const { return window_->Controls().fileList; }
    const TitleState& Title() const { return window_->Title(); }
    QString PathOf(const QString& name) const { return folder_ + "/" + name; }

    int RowOf(const QString& name) const
    {
        const QList<QListWidgetItem*> items = Files()->findItems(name, Qt::MatchExactly);
        return items.size() == 1 ? Files()->row(items[0]) : -1;
    }

    void CopyFixture(const QString& from, const QString& name)
    {
        QVERIFY2(QFile::copy(from, PathOf(name)), qPrintable(from));
    }

    void ClickFile(const QString& name, Qt::KeyboardModifiers modifiers = {})
    {
        QListWidgetItem* item = Files()->item(RowOf(name));
        QVERIFY2(item, qPrintable(name + " is not listed"));
        Files()->scrollToItem(item);
        QTest::mouseClick(Files()->viewport(), Qt::LeftButton, modifiers, Files()->visualItemRect(item).center());
    }

    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // A click on the box's indicator (the box may be wider than its text).
    static void SetTicked(QCheckBox* box, bool ticked)
    {
        if (box->isChecked() == ticked)
            return;
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
        QVERIFY2(box->isChecked() == ticked, qPrintable(box->objectName()));
    }

    void StopAndUnselect()
    {
        if (Title().playState != MMSTATE_CLOSED && Title().playState != MMSTATE_NONE)
            Click(window_->Controls().playButtons[2]);
        window_->Browser().ProgrammaticSelection = true;
        Files()->clearSelection();
        window_->Browser().ProgrammaticSelection = false;
    }

    // Samples the title every kSampleStepMs until `done` holds or `timeoutMs` passed.
    Trace Watch(int timeoutMs, const std::function<bool(const Sample&)>& done)
    {
        Trace trace;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            trace.push_back({clock.elapsed(), Title().CurrentIndex, QString::fromStdString(Title().CurrentTitle),
                             DevicePositionMs(), Title().CurrentTitleLengthMS});
            if (done(trace.back()))
                break;
            QTest::qWait(kSampleStepMs);
        }
        return trace;
    }

    void VerifySilence(const char* when)
    {
        const NullSinkRecorder::Recording quiet = recorder_->RecordFor(1500);
        QVERIFY2(quiet.bytes > kBytesPerSecond / 2, qPrintable(QString(when) + ": " + Describe(quiet)));
        QVERIFY2(quiet.peak <= kSilentPeak, qPrintable(QString(when) + ": " + Describe(quiet)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        QVERIFY(dir_.isValid());
        recorder_ = std::make_unique<NullSinkRecorder>();
        QVERIFY2(recorder_->Start(), "parecord did not start: run through ./test.sh");
        QTRY_VERIFY2_WITH_TIMEOUT(recorder_->Flowing(), "no data from nullsink.monitor", 15000);

        folder_ = dir_.filePath("media");
        QVERIFY(QDir().mkpath(folder_));
        const QString demo = VISTREL_SOURCE_DIR "/demo/";
        CopyFixture(demo + "a_major_chord.mp3", "a_major_chord.mp3");  // 4 s
        CopyFixture(demo + "chime.wav", "chime.wav");                  // 1.5 s
        for (const char* name : {"p1_chime.wav", "p2_chime.wav", "p3_chime.wav"})
            CopyFixture(demo + "chime.wav", name);
        CopyFixture(demo + "vistrel_testcard.mp4", "vistrel_testcard.mp4");  // colour bars, 5 s
        test::WriteFile(PathOf("page.mp3").toStdString(),
                        "<html><head><title>Not a song</title></head><body>Saved web page</body></html>\n");

        boxes_ = std::make_unique<test::MsgBoxRecorder>();
        program::IniFile = dir_.filePath("Vistrel.ini").toStdString();
        program::IniBackupFile = dir_.filePath("Vistrel.bak").toStdString();
        test::WriteFile(program::IniFile, "[Settings]\nUseMCI=1\nOverlappedPlayTimeMS=" +
                                              std::to_string(kOverlappedPlayTimeMS) + "\n");
        program::CommandLineArg = folder_.toStdString();
        window_ = std::make_unique<MainWindow>(dir_.filePath("vistrel").toStdString());
        program::CommandLineArg.clear();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCOMPARE(Files()->count(), 7);
        QCOMPARE(window_->TitlePlay().OverlappedPlayTimeMS, kOverlappedPlayTimeMS);
    }

    void cleanup()
    {
        StopAndUnselect();
        for (QCheckBox* box : {window_->Controls().loopCheck, window_->Controls().playAllCheck,
                               window_->Controls().overlappedCheck})
            SetTicked(box, false);
        QTRY_VERIFY_WITH_TIMEOUT(!VistrelSinkInputExists(), 5000);
        QVERIFY2(boxes_->Messages().size() == expectedMessages_,
                 boxes_->Messages().empty() ? "" : boxes_->Messages().back().text.c_str());
    }

    void cleanupTestCase()
    {
        if (window_) {
            window_->close();
            QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), 5000);
            window_.reset();
        }
        boxes_.reset();
        recorder_.reset();
    }

    // 1. A clicked MP3 names the window, plays (playState 2), has its PulseAudio stream
    // and is heard in the null sink; before the click and after Stop the sink is silent.
    void clickedMp3IsHeardInTheNullSink()
    {
        QVERIFY(!VistrelSinkInputExists());
        VerifySilence("before the click");
        ClickFile("a_major_chord.mp3");
        QTRY_COMPARE_WITH_TIMEOUT(window_->windowTitle(), QString("a_major_chord.mp3 - Vistrel"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(Title().playState, MMSTATE_PLAY, 5000);
        QCOMPARE(Title().CurrentTitle, PathOf("a_major_chord.mp3").toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(VistrelSinkInputExists(), 5000);
        const NullSinkRecorder::Recording sound = recorder_->RecordFor(1500);
        QVERIFY2(sound.bytes > kBytesPerSecond / 2, qPrintable(Describe(sound)));
        QVERIFY2(sound.peak > kSoundPeak, qPrintable(Describe(sound)));

        Click(window_->Controls().playButtons[2]);
        QCOMPARE(Title().playState, MMSTATE_CLOSED);
        QTRY_VERIFY_WITH_TIMEOUT(!VistrelSinkInputExists(), 5000);
        VerifySilence("after Stop");
    }

    // 2. The test card's colour bars appear on screen where videoArea is: mpv draws
    // into an X11 child window, so the root window is grabbed, not the Qt widget.
    void clickedMp4ShowsItsColourBars()
    {
        QWidget* video = window_->Controls().videoArea;
        ClickFile("vistrel_testcard.mp4");
        QTRY_COMPARE_WITH_TIMEOUT(Title().playState, MMSTATE_PLAY, 10000);
        QVERIFY(Title().videoWindow != 0);
        QTRY_VERIFY_WITH_TIMEOUT(video->isVisible() && video->width() > 100 && video->height() > 100, 5000);
        QTest::qWait(1000);
        const QRect area(video->mapToGlobal(QPoint(0, 0)), video->size());
        const QImage playing = GrabScreenArea(area);
        const QStringList colours = SaturatedColoursIn(playing);
        if (colours.size() < 4)
            playing.save(QDir::temp().filePath("tst_e2e_playback_video.png"));
        QVERIFY2(colours.size() >= 4, qPrintable("colours on screen: " + colours.join(", ")));

        Click(window_->Controls().playButtons[2]);
        QTest::qWait(300);
        const QImage stopped = GrabScreenArea(area);
        QVERIFY2(SaturatedColoursIn(stopped).size() < 2, qPrintable(SaturatedColoursIn(stopped).join(", ")));
    }

    // 3. With "loop", one short title rises, falls back near 0 after its end and rises
    // again; it stays the same title throughout.
    void loopRestartsTheTitle()
    {
        SetTicked(window_->Controls().loopCheck, true);
        ClickFile("chime.wav");
        QTRY_COMPARE_WITH_TIMEOUT(Title().playState, MMSTATE_PLAY, 5000);
        int phase = 0;  // 0 rising, 1 past 1000 ms, 2 back near 0, 3 past 600 ms again
        qint64 fallMs = 0;
        const Trace trace = Watch(10000, [&phase, &fallMs](const Sample& s) {
            if ((phase == 0 && s.pos >= 1000) || (phase == 1 && s.pos >= 0 && s.pos <= 400) ||
                (phase == 2 && s.pos >= 600))
                ++phase;
            if (phase == 2 && fallMs == 0)
                fallMs = s.ms;
            return phase == 3;
        });
        QVERIFY2(phase == 3, qPrintable(QString("phase %1: %2").arg(phase).arg(Describe(trace))));
        for (const Sample& s : trace)
            QCOMPARE(s.title, PathOf("chime.wav"));
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        // The restart comes after the end: the title was heard for its whole length.
        const int length = trace.front().length;
        QVERIFY2(fallMs >= length - kEndToleranceMs,
                 qPrintable(QString("a %1 ms title restarted after %2 ms: %3")
                                .arg(length).arg(fallMs).arg(Describe(trace))));
    }

    // 4. "Play all" with three files selected by Ctrl+click: Play runs them in list order,
    // each to its end, and after the last one CurrentIndex is -1 (F.4) and all is quiet.
    void playAllRunsTheSelectionInOrder()
    {
        SetTicked(window_->Controls().playAllCheck, true);
        ClickFile("p1_chime.wav");
        ClickFile("p2_chime.wav", Qt::ControlModifier);
        ClickFile("p3_chime.wav", Qt::ControlModifier);
        QCOMPARE(Files()->selectedItems().size(), 3);
        Click(window_->Controls().playButtons[2]);
        Click(window_->Controls().playButtons[0]);
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        const int first = RowOf("p1_chime.wav");
        QCOMPARE(Title().CurrentIndex, first);

        const Trace trace = Watch(15000, [](const Sample& s) { return s.index == -1; });
        const std::vector<TitleSpan> titles = TitlesInOrder(trace);
        QVERIFY2(titles.size() == 4, qPrintable(Describe(trace)));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(titles[i].last.index, first + i);
            QCOMPARE(titles[i].last.title, PathOf(QString("p%1_chime.wav").arg(i + 1)));
            QVERIFY2(titles[i].last.pos > 900, qPrintable(Describe(trace)));  // its position went up
        }
        QCOMPARE(titles[3].last.index, -1);
        QVERIFY(!window_->Timers().positionTimer->isActive());
        VerifySilence("after the last title");
        // Each title was heard to its end: it stayed current for its whole length before
        // the next one closed its device (the next open blocks, so its own time is not counted).
        for (int i = 0; i < 3; ++i) {
            const qint64 heard = titles[i].last.ms + kSampleStepMs - titles[i].startMs;
            QVERIFY2(heard >= titles[i].last.length - kEndToleranceMs,
                     qPrintable(QString("title %1 of %2 ms was closed after %3 ms: %4")
                                    .arg(i + 1).arg(titles[i].last.length).arg(heard).arg(Describe(trace))));
        }
    }

    // 5. Overlapped play of two audio titles: the next one starts OverlappedPlayTimeMS
    // before the previous one's end. The MCI service has one device (voice1), so here
    // "overlap" is only the early start: the previous title is closed when the next opens.
    void overlappedPlayStartsTheNextTitleEarly()
    {
        SetTicked(window_->Controls().overlappedCheck, true);
        SetTicked(window_->Controls().playAllCheck, true);
        ClickFile("a_major_chord.mp3");
        ClickFile("chime.wav", Qt::ControlModifier);
        QCOMPARE(Files()->selectedItems().size(), 2);
        QVERIFY(window_->TitlePlay().OverlappedActive);
        Click(window_->Controls().playButtons[2]);
        Click(window_->Controls().playButtons[0]);
        const int chord = RowOf("a_major_chord.mp3");
        const int chime = RowOf("chime.wav");
        QCOMPARE(Title().CurrentIndex, chord);

        const Trace trace =
            Watch(12000, [chime](const Sample& s) { return s.index == chime && s.pos > 200; });
        const std::vector<TitleSpan> titles = TitlesInOrder(trace);
        QVERIFY2(titles.size() == 2 && titles[0].last.index == chord && titles[1].last.index == chime,
                 qPrintable(Describe(trace)));
        const int remaining = titles[0].last.length - titles[0].last.pos;
        QVERIFY2(remaining > kOverlappedPlayTimeMS / 2 && remaining < kOverlappedPlayTimeMS + kPollSlackMs,
                 qPrintable(QString("remaining %1 ms: %2").arg(remaining).arg(Describe(trace))));
    }

    // 6. A ".mp3" that is an HTML page is refused with the media file test's message;
    // nothing opens, no stream appears and the sink stays silent.
    void htmlDecoyIsRefused()
    {
        ClickFile("page.mp3");
        QCOMPARE(boxes_->Messages().size(), expectedMessages_ + 1);
        QCOMPARE(boxes_->Messages().back().text, std::string("page.mp3\r\nappears to be a HTML file"));
        ++expectedMessages_;
        QVERIFY(Title().playState != MMSTATE_PLAY);
        QCOMPARE(DevicePositionMs(), -1);
        QVERIFY(!VistrelSinkInputExists());
        VerifySilence("after the decoy");
    }
};

// QTEST_MAIN's QApplication would abort without a display: the missing services are
// reported as a failure first.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "FAIL!  : tst_e2e_playback needs Xvfb (DISPLAY) and the PulseAudio null sink "
                             "(PULSE_SERVER): run through ./test.sh\n");
        return 1;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestE2ePlayback test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_e2e_playback.moc"
