// bench/fill [FILES] [ROUNDS]: creates FILES empty files (default 100,000) in a new
// temporary folder, half of them matching the file list's pattern list (every pattern in
// turn, some names in upper case), the other half not. Then, alternating, ROUNDS times
// (default 9) each:
//   - a plain directory read: opendir/readdir, every name copied into a vector;
//   - FillFileList: the same read, filtered, sorted;
//   - what the user waits for: the main window's controls shown (offscreen platform unless
//     QT_QPA_PLATFORM says otherwise), the browser on an empty folder, then from the folder
//     change (SetFolder) until the file list holds the names and its viewport has painted.
// Prints the medians and the ratios to the plain read, and removes the folder. Figures only;
// nothing passes or fails on time.
#include "app/MainControls.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"

#include <QAbstractItemView>
#include <QListWidget>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// A new temporary folder, removed with everything in it when this goes.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string name = (fs::temp_directory_path() / "vistrel-fill-XXXXXX").string();
        if (!::mkdtemp(name.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path_ = name;
    }
    ~TemporaryFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A name the pattern matches: the first "*" becomes the number, other "*" nothing, "?" an "x".
std::string MatchingName(const std::string& pattern, const std::string& number, bool upperCase)
{
    std::string name;
    bool numbered = false;
    for (const char c : pattern) {
        if (c == '*' && !numbered)
            name += number, numbered = true;
        else if (c == '?')
            name += 'x';
        else if (c != '*')
            name += upperCase ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    }
    return name;
}

std::string OtherName(size_t i, const std::string& number)
{
    static const char* const kOthers[] = {".txt", ".jpg", ".nfo", ".srt", ".dat", ""};
    return number + kOthers[i % std::size(kOthers)];
}

void CreateEmptyFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    ::close(fd);
}

// Returns how many of the files match.
size_t CreateFiles(const std::string& folder, size_t count)
{
    const std::vector<std::string> patterns = vistrel::DefaultFilePatterns();
    char number[24];
    size_t matching = 0;
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, "%06zu", i);
        const bool match = i % 2 == 0;
        const std::string name =
            match ? MatchingName(patterns[(i / 2) % patterns.size()], number, i % 6 == 0) : OtherName(i / 2, number);
        CreateEmptyFile(folder + "/" + name);
        matching += match;
    }
    return matching;
}

size_t PlainDirectoryRead(const std::string& folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    while (const dirent* entry = dir ? ::readdir(dir.get()) : nullptr)
        names.emplace_back(entry->d_name);
    return names.size();
}

template <typename F>
double TimeMilliseconds(F&& call, size_t& result)
{
    const auto start = Clock::now();
    result = call();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Counts the paint events of the file list's viewport.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count() const { return count_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count_ += event->type() == QEvent::Paint;
        return false;
    }

private:
    int count_ = 0;
};

// The main window's controls with the browser over them, shown.
struct ShownBrowser {
    QWidget window;
    vistrel::MainControls controls = vistrel::BuildMainControls(&window, 96, QString());
    vistrel::FileBrowser browser{controls.driveBox, controls.folderList, controls.fileList};
    PaintCounter paints{controls.fileList->viewport()};

    ShownBrowser()
    {
        window.resize(800, 560);
        window.show();
        QApplication::processEvents();
    }
    // From the folder change until the list has painted; returns the number of rows.
    size_t OpenAndPaint(const std::string& folder)
    {
        const int before = paints.Count();
        browser.SetFolder(folder);
        QElapsedTimer bound;
        bound.start();
        while (paints.Count() == before && bound.elapsed() < 60000)
            QApplication::processEvents();
        return size_t(controls.fileList->model()->rowCount());
    }
};

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five;
    in >> one >> five;
    return one.empty() ? "unknown" : one + " (1 min), " + five + " (5 min)";
}

}  // namespace

int main(int argc, char** argv)
{
    const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 9);
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    try {
        const TemporaryFolder folder, empty;
        const auto createStart = Clock::now();
        const size_t matching = CreateFiles(folder.Path(), files);
        const double createSeconds = std::chrono::duration<double>(Clock::now() - createStart).count();
        const std::vector<std::string> patterns = vistrel::DefaultFilePatterns();

        ShownBrowser shown;
        std::vector<double> plain, fill, open;
        size_t read = 0, listed = 0, rows = 0;
        for (int r = 0; r < rounds; ++r) {
            plain.push_back(TimeMilliseconds([&] { return PlainDirectoryRead(folder.Path()); }, read));
            fill.push_back(TimeMilliseconds([&] { return vistrel::FillFileList(folder.Path(), patterns, {}).size(); },
                                            listed));
            shown.OpenAndPaint(empty.Path());
            open.push_back(TimeMilliseconds([&] { return shown.OpenAndPaint(folder.Path()); }, rows));
        }
        std::printf("bench/fill: %zu files (%zu match the %zu patterns), created in %.1f s; %d rounds, medians\n",
                    files, matching, patterns.size(), createSeconds, rounds);
        std::printf("  load average while measuring: %s; %ld processors\n", LoadAverage().c_str(),
                    ::sysconf(_SC_NPROCESSORS_ONLN));
        std::printf("  plain directory read (readdir, names copied): %9.2f ms, %zu entries\n", Median(plain), read);
        std::printf("  FillFileList (match, skip, sort):             %9.2f ms, %zu listed%s\n", Median(fill), listed,
                    listed == matching ? "" : "  (UNEXPECTED COUNT)");
        std::printf("  ratio FillFileList / plain read:              %9.2f\n", Median(fill) / Median(plain));
        std::printf("  folder change until the list painted:         %9.2f ms, %zu rows%s\n", Median(open), rows,
                    rows == matching ? "" : "  (UNEXPECTED COUNT)");
        std::printf("  ratio folder change / plain read:             %9.2f\n", Median(open) / Median(plain));
        return listed == matching && rows == matching ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench/fill: %s\n", e.what());
        return 2;
    }
}
