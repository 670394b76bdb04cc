// Truncated and corrupted copies of every fixture go through the media file test
// without a crash or an exception. The test build runs under AddressSanitizer and
// UBSan (test.sh), which turn any read outside a buffer into a failure.
#include "mediainfo/MediaFileTest.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <set>

using namespace vistrel;

namespace {

std::vector<std::string> FixtureFiles()
{
    std::vector<std::string> files;
    const QDir dir(VISTREL_FIXTURES_DIR "/media");
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        files.push_back(dir.filePath(name).toStdString());
    return files;
}

// Lengths to cut at: every length up to 64, then steps through the first 4 KiB, then
// sixteenths of the whole file.
std::set<size_t> CutLengths(size_t size)
{
    std::set<size_t> cuts;
    for (size_t n = 0; n <= 64 && n < size; ++n)
        cuts.insert(n);
    for (size_t n = 64; n < 4096 && n < size; n += 37)
        cuts.insert(n);
    for (size_t k = 1; k < 16; ++k)
        cuts.insert(size * k / 16);
    if (size > 0)
        cuts.insert(size - 1);
    return cuts;
}

// 1 to 16 random bytes overwritten, half of the time inside the first 4 KiB where the
// headers are.
std::vector<uint8_t> Corrupted(std::vector<uint8_t> bytes, std::mt19937& rng)
{
    if (bytes.empty())
        return bytes;
    const int count = std::uniform_int_distribution<int>(1, 16)(rng);
    for (int i = 0; i < count; ++i) {
        const size_t limit = (rng() % 2 == 0) ? std::min<size_t>(bytes.size(), 4096) : bytes.size();
        bytes[rng() % limit] = static_cast<uint8_t>(rng());
    }
    return bytes;
}

}  // namespace

class TestMediaInfoRobustness : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    size_t runs_ = 0;

    void Run(const std::string& original, const std::vector<uint8_t>& bytes)
    {
        const std::string ext = UpperExtension(original);
        const std::string copy = dir_.filePath("variant.").toStdString() + GetExtensionOf(original);
        test::WriteFile(copy, bytes);
        try {
            const MediaFileTestResult r = TestMediaFile(copy, ext);
            QVERIFY(r.Detected >= 0 && r.Detected <= 200);
        } catch (...) {
            QFAIL(("exception from the media file test on a variant of " + original).c_str());
        }
        ++runs_;
    }
    static std::string GetExtensionOf(const std::string& path)
    {
        const auto dot = path.rfind('.');
        return dot == std::string::npos ? std::string("bin") : path.substr(dot + 1);
    }

private slots:
    void initTestCase() { InitMpegSyncCodes(); }

    void truncatedCopies()
    {
        for (const std::string& file : FixtureFiles()) {
            const auto bytes = test::ReadFile(file);
            for (size_t cut : CutLengths(bytes.size()))
                Run(file, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut)));
        }
        QVERIFY(runs_ > 1000);
    }

    void corruptedCopies()
    {
        std::mt19937 rng(20261205);
        for (const std::string& file : FixtureFiles()) {
            const auto bytes = test::ReadFile(file);
            for (int variant = 0; variant < 24; ++variant)
                Run(file, Corrupted(bytes, rng));
        }
    }

    void corruptedAndTruncatedCopies()
    {
        std::mt19937 rng(7);
        for (const std::string& file : FixtureFiles()) {
            const auto bytes = Corrupted(test::ReadFile(file), rng);
            for (size_t k = 1; k < 8; ++k)
                Run(file, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(bytes.size() * k / 8)));
        }
    }
};

QTEST_APPLESS_MAIN(TestMediaInfoRobustness)
#include "tst_mediainfo_robustness.moc"
