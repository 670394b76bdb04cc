// Playback in-process under Xvfb with real sound: the main window opened on a folder of
// demo files is clicked as a user would, the MCI service plays through libmpv into the
// null sink of scripts/services.sh, and the test listens to "nullsink.monitor" (parecord),
// asks PulseAudio for Vistrel's stream (pactl) and looks at the screen where mpv draws.
// Every check has a negative twin (silence, no stream, no colours). Every wait ends on
// the event it waits for; the bounds only have to outlast a busy machine.
#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "platform/mci/MciService.h"
#include "playback/TitlePlayControl.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 30000;
constexpr int kSilentPeak = 64;             // the null sink's monitor carries exact zeros in silence
constexpr int kSoundPeak = 2000;            // a_major_chord.mp3 peaks near -9 dBFS
constexpr int kBytesPerSecond = 44100 * 4;  // s16le, 2 channels
constexpr int kRecordBytes = kBytesPerSecond * 3 / 2;
constexpr int kOverlappedPlayTimeMS = 800;  // written to the INI
constexpr int kTimerSlackMs = 300;          // positionTimer's 100 ms and a busy machine
constexpr int kEndToleranceMs = 150;        // how much earlier than its length a title may end

// Wait up to kWaitMs for the condition, then check it. Unlike QTRY a failed wait is not
// tried again for twice as long, so that a broken program fails in reasonable time.
#define WAIT_VERIFY2(condition, message) \
    QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)
#define WAIT_VERIFY(condition) WAIT_VERIFY2(condition, #condition)
#define WAIT_COMPARE(actual, expected) \
    do { (void)QTest::qWaitFor([&] { return (actual) == (expected); }, kWaitMs); QCOMPARE(actual, expected); } while (0)

// The MCI service names mpv's PulseAudio stream "Vistrel" (audio-client-name).
bool VistrelSinkInputExists()
{
    QProcess pactl;
    pactl.start("pactl", {"list", "sink-inputs"});
    return pactl.waitForFinished(kWaitMs) && pactl.readAllStandardOutput().contains("application.name = \"Vistrel\"");
}

// How many of a test card's six saturated colours cover >= 1% of the screen in `area`
// (mpv draws into an X11 child window, so the root window is grabbed, not the widget).
int SaturatedColoursOnScreen(const QRect& area)
{
    const QImage image =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    int counts[8] = {}, total = 0;  // indexed by red * 4 + green * 2 + blue
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2, ++total) {
            const QRgb px = image.pixel(x, y);
            const int c[3] = {qRed(px), qGreen(px), qBlue(px)};
            if (std::all_of(c, c + 3, [](int v) { return v > 170 || v < 90; }))
                ++counts[(c[0] > 170) * 4 + (c[1] > 170) * 2 + (c[2] > 170)];
        }
    }
    return int(std::count_if(counts + 1, counts + 7, [total](int n) { return n * 100 >= std::max(total, 1); }));
}

// The device's own view of the title, asked of the MCI service ("": nothing open).
std::string DeviceStatus(const std::string& item)
{
    std::string reply;
    return mciSendString("status voice1 " + item, reply) == 0 ? reply : std::string();
}

int DevicePositionMs()
{
    const std::string reply = DeviceStatus("position");
    return reply.empty() ? -1 : std::atoi(reply.c_str());
}

// One title as sampled, from when it became current or started again from 0: its first
// and last samples, and the longest gap between two samples (how late our sampling ran).
struct Span {
    int index = -1;
    QString title;
    int length = 0;
    qint64 firstMs = 0, lastMs = 0, maxGapMs = 0;
    int firstPos = -1, lastPos = -1;
    // Wall time from the title's position 0 to its last sample, plus one late sample.
    qint64 HeardMs() const { return lastMs - firstMs + std::max(firstPos, 0) + maxGapMs; }
};
using Trace = std::vector<Span>;

// "row name: position at ms .. position at ms of length (longest gap)", one entry per title.
QByteArray Text(const Trace& trace)
{
    QStringList text;
    for (const Span& s : trace)
        text << QString("%1 %2: %3 at %4 .. %5 at %6 of %7 (%8)").arg(s.index).arg(QFileInfo(s.title).fileName())
                    .arg(s.firstPos).arg(s.firstMs).arg(s.lastPos).arg(s.lastMs).arg(s.length).arg(s.maxGapMs);
    return text.join("; ").toUtf8();
}

}  // namespace

