// bench/play_cpu [SECONDS] [ROUNDS]: the CPU time the whole process spends per minute of
// playback, Vistrel against bare libmpv on the same file in the same run.
//
// Vistrel: the real main window (shown; offscreen unless QT_QPA_PLATFORM says otherwise) on
// its MCI back end (libmpv) opens a temporary folder, the file is selected in the list and
// played by the list's click, so the position poll, the rail and the time labels run as they
// do for a user, and the player is on the session bus (MPRIS) as the program puts it.
// Bare: a child process of this program (`--bare`), playing at the same time, with one
// libmpv handle on the same file with the same engine options that decide the work (video
// output, hardware decoding, no scripts), and nothing else. Each side measures its own process CPU time (every thread,
// mpv's included) over SECONDS of wall time once the position moves.
//
// The MP3s are the demo chord's frames repeated into one continuous title of a minute and
// one of four; the video clips are short, so they loop (the window's "Loop" box, mpv's loop-file).
// Each round begins with the floor of the GUI thread's part: a timer that does nothing, at the
// MP3's poll interval, while nothing plays.
// Figures only; nothing passes or fails on time. Run it with a sound server (PULSE_SERVER),
// e.g. under scripts/services.sh.
#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "platform/mci/VideoChildWindow.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSettleMs = 1000;       // after the first movement, before measuring
constexpr int kStartGiveUpMs = 10000;

double CpuMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ProcessCpuMs()
{
    return CpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

// The calling thread only: for Vistrel the GUI thread, where the poll, the rail and the
// labels run (mpv decodes and plays on threads of its own).
double ThreadCpuMs()
{
    return CpuMs(CLOCK_THREAD_CPUTIME_ID);
}

struct Sample {
    double cpuMs = 0;
    double wallMs = 0;
    double PercentOfCore() const { return wallMs > 0 ? 100.0 * cpuMs / wallMs : 0; }
    double CpuMsPerMinute() const { return wallMs > 0 ? cpuMs * 60000.0 / wallMs : 0; }
};

// ---- The bare engine (child process) ----------------------------------------------

bool HasVideoOutput()
{
    return qEnvironmentVariable("QT_QPA_PLATFORM") == "xcb";
}

void SetBareOptions(mpv_handle* mpv, bool loop)
{
    const bool video = HasVideoOutput();
    const bool direct = video && vistrel::mci::XServerHasDirectRendering();
    mpv_set_option_string(mpv, "vo", !video ? "null" : direct ? "gpu,x11" : "x11");
    if (video && !direct)
        mpv_set_option_string(mpv, "override-display-fps", "60");
    mpv_set_option_string(mpv, "hwdec", "auto-safe");
    mpv_set_option_string(mpv, "terminal", "no");
    mpv_set_option_string(mpv, "audio-display", "no");
    mpv_set_option_string(mpv, "load-scripts", "no");
    mpv_set_option_string(mpv, "ytdl", "no");
    mpv_set_option_string(mpv, "input-default-bindings", "no");
    mpv_set_option_string(mpv, "audio-client-name", "vistrel-bench");
    if (loop)
        mpv_set_option_string(mpv, "loop-file", "inf");
}

// Waits on mpv's events (as a player without a window would) until `untilMs` on `clock`.
void DrainUntil(mpv_handle* mpv, const QElapsedTimer& clock, qint64 untilMs)
{
    while (clock.elapsed() < untilMs) {
        const double left = (untilMs - clock.elapsed()) / 1000.0;
        mpv_wait_event(mpv, std::max(0.0, left));
    }
}

int RunBare(const char* file, int seconds, bool loop)
{
    mpv_handle* mpv = mpv_create();
    SetBareOptions(mpv, loop);
    if (mpv_initialize(mpv) < 0)
        return 2;
    const char* command[] = {"loadfile", file, nullptr};
    mpv_command(mpv, command);
    QElapsedTimer clock;
    clock.start();
    double position = 0;
    while (!(mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position) == 0 && position > 0)) {
        if (clock.elapsed() > kStartGiveUpMs) {
            std::fprintf(stderr, "the bare engine did not start playing %s\n", file);
            mpv_terminate_destroy(mpv);
            return 3;
        }
        mpv_wait_event(mpv, 0.005);
    }
    DrainUntil(mpv, clock, clock.elapsed() + kSettleMs);
    const double cpu0 = ProcessCpuMs();
    const qint64 wall0 = clock.nsecsElapsed();
    DrainUntil(mpv, clock, clock.elapsed() + seconds * 1000);
    const double cpuMs = ProcessCpuMs() - cpu0;
    const double wallMs = (clock.nsecsElapsed() - wall0) / 1e6;
    std::printf("%.3f %.3f\n", cpuMs, wallMs);
    std::fflush(stdout);
    // The figure is out. mpv's teardown after a looped video sometimes never returned here
    // (libmpv 0.35), and the process's end frees everything anyway.
    std::_Exit(0);
}

