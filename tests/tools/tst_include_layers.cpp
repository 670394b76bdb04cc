// The layers of src/ from the top: app/ -> playback/ browser/ video/ controls/ settingsdlg/
// -> mediainfo/ platform/ -> support/. A file includes its own folder and lower layers only;
// subsystems of one layer never include each other.
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> kLayer{{"app", 3},       {"playback", 2}, {"browser", 2},  {"video", 2},
                                        {"controls", 2},  {"settingsdlg", 2}, {"mediainfo", 1}, {"platform", 1},
                                        {"support", 0}};

// "" when `included` (as written between the quotes) may be included from folder `from`.
std::string Violation(const std::string& from, const std::string& included)
{
    const auto slash = included.find('/');
    if (slash == std::string::npos)
        return {};  // beside the including file
    const std::string to = included.substr(0, slash);
    if (to == from)
        return {};
    if (!kLayer.contains(to))
        return {};  // not a folder of src/ (a generated or third-party header)
    return kLayer.at(to) < kLayer.at(from) ? std::string{} : (kLayer.at(to) > kLayer.at(from) ? "up" : "across");
}

}  // namespace

class TestIncludeLayers : public QObject {
    Q_OBJECT

private slots:
    void includesPointDownOnly()
    {
        const fs::path src = fs::path(VISTREL_SOURCE_DIR) / "src";
        const std::regex include("^\\s*#\\s*include\\s*\"([^\"]+)\"");
        QStringList problems;
        int files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(src)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const fs::path relative = fs::relative(entry.path(), src);
            const std::string folder = relative.begin()->string();
            if (!kLayer.contains(folder)) {
                problems << QString::fromStdString(relative.string() + ": folder without a layer");
                continue;
            }
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            std::smatch m;
            while (std::getline(in, line))
                if (std::regex_search(line, m, include))
                    if (const std::string why = Violation(folder, m[1]); !why.empty())
                        problems << QString::fromStdString(relative.string() + " includes " + m[1].str() + " (" +
                                                           why + ")");
        }
        QVERIFY(files > 50);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }
};

QTEST_APPLESS_MAIN(TestIncludeLayers)
#include "tst_include_layers.moc"
