#pragma once
// Part 1.1 A: the start-up sequence. The QApplication exists before Main runs.
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

// Step A.10: loads once more after 100 ms when the first load ran out of memory.
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

}  // namespace vistrel