// The bare engine plays in a child at the same time as Vistrel measures: both then share
// whatever else the machine (and the host under a virtual machine) does meanwhile, which
// otherwise makes one side's rounds differ by several times.
void StartBare(QProcess& child, const QString& self, const QString& file, int seconds, bool loop)
{
    // Its messages go straight to ours: a pipe nobody reads would stop it once full (libvdpau
    // writes a line at every loop of a video).
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {"--bare", file, QString::number(seconds), loop ? "loop" : "once"});
}

// A child that gives no figure (it did not start playing, or failed) is reported with what
// it said, and its row has no ratio: a 0 would read as a figure.
Sample FinishBare(QProcess& child, int seconds)
{
    Sample sample;
    // The event loop of Vistrel's measurement may already have seen the child end, and
    // waitForFinished() says false for a child that has ended before the call.
    const bool finished = child.state() == QProcess::NotRunning || child.waitForFinished((seconds + 30) * 1000);
    if (!finished) {
        child.kill();
        child.waitForFinished(2000);
    }
    const QByteArray output = child.readAllStandardOutput();
    if (!finished || child.exitCode() != 0 || std::sscanf(output.constData(), "%lf %lf", &sample.cpuMs, &sample.wallMs) != 2) {
        std::fprintf(stderr, "the bare engine gave no figure (%s, exit %d): %s\n", finished ? "finished" : "killed",
                     child.exitCode(), output.constData());
        return {};
    }
    return sample;
}

// ---- Vistrel --------------------------------------------------------------------------

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct VistrelSample {
    Sample cpu;
    double guiThreadMs = 0;
    int polls = 0;
};

VistrelSample MeasureVistrel(vistrel::MainWindow& window, const std::string& name, int seconds, bool loop)
{
    window.Controls().loopCheck->setChecked(loop);
    vistrel::FileBrowser& browser = window.Browser();
    browser.ProgrammaticSelection = true;
    window.Controls().fileList->clearSelection();
    browser.ProgrammaticSelection = false;
    browser.SelectFileByName(name);
    window.TitlePlay().FileListClicked("bench");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartGiveUpMs && window.Front().MPlayGetPosition() <= 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    RunEventLoopFor(kSettleMs);

    VistrelSample sample;
    QObject counter;
    QObject::connect(window.Timers().positionTimer, &QTimer::timeout, &counter, [&sample] { ++sample.polls; });
    const double cpu0 = ProcessCpuMs();
    const double gui0 = ThreadCpuMs();
    const qint64 wall0 = clock.nsecsElapsed();
    RunEventLoopFor(seconds * 1000);
    sample.cpu = {ProcessCpuMs() - cpu0, (clock.nsecsElapsed() - wall0) / 1e6};
    sample.guiThreadMs = ThreadCpuMs() - gui0;
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::printf("  %s: poll every %d ms, state %d, position %d of %d ms, window %dx%d\n", name.c_str(),
                    window.Timers().positionTimer->interval(), window.Title().playState,
                    window.Front().MPlayGetPosition(), window.Title().CurrentTitleLengthMS, window.width(),
                    window.height());
    window.TitlePlay().PlayControlClicked(2);  // Stop
    return sample;
}

