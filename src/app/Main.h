#pragma once
// The start-up sequence: checks, settings file names, the main window until it closes.
// The QApplication exists before Main runs.
#include <QThread>

#include <new>
#include <string>
#include <vector>

namespace vistrel {

// What Main reads from the process; tests give their own.
struct StartupEnv {
    std::string CurrentDirectory;
    std::vector<std::string> Arguments;  // the arguments after the program
    std::string ModulePath;              // the program's full path
    static StartupEnv FromProcess(int argc, char** argv);
};

// Runs start-up, shows the main window and returns when it has been closed.
// Returns 0 after a normal close, 1 when start-up ended the process with a message.
int Main(const StartupEnv& env);

// Builds the main window; when memory ran out, waits 100 ms (other programs may free
// some) and tries once more.
template <typename Load>
auto LoadRetryingOnceWhenOutOfMemory(Load&& load)
{
    try {
        return load();
    } catch (const std::bad_alloc&) {
        QThread::msleep(100);
        return load();
    }
}

// Before the QApplication exists: under a Wayland session Vistrel runs through XWayland.
void SelectX11PlatformWhenPossible();

// Before any thread starts: the engines start and end threads with every title, and glibc
// would give many of them a heap of their own whose freed pages stay with the process, so a
// day of play-all would grow by tens of megabytes an hour. Two heaps keep it flat.
void LimitMallocArenas();

}  // namespace vistrel
