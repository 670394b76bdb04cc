// bench/identify [FOLDER] [ROUNDS]: per file, over the files of FOLDER (default: the test
// fixtures), the median time of
//   - the floor: a plain open, read of 2048 bytes and close;
//   - GetMediaType;
//   - the whole media file test (detection plus the format reader);
// and, for comparison, the time per file of `mediainfo` (all files in one process) and
// of `ffprobe -show_format -show_streams` (one process per file: it takes one input).
// Figures only; nothing passes or fails on time.
#include "mediainfo/MediaFileTest.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

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
    if (samples.empty())
        return 0;
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

struct InProcessFigures {
    double floor = 0, detect = 0, test = 0;
};

// The three in-process measurements alternate file by file, so that drift of the
// machine hits them alike.
InProcessFigures MeasureInProcess(const std::vector<std::string>& files, int rounds)
{
    std::vector<double> floor, detect, test;
    for (int r = 0; r < rounds; ++r) {
        for (const auto& file : files) {
            const std::string ext = vistrel::UpperExtension(file);
            floor.push_back(TimeMicroseconds([&] { return ReadFloor(file); }));
            detect.push_back(TimeMicroseconds([&] { return vistrel::GetMediaType(file); }));
            test.push_back(TimeMicroseconds([&] { return vistrel::TestMediaFile(file, ext).Play; }));
        }
    }
    return {Median(floor), Median(detect), Median(test)};
}

// Runs `program` with `args` (no shell), output discarded; returns false when it fails.
bool RunTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, args);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
}

QStringList AsQStrings(const std::vector<std::string>& files)
{
    QStringList list;
    for (const auto& f : files)
        list << QString::fromStdString(f);
    return list;
}

// Median over `rounds` of the time per file of one tool; -1 when it is not installed.
double MeasureTool(const char* name, const std::vector<std::string>& files, int rounds, bool allFilesAtOnce,
                   const QStringList& options)
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return -1;
    std::vector<double> perFile;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        if (allFilesAtOnce) {
            RunTool(program, options + AsQStrings(files));
        } else {
            for (const auto& file : files)
                RunTool(program, options + QStringList{QString::fromStdString(file)});
        }
        perFile.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count()
                          / static_cast<double>(files.size()));
    }
    return Median(perFile);
}

void PrintRow(const char* what, double us, double floor)
{
    if (us < 0)
        std::printf("%-46s %12s\n", what, "not installed");
    else
        std::printf("%-46s %9.2f us %10.1fx floor\n", what, us, us / floor);
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
    for (const auto& file : files)
        ReadFloor(file);  // warm the page cache for every contestant alike
    const InProcessFigures f = MeasureInProcess(files, rounds);
    const int toolRounds = 3;
    const double mediainfo = MeasureTool("mediainfo", files, toolRounds, true, {});
    const double ffprobe = MeasureTool("ffprobe", files, toolRounds, false,
                                       {"-v", "quiet", "-show_format", "-show_streams"});
    std::printf("files: %zu in %s; in-process rounds: %d, tool rounds: %d (medians per file)\n",
                files.size(), folder.c_str(), rounds, toolRounds);
    PrintRow("floor (open, read 2048 bytes, close)", f.floor, f.floor);
    PrintRow("GetMediaType", f.detect, f.floor);
    PrintRow("media file test (detection + reader)", f.test, f.floor);
    PrintRow("mediainfo FILE... (one process)", mediainfo, f.floor);
    PrintRow("ffprobe -show_format -show_streams (per file)", ffprobe, f.floor);
    return 0;
}
