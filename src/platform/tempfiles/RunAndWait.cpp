#include "platform/tempfiles/RunAndWait.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace vistrel::tempfiles {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr auto kTermGrace = std::chrono::seconds(1);

// True once `pid` has ended and was reaped, polling until `deadline`.
bool ReapedBefore(pid_t pid, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

pid_t Spawn(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    ::posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ) != 0)
        pid = -1;
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

RunResult RunAndWait(const std::vector<std::string>& argv, int32_t timeoutMs)
{
    if (argv.empty())
        return kRunNotStarted;
    const pid_t pid = Spawn(argv);
    if (pid <= 0)
        return kRunNotStarted;
    const auto start = std::chrono::steady_clock::now();
    if (ReapedBefore(pid, start + std::chrono::milliseconds(timeoutMs)))
        return kRunEnded;
    ::kill(pid, SIGTERM);
    if (!ReapedBefore(pid, std::chrono::steady_clock::now() + kTermGrace)) {
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return kRunTimedOut;
}

}  // namespace vistrel::tempfiles
