// bench/soak [MINUTES] [mci|directshow|both]: play-all over the demo folder for MINUTES
// (default 60) on each back end, in the real main window, and what the process holds
// afterwards: resident memory (RSS), open descriptors and X windows.
//
// The demo files are copied into a temporary folder; "play all" and "Loop" are ticked and
// the first file is played by the list's click, so the titles follow one another (and start
// again at the first) through the title play control as they do for a user, with every
// open, overlap and close of both graph slots or MCI devices. One pass of the folder is
// played before the baseline is taken: the first titles load the decoders, the synthesizer's
// soundfont and the sound output, which stay for the life of the process. Every minute a
// line gives the figures so far; at the end the title is stopped and closed, and after the
// close-last timer the figures are taken again.
//
// X windows are counted under the root of the display (the program's own: run it on a
// display of its own, e.g. under xvfb-run); without an X display the count is left out.
// Figures only; nothing passes or fails. Run it with a sound server (PULSE_SERVER), e.g.
// under scripts/services.sh. The hour-long run is on demand, not part of ./test.sh.
#include "app/Main.h"
#include "app/MainControls.h"
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"
#include "support/TitleState.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr int kCheckMs = 250;
constexpr int kCloseSettleMs = 3000;  // the close-last timer, and the sinks letting go

double RssMb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

int OpenDescriptors()
{
    std::error_code error;
    int count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error))
        ++count;
    return count - 1;  // the listing's own descriptor
}