// The floor under any poll: the GUI thread's cost of waking for a timer that does nothing, at
// the MP3's poll interval, in the same window with nothing playing.
VistrelSample MeasureEmptyTimer(int intervalMs, int seconds)
{
    VistrelSample sample;
    QTimer timer;
    timer.setInterval(intervalMs);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&sample] { ++sample.polls; });
    timer.start();
    const double cpu0 = ProcessCpuMs();
    const double gui0 = ThreadCpuMs();
    QElapsedTimer clock;
    clock.start();
    RunEventLoopFor(seconds * 1000);
    sample.cpu = {ProcessCpuMs() - cpu0, double(clock.elapsed())};
    sample.guiThreadMs = ThreadCpuMs() - gui0;
    return sample;
}

// ---- The files --------------------------------------------------------------------------

// The frames of an MP3 without its ID3v2 tag and without the first frame when that holds
// the encoder's "Info"/"Xing" length summary (which would give the copies the length of one).
QByteArray Mp3Frames(const QByteArray& file)
{
    qsizetype start = 0;
    if (file.startsWith("ID3") && file.size() > 10) {
        const auto b = [&](int i) { return static_cast<unsigned char>(file[i]) & 0x7f; };
        start = 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    }
    const qsizetype summary = std::max(file.indexOf("Info", start), file.indexOf("Xing", start));
    if (summary > start && summary < start + 64) {
        const qsizetype next = file.indexOf("\xff\xfb", summary);
        start = next > 0 ? next : start;
    }
    return file.mid(start);
}

bool WriteLongMp3(const QString& from, const QString& to, int copies)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray frames = Mp3Frames(in.readAll());
    for (int i = 0; i < copies; ++i)
        out.write(frames);
    return true;
}

QByteArray LoadAverage()
{
    QFile file("/proc/loadavg");
    return file.open(QIODevice::ReadOnly) ? file.readAll().left(14).trimmed() : QByteArray("?");
}

struct Case {
    const char* label;
    QString name;  // in the temporary folder
    bool loop;
};

void Report(const Case& c, const VistrelSample& ours, const Sample& bare)
{
    const double perMinute = ours.cpu.wallMs > 0 ? 60000.0 / ours.cpu.wallMs : 0;
    std::printf("%-26s %8.0f %8.0f %8.0f %6.2f %7.1f %8.0f\n", c.label, ours.cpu.CpuMsPerMinute(),
                ours.guiThreadMs * perMinute, bare.CpuMsPerMinute(),
                bare.cpuMs > 0 && ours.cpu.cpuMs > 0 ? ours.cpu.cpuMs / bare.cpuMs : NAN, ours.polls * 1000.0 / std::max(1.0, ours.cpu.wallMs),
                ours.polls > 0 ? 1000.0 * ours.guiThreadMs / ours.polls : 0.0);
    std::fflush(stdout);
}

