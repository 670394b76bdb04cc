// bench/copy [MIB] [FILES] [ROUNDS]: the copy engine against the system's tools on the same
// files in the same run. Two workloads: one file of MIB MiB (default 1024) and FILES small
// files of 4..64 KiB in a folder (default 2,000). For each, ROUNDS times (default 4), the
// two sides in turns (which goes first alternates by round), each after a `sync`:
//   - copy within the disk's /tmp: the engine (every file synced, as it always does)
//     against `cp` (or `cp -r`) followed by `sync`;
//   - move from /tmp to the tmpfs /dev/shm (another file system): the engine (verified
//     copy, synced, then the source removed) against `mv` followed by `sync`.
// Prints the medians, the throughput and the engine's share of the tool's throughput.
// Figures only; nothing passes or fails on time.
#include "platform/shell/CopyEngine.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using vistrel::shell::FileOp;

class QuietUi : public vistrel::shell::TransferUi {
public:
    bool Progress(FileOp, const std::string&, int, int, uint64_t, uint64_t) override { return true; }
    vistrel::shell::ConflictAnswer AskConflict(const std::string&, const std::string&) override
    {
        throw std::runtime_error("unexpected conflict");
    }
    vistrel::shell::ErrorAnswer AskError(FileOp, const std::string& name, const std::string& reason) override
    {
        throw std::runtime_error("cannot transfer " + name + ": " + reason);
    }
};

std::string MakeFolder(const std::string& parent)
{
    std::string name = parent + "/vistrel-copy-bench-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot create a folder in " + parent);
    return name;
}

void Run(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + args[0]);
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void WriteRandom(const std::string& path, uint64_t size, std::mt19937_64& random)
{
    std::vector<uint64_t> block(1 << 17);
    std::ofstream out(path, std::ios::binary);
    for (uint64_t done = 0; done < size;) {
        for (uint64_t& word : block)
            word = random();
        const uint64_t part = std::min<uint64_t>(size - done, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(part));
        done += part;
    }
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

struct Workload {
    std::string label;
    std::string item;  // the file or folder copied, inside the source folder
    uint64_t bytes = 0;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, const Workload& work, const std::vector<double>& engine,
            const std::vector<double>& tool, const char* toolName)
{
    const double mib = double(work.bytes) / (1 << 20);
    const double ours = Median(engine);
    const double theirs = Median(tool);
    std::printf("%-5s %-22s engine %8.3f s %8.1f MiB/s | %-9s %8.3f s %8.1f MiB/s | engine/tool throughput %.2f\n",
                what, work.label.c_str(), ours, mib / ours, toolName, theirs, mib / theirs, theirs / ours);
}

// Runs `first` and `second` in this order on even rounds and the other way on odd ones,
// so neither always pays for what the other left to the disk.
void Alternate(int round, const std::function<void()>& first, const std::function<void()>& second)
{
    if (round % 2 == 0) {
        first();
        second();
    } else {
        second();
        first();
    }
}

void Timed(std::vector<double>& times, const std::function<void()>& work)
{
    Run({"sync"});
    const auto start = Clock::now();
    work();
    times.push_back(Seconds(start));
}

void Measure(const Workload& work, const std::string& source, const std::string& disk, const std::string& memory,
             int rounds)
{
    QuietUi ui;
    std::vector<double> engineCopy, toolCopy, engineMove, toolMove;
    const std::string item = source + "/" + work.item;
    for (int round = 0; round < rounds; ++round) {
        const std::string ours = MakeFolder(disk);
        const std::string theirs = MakeFolder(disk);
        Alternate(round, [&] {
            Timed(engineCopy, [&] {
                if (!vistrel::shell::Transfer(FileOp::Copy, {item}, ours, ui).ok)
                    throw std::runtime_error("the engine's copy failed");
            });
        }, [&] {
            Timed(toolCopy, [&] {
                Run({"cp", "-r", item, theirs});
                Run({"sync"});
            });
        });
        // The copies just made are the sources of the moves to the other file system.
        const std::string oursMoved = MakeFolder(memory);
        const std::string theirsMoved = MakeFolder(memory);
        Alternate(round, [&] {
            Timed(engineMove, [&] {
                if (!vistrel::shell::Transfer(FileOp::Move, {ours + "/" + work.item}, oursMoved, ui).ok)
                    throw std::runtime_error("the engine's move failed");
            });
        }, [&] {
            Timed(toolMove, [&] {
                Run({"mv", theirs + "/" + work.item, theirsMoved});
                Run({"sync"});
            });
        });
        for (const std::string& folder : {ours, theirs, oursMoved, theirsMoved})
            fs::remove_all(folder);
    }
    Report("copy", work, engineCopy, toolCopy, "cp+sync");
    Report("move", work, engineMove, toolMove, "mv+sync");
}

}  // namespace

int main(int argc, char** argv)
{
    const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const int files = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 4;
    const std::string disk = "/tmp";
    const std::string memory = "/dev/shm";
    try {
        std::mt19937_64 random(42);
        const std::string source = MakeFolder(disk);
        WriteRandom(source + "/big.bin", mib << 20, random);
        fs::create_directory(source + "/small");
        uint64_t smallBytes = 0;
        for (int i = 0; i < files; ++i) {
            const uint64_t size = (4 + random() % 61) << 10;
            WriteRandom(source + "/small/file" + std::to_string(i) + ".mp3", size, random);
            smallBytes += size;
        }
        std::printf("copy within %s (disk), move from %s to %s (tmpfs); medians of %d rounds, warm cache\n",
                    disk.c_str(), disk.c_str(), memory.c_str(), rounds);
        Measure({std::to_string(mib) + " MiB file", "big.bin", mib << 20}, source, disk, memory, rounds);
        Measure({std::to_string(files) + " small files", "small", smallBytes}, source, disk, memory, rounds);
        fs::remove_all(source);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench/copy: %s\n", error.what());
        return 1;
    }
    return 0;
}
