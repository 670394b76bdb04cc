// bench/identify [FOLDER] [ROUNDS]: the median time per file of GetMediaType over the
// files of FOLDER (default: the test fixtures), beside the time of a plain open, read of
// 2048 bytes and close of the same files in the same process (the physical floor).
#include "mediainfo/MediaType.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int ReadFloor(const std::string& file)
{
    char buffer[2048];
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const auto n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return static_cast<int>(n > 0 ? buffer[0] : n);
}

double Median(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(samples.size() / 2), samples.end());
    return samples[samples.size() / 2];
}

template <typename F>
double TimeMicroseconds(F&& call)
{
    const auto start = Clock::now();
    volatile long sink = call();
    (void)sink;
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

struct Figures {
    double detect = 0;
    double floor = 0;
};

// Both measurements alternate file by file, so that drift of the machine hits both alike.
Figures Measure(const std::vector<std::string>& files, int rounds)
{
    std::vector<double> detect, floor;
    for (int r = 0; r < rounds; ++r) {
        for (const auto& file : files) {
            floor.push_back(TimeMicroseconds([&] { return ReadFloor(file); }));
            detect.push_back(TimeMicroseconds([&] { return vistrel::GetMediaType(file); }));
        }
    }
    return {Median(detect), Median(floor)};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : VISTREL_FIXTURES_DIR;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    const auto files = FilesIn(folder);
    if (files.empty()) {
        std::fprintf(stderr, "identify: no files in %s\n", folder.c_str());
        return 1;
    }
    vistrel::InitMpegSyncCodes();
    // One warm-up pass so that both measurements read from the page cache.
    for (const auto& file : files)
        ReadFloor(file);
    const Figures f = Measure(files, rounds);
    std::printf("files: %zu in %s, rounds: %d\n", files.size(), folder.c_str(), rounds);
    std::printf("GetMediaType median per file:              %8.2f us\n", f.detect);
    std::printf("floor (open, read 2048 bytes, close):      %8.2f us\n", f.floor);
    std::printf("ratio GetMediaType / floor:                %8.2f\n", f.detect / f.floor);
    return 0;
}