// The rounds swing with the machine: the median ratio per case is the figure to compare.
void ReportMedians(std::map<std::string, std::vector<double>>& ratios, int rounds)
{
    if (rounds < 2)
        return;
    std::printf("median ratio of the rounds:\n");
    for (auto& [label, values] : ratios) {
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
        std::printf("%-26s %6.2f  (%zu rounds, %.2f to %.2f)\n", label.c_str(), median, n, values.front(), values.back());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--bare") == 0) {
        std::setlocale(LC_NUMERIC, "C");
        return RunBare(argv[2], std::atoi(argv[3]), std::strcmp(argv[4], "loop") == 0);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const QString only = argc > 3 ? QString(argv[3]) : QString();  // a part of the cases' labels

    QTemporaryDir dir;
    const QString demo = VISTREL_SOURCE_DIR "/demo/";
    // 15 and 60 times the 4 s chord: the rail follows a one-minute title nine times a second,
    // a four-minute song (the common length) about twice a second.
    if (!WriteLongMp3(demo + "a_major_chord.mp3", dir.filePath("chord_x15.mp3"), 15) ||
        !WriteLongMp3(demo + "a_major_chord.mp3", dir.filePath("chord_x60.mp3"), 60) ||
        !QFile::copy(demo + "a_major_chord.mp3", dir.filePath("a_major_chord.mp3")) ||
        !QFile::copy(demo + "mandelbrot.mkv", dir.filePath("mandelbrot.mkv")) ||
        !QFile::copy(demo + "vistrel_testcard.mp4", dir.filePath("vistrel_testcard.mp4"))) {
        std::fprintf(stderr, "cannot prepare the files in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const std::vector<Case> cases = {
        {"MP3 chord x15 (60 s)", "chord_x15.mp3", false},
        {"MP3 chord x60 (4 min)", "chord_x60.mp3", false},
        {"MP3 chord (4 s, looped)", "a_major_chord.mp3", true},
        {"MKV mandelbrot (looped)", "mandelbrot.mkv", true},
        {"MP4 testcard (looped)", "vistrel_testcard.mp4", true},
    };

    vistrel::program::IniFile = dir.filePath("Vistrel.ini").toStdString();
    vistrel::program::IniBackupFile = dir.filePath("Vistrel.bak").toStdString();
    vistrel::MainWindow window(dir.filePath("vistrel").toStdString());
    window.StartMpris(QDBusConnection::sessionBus());  // as the program does
    window.show();  // the rail and the labels paint
    // The bare engine is libmpv: Vistrel plays on its MCI back end, whatever the default.
    window.Front().MediaInterface = vistrel::kMediaInterfaceMCI;
    window.Browser().SetFolder(dir.path().toStdString());

    std::printf("CPU per minute of playback, %d s per measurement, platform %s, load average %s\n", seconds,
                qPrintable(QApplication::platformName()), LoadAverage().constData());
    std::printf("CPU ms per minute: the whole process (Vistrel's GUI thread apart), bare libmpv in a child;\n"
                "ratio Vistrel / bare; polls per second; GUI thread CPU per poll in microseconds\n");
    std::printf("%-26s %8s %8s %8s %6s %7s %8s\n", "file", "Vistrel", "GUI", "bare", "ratio", "polls/s", "us/poll");
    // The first title of a process also starts the sound output and paints the window for
    // the first time: played once before anything is measured.
    MeasureVistrel(window, cases.front().name.toStdString(), 1, false);
    const int mp3PollMs = window.Timers().positionTimer->interval();
    std::map<std::string, std::vector<double>> ratios;  // by case, one per round with a figure
    for (int round = 0; round < rounds; ++round) {
        Report({"empty GUI timer, idle", {}, false}, MeasureEmptyTimer(mp3PollMs, seconds), {});
        for (const Case& c : cases) {
            if (!QString(c.label).contains(only, Qt::CaseInsensitive))
                continue;
            QProcess bareChild;
            StartBare(bareChild, QCoreApplication::applicationFilePath(), dir.filePath(c.name), seconds, c.loop);
            const VistrelSample ours = MeasureVistrel(window, c.name.toStdString(), seconds, c.loop);
            const Sample bare = FinishBare(bareChild, seconds);
            Report(c, ours, bare);
            if (bare.cpuMs > 0 && ours.cpu.cpuMs > 0)
                ratios[c.label].push_back(ours.cpu.cpuMs / bare.cpuMs);
        }
    }
    ReportMedians(ratios, rounds);
    window.close();
    return 0;
}
