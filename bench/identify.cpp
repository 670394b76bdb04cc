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

template <typename F>
double MedianMicroseconds(const std::vector<std::string>& files, int rounds, F&& perFile)
{
    std::vector<double> samples;
    volatile long sink = 0;
    for (int r = 0; r < rounds; ++r) {
        for (const auto& file : files) {
            const auto start = Clock::now();
            sink = sink + perFile(file);
            samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(samples.size() / 2), samples.end());
    return samples[samples.size() / 2];
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
    const double floor = MedianMicroseconds(files, rounds, ReadFloor);
    const double detect = MedianMicroseconds(files, rounds, [](const std::string& f) { return vistrel::GetMediaType(f); });
    std::printf("files: %zu in %s, rounds: %d\n", files.size(), folder.c_str(), rounds);
    std::printf("GetMediaType median per file:              %8.2f us\n", detect);
    std::printf("floor (open, read 2048 bytes, close):      %8.2f us\n", floor);
    std::printf("ratio GetMediaType / floor:                %8.2f\n", detect / floor);
    return 0;
}