// Every window in the display's tree below the root, on a connection of our own.
class WindowCounter {
public:
    WindowCounter() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_)) {
            xcb_disconnect(connection_);
            connection_ = nullptr;
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~WindowCounter()
    {
        if (connection_)
            xcb_disconnect(connection_);
    }
    WindowCounter(const WindowCounter&) = delete;
    WindowCounter& operator=(const WindowCounter&) = delete;

    int Count() const { return connection_ ? Below(root_) : -1; }

private:
    int Below(xcb_window_t window) const
    {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
        if (!tree)
            return 0;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int n = xcb_query_tree_children_length(tree);
        int count = n;
        for (int i = 0; i < n; ++i)
            count += Below(children[i]);
        std::free(tree);
        return count;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

struct Figures {
    double rssMb = 0;
    int descriptors = 0;
    int windows = -1;
};

Figures Take(const WindowCounter& windows)
{
    return {RssMb(), OpenDescriptors(), windows.Count()};
}

QString WindowsText(int windows)
{
    return windows < 0 ? QString("-") : QString::number(windows);
}

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays the folder in a loop from its first file for `ms`, counting the titles started;
// a list that stood still for two checks anyway (a title that failed) starts again there.
int PlayFolderFor(vistrel::MainWindow& window, const std::string& first, qint64 ms,
                  const std::function<void(qint64 elapsedMs, int titles)>& everyMinute)
{
    vistrel::FileBrowser& browser = window.Browser();
    const auto start = [&] {
        browser.ProgrammaticSelection = true;
        window.Controls().fileList->clearSelection();
        browser.ProgrammaticSelection = false;
        browser.SelectFileByName(first);
        window.TitlePlay().FileListClicked("bench");
    };
    start();
    int titles = 1;
    int index = window.Title().CurrentIndex;
    qint64 nextMinute = 60000;
    int idleChecks = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        RunEventLoopFor(kCheckMs);
        if (window.Title().CurrentIndex != index) {
            index = window.Title().CurrentIndex;
            ++titles;
        }
        const bool idle = window.Title().playState != vistrel::MMSTATE_PLAY && !window.Timers().positionTimer->isActive();
        idleChecks = idle ? idleChecks + 1 : 0;
        if (idleChecks == 2) {
            start();
            ++titles;
        }
        if (everyMinute && clock.elapsed() >= nextMinute) {
            everyMinute(clock.elapsed(), titles);
            nextMinute += 60000;
        }
    }
    return titles;
}

void CloseTitle(vistrel::MainWindow& window)
{
    window.TitlePlay().PlayControlClicked(2);  // Stop
    window.TitlePlay().CloseMedia(true, false, false);
    RunEventLoopFor(kCloseSettleMs);
}

bool UseBackEnd(vistrel::MainWindow& window, bool directShow)
{
    const int16_t wanted = directShow ? vistrel::kMediaInterfaceDirectShow : vistrel::kMediaInterfaceMCI;
    if (window.Front().MediaInterface != wanted)
        window.Front().ToggleMediaInterface();
    return window.Front().MediaInterface == wanted;
}

QByteArray LoadAverage()
{
    QFile file("/proc/loadavg");
    return file.open(QIODevice::ReadOnly) ? file.readAll().left(14).trimmed() : QByteArray("?");
}

void Soak(vistrel::MainWindow& window, const WindowCounter& windows, const std::string& first, const char* name,
          int minutes)
{
    const bool directShow = std::strcmp(name, "directshow") == 0;
    if (!UseBackEnd(window, directShow)) {
        std::printf("%s: the back end is not available\n", name);
        return;
    }
    const Figures before = Take(windows);
    const int warmTitles = PlayFolderFor(window, first, 30000, nullptr);
    CloseTitle(window);
    const Figures warm = Take(windows);
    std::printf("%s: at start RSS %.1f MB, %d descriptors, %s X windows; after one pass (%d titles) and "
                "the close: RSS %.1f MB, %d descriptors, %s X windows\n",
                name, before.rssMb, before.descriptors, qPrintable(WindowsText(before.windows)), warmTitles,
                warm.rssMb, warm.descriptors, qPrintable(WindowsText(warm.windows)));
    std::printf("%8s %7s %8s %6s %9s %6s\n", "minute", "titles", "RSS MB", "fds", "X windows", "load");
    std::fflush(stdout);
    const int titles = PlayFolderFor(window, first, qint64(minutes) * 60000, [&](qint64 elapsedMs, int played) {
        const Figures now = Take(windows);
        std::printf("%8.0f %7d %8.1f %6d %9s %6s\n", elapsedMs / 60000.0, played, now.rssMb, now.descriptors,
                    qPrintable(WindowsText(now.windows)), LoadAverage().left(4).constData());
        std::fflush(stdout);
    });
    CloseTitle(window);
    const Figures end = Take(windows);
    std::printf("%s: %d titles in %d min; after the close RSS %.1f MB (growth %+.1f MB from after the first "
                "pass), %d descriptors (%+d), %s X windows (%s)\n",
                name, titles, minutes, end.rssMb, end.rssMb - warm.rssMb, end.descriptors,
                end.descriptors - warm.descriptors, qPrintable(WindowsText(end.windows)),
                end.windows < 0 ? "-" : qPrintable(QString::asprintf("%+d", end.windows - warm.windows)));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::string which = argc > 2 ? argv[2] : "both";
    if (minutes <= 0 || (which != "mci" && which != "directshow" && which != "both")) {
        std::fprintf(stderr, "usage: soak [MINUTES] [mci|directshow|both]\n");
        return 2;
    }
    vistrel::LimitMallocArenas();  // as the program does
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QDir demo(VISTREL_SOURCE_DIR "/demo");
    const QStringList files = demo.entryList(QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (!QFile::copy(demo.filePath(file), dir.filePath(file))) {
            std::fprintf(stderr, "cannot copy %s into %s\n", qPrintable(file), qPrintable(dir.path()));
            return 1;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no demo files in %s\n", qPrintable(demo.path()));
        return 1;
    }

    vistrel::program::IniFile = dir.filePath("Vistrel.ini").toStdString();
    vistrel::program::IniBackupFile = dir.filePath("Vistrel.bak").toStdString();
    auto window = std::make_unique<vistrel::MainWindow>(dir.filePath("vistrel").toStdString());
    window->show();
    window->Browser().SetFolder(dir.path().toStdString());
    window->Controls().playAllCheck->setChecked(true);
    window->Controls().loopCheck->setChecked(true);
    const WindowCounter windows;

    std::printf("soak: play-all over %lld demo files, %d min per back end, platform %s, load average %s\n",
                static_cast<long long>(files.size()), minutes, qPrintable(QApplication::platformName()),
                LoadAverage().constData());
    for (const char* name : {"mci", "directshow"}) {
        if (which == "both" || which == name)
            Soak(*window, windows, files.front().toStdString(), name, minutes);
    }
    window->close();
    return 0;
}