class TestE2ePlayback : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;  // the listed folder, with the INI file
    QProcess parecord_;  // records nullsink.monitor for the whole run
    std::unique_ptr<test::MsgBoxRecorder> boxes_;
    size_t expectedMessages_ = 0;
    std::unique_ptr<MainWindow> window_;

    const MainControls& Controls() const { return window_->Controls(); }
    QListWidget* Files() const { return Controls().fileList; }
    const TitleState& Title() const { return window_->Title(); }
    QString PathOf(const QString& name) const { return dir_.filePath(name); }
    int RowOf(const QString& name) const { return Files()->row(Files()->findItems(name, Qt::MatchExactly).value(0)); }
    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    void ClickFile(const QString& name, Qt::KeyboardModifiers modifiers = {})
    {
        QListWidgetItem* item = Files()->item(RowOf(name));
        QVERIFY2(item, qPrintable(name + " is not listed"));
        Files()->scrollToItem(item);
        QTest::mouseClick(Files()->viewport(), Qt::LeftButton, modifiers, Files()->visualItemRect(item).center());
    }

    // A click on the box's indicator (the box may be wider than its text).
    static void SetTicked(QCheckBox* box, bool ticked)
    {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        if (box->isChecked() != ticked)
            QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
        QVERIFY2(box->isChecked() == ticked, qPrintable(box->objectName()));
    }

    // Records 1.5 s of the null sink and checks it is loud or silent. Sound that waited in
    // the pipe or the server while our event loop was blocked comes first, faster than real
    // time: it is dropped until a 100 ms slice brings at most 1.5 times real time's worth.
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
        QByteArray raw;
        const auto recorded = [&] { return (raw += parecord_.readAllStandardOutput()).size() >= kRecordBytes; };
        (void)QTest::qWaitFor(recorded, kWaitMs);
        int peak = 0;
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
            peak = std::max(peak, std::abs(int(*reinterpret_cast<const int16_t*>(raw.constData() + i))));
        QVERIFY2(raw.size() >= kRecordBytes && (heard ? peak > kSoundPeak : peak <= kSilentPeak),
                 qPrintable(QString("%1: %2 bytes, peak %3").arg(when).arg(raw.size()).arg(peak)));
    }

    // Samples the current title every 20 ms until `done` holds or the bound passed.
    Trace Watch(const std::function<bool(const Trace&)>& done)
    {
        Trace trace;
        QElapsedTimer clock;
        clock.start();
        for (qint64 ms = 0, previousMs = 0; ms < kWaitMs; previousMs = ms, QTest::qWait(20)) {
            ms = clock.elapsed();
            const int pos = DevicePositionMs();
            const QString title = QString::fromStdString(Title().CurrentTitle);
            Span* span = trace.empty() ? nullptr : &trace.back();
            const bool restarted = span && pos >= 0 && pos + 200 < span->lastPos;
            if (!span || span->index != Title().CurrentIndex || span->title != title || restarted) {
                trace.push_back({Title().CurrentIndex, title, Title().CurrentTitleLengthMS, ms, ms, 0, pos, pos});
            } else if (pos >= 0) {
                span->maxGapMs = std::max(span->maxGapMs, ms - previousMs);
                span->lastMs = ms;
                span->lastPos = pos;
            }
            if (done(trace))
                break;
        }
        return trace;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        parecord_.start("parecord", {"--raw", "--format=s16le", "--channels=2", "--rate=44100", "--latency-msec=20",
                                     "-d", "nullsink.monitor"});
        QVERIFY2(QTest::qWaitFor([this] { return parecord_.bytesAvailable() > 0; }, kWaitMs),
                 "no sound from nullsink.monitor: run through ./test.sh");

        // a_major_chord.mp3 lasts 4 s, chime.wav 1.5 s; the test card shows colour bars for 5 s.
        for (const char* name : {"a_major_chord.mp3", "chime.wav", "vistrel_testcard.mp4"})
            QVERIFY(QFile::copy(QString::fromStdString(test::Demo(name)), PathOf(name)));
        for (const char* name : {"p1_chime.wav", "p2_chime.wav", "p3_chime.wav"})
            QVERIFY(QFile::copy(QString::fromStdString(test::Demo("chime.wav")), PathOf(name)));
        test::WriteFile(PathOf("page.mp3").toStdString(),
                        "<html><head><title>Not a song</title></head><body>Saved web page</body></html>\n");

        boxes_ = std::make_unique<test::MsgBoxRecorder>();
        program::IniFile = PathOf("Vistrel.ini").toStdString();
        program::IniBackupFile = PathOf("Vistrel.bak").toStdString();
        test::WriteFile(program::IniFile,
                        "[Settings]\nUseMCI=1\nOverlappedPlayTimeMS=" + std::to_string(kOverlappedPlayTimeMS) + "\n");
        program::CommandLineArg = dir_.path().toStdString();
        window_ = std::make_unique<MainWindow>(PathOf("vistrel").toStdString());
        program::CommandLineArg.clear();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCOMPARE(Files()->count(), 7);
        QCOMPARE(window_->TitlePlay().OverlappedPlayTimeMS, kOverlappedPlayTimeMS);
    }

    void cleanup()
    {
        if (Title().playState != MMSTATE_CLOSED && Title().playState != MMSTATE_NONE)
            Click(Controls().playButtons[2]);
        window_->Browser().ProgrammaticSelection = true;
        Files()->clearSelection();
        window_->Browser().ProgrammaticSelection = false;
        for (QCheckBox* box : {Controls().loopCheck, Controls().playAllCheck, Controls().overlappedCheck})
            SetTicked(box, false);
        WAIT_VERIFY(!VistrelSinkInputExists());
        QVERIFY2(boxes_->Messages().size() == expectedMessages_,
                 boxes_->Messages().empty() ? "" : boxes_->Messages().back().text.c_str());
    }

    void cleanupTestCase()
    {
        if (window_)
            window_->close();
        parecord_.kill();
        parecord_.waitForFinished(kWaitMs);
    }

    // A clicked MP3 names the window, plays, has its PulseAudio stream and is heard in the
    // null sink; before the click and after Stop the sink is silent.
    void clickedMp3IsHeardInTheNullSink()
    {
        QVERIFY(!VistrelSinkInputExists());
        VerifySound("before the click", false);
        ClickFile("a_major_chord.mp3");
        WAIT_COMPARE(window_->windowTitle(), QString("a_major_chord.mp3 - Vistrel"));
        WAIT_COMPARE(Title().playState, MMSTATE_PLAY);
        QCOMPARE(Title().CurrentTitle, PathOf("a_major_chord.mp3").toStdString());
        WAIT_VERIFY(VistrelSinkInputExists());
        VerifySound("playing", true);
        Click(Controls().playButtons[2]);
        QCOMPARE(Title().playState, MMSTATE_CLOSED);
        WAIT_VERIFY(!VistrelSinkInputExists());
        VerifySound("after Stop", false);
    }

    // The test card's colour bars appear on screen where videoArea is, and go with Stop.
    void clickedMp4ShowsItsColourBars()
    {
        const QWidget* video = Controls().videoArea;
        ClickFile("vistrel_testcard.mp4");
        WAIT_COMPARE(Title().playState, MMSTATE_PLAY);
        QVERIFY(Title().videoWindow != 0);
        WAIT_VERIFY(video->isVisible() && video->width() > 100 && video->height() > 100);
        const QRect area(video->mapToGlobal(QPoint(0, 0)), video->size());
        WAIT_VERIFY2(SaturatedColoursOnScreen(area) >= 4, "the colour bars did not show");
        Click(Controls().playButtons[2]);
        WAIT_VERIFY2(SaturatedColoursOnScreen(area) < 2, "the colour bars stayed after Stop");
    }

    // With "loop", one short title plays to its end, starts again from 0 and rises again;
    // it stays the same title throughout.
    void loopRestartsTheTitleAfterItsEnd()
    {
        SetTicked(Controls().loopCheck, true);
        ClickFile("chime.wav");
        WAIT_COMPARE(Title().playState, MMSTATE_PLAY);
        const Trace trace = Watch([](const Trace& t) { return t.size() > 1 && t.back().lastPos >= 600; });
        const QByteArray text = Text(trace);
        QVERIFY2(trace.size() == 2 && trace[0].lastPos >= 1000 && trace[1].firstPos <= 400, text.constData());
        for (const Span& span : trace)
            QVERIFY2(span.index == RowOf("chime.wav") && span.title == PathOf("chime.wav"), text.constData());
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        QVERIFY2(trace[0].HeardMs() >= trace[0].length - kEndToleranceMs, text.constData());  // ended before restart
    }

    // "Play all" with files selected by Ctrl+click: Play runs them in list order, each to
    // its end; after the last one no title is current, the last title plays out and all is
    // quiet. With "overlapped" each title's end comes OverlappedPlayTimeMS early: the next
    // one starts then (the MCI service has one device, so the previous one is closed).
    void playAllRunsTheSelectionInOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("overlapped");
        QTest::newRow("to the end") << QStringList{"p1_chime.wav", "p2_chime.wav", "p3_chime.wav"} << false;
        QTest::newRow("overlapped") << QStringList{"a_major_chord.mp3", "chime.wav"} << true;
    }
    void playAllRunsTheSelectionInOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, overlapped);
        SetTicked(Controls().playAllCheck, true);
        SetTicked(Controls().overlappedCheck, overlapped);
        for (const QString& name : names)
            ClickFile(name, name == names[0] ? Qt::NoModifier : Qt::ControlModifier);
        QCOMPARE(Files()->selectedItems().size(), names.size());
        QCOMPARE(window_->TitlePlay().OverlappedActive, overlapped);
        Click(Controls().playButtons[2]);
        Click(Controls().playButtons[0]);
        QCOMPARE(Title().playState, MMSTATE_PLAY);
        QCOMPARE(Title().CurrentIndex, RowOf(names[0]));

        const Trace trace = Watch([this](const Trace&) { return Title().CurrentIndex == -1; });
        const QByteArray text = Text(trace);
        QVERIFY2(trace.size() == size_t(names.size()) + 1 && trace.back().index == -1, text.constData());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const Span& span = trace[i];
            QCOMPARE(span.index, RowOf(names[i]));
            QCOMPARE(span.title, PathOf(names[i]));
            const qint64 early = span.length - span.lastPos, lateBy = kTimerSlackMs + span.maxGapMs;
            if (overlapped)
                QVERIFY2(early > kOverlappedPlayTimeMS / 2 && early < kOverlappedPlayTimeMS + lateBy,
                         qPrintable(QString("title %1 ended %2 ms early: %3").arg(i + 1).arg(early).arg(text)));
            else
                QVERIFY2(span.lastPos > 900 && span.HeardMs() >= span.length - kEndToleranceMs,
                         qPrintable(QString("title %1 heard %2 ms: %3").arg(i + 1).arg(span.HeardMs()).arg(text)));
        }
        QVERIFY(!window_->Timers().positionTimer->isActive());
        WAIT_COMPARE(DeviceStatus("mode"), std::string("stopped"));  // the last title played out
        QCOMPARE(DevicePositionMs(), trace[names.size() - 1].length);
        VerifySound("after the last title", false);
    }

    // A ".mp3" that is an HTML page is refused with the media file test's message;
    // nothing opens, no stream appears and the sink stays silent.
    void htmlDecoyIsRefused()
    {
        ClickFile("page.mp3");
        QCOMPARE(boxes_->Messages().size(), ++expectedMessages_);
        QCOMPARE(boxes_->Messages().back().text, std::string("page.mp3\r\nappears to be a HTML file"));
        QVERIFY(Title().playState != MMSTATE_PLAY);
        QCOMPARE(DevicePositionMs(), -1);
        QVERIFY(!VistrelSinkInputExists());
        VerifySound("after the decoy", false);
    }
};

// QApplication would abort without a display: the missing services are reported first.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "FAIL!  : tst_e2e_playback needs Xvfb and the null sink: run through ./test.sh\n");
        return 1;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestE2ePlayback test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_e2e_playback.moc"
