// Cut and overwritten copies of every fixture go through every reader, the block decoders (over
// the bytes alone, without the readers' padding) and the whole media file test under ASan and
// UBSan; every line must be UTF-8, since the labels and vistrel-info's JSON show them.
#include "mediainfo/Ac3Info.h"
#include "mediainfo/AiffInfo.h"
#include "mediainfo/AsfInfo.h"
#include "mediainfo/AuInfo.h"
#include "mediainfo/AviInfo.h"
#include "mediainfo/FlacInfo.h"
#include "mediainfo/FlvInfo.h"
#include "mediainfo/MediaFileTest.h"
#include "mediainfo/MidiInfo.h"
#include "mediainfo/MpegStreamInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/QuicktimeInfo.h"
#include "mediainfo/RealMediaInfo.h"
#include "mediainfo/WaveInfo.h"
#include "mediainfo/WebpInfo.h"
#include "support/TestSupport.h"

#include <random>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;

// Reads with `read` and words the lines with `put`; the line that is not UTF-8, if any.
template <typename Info, typename Read, typename Put>
static std::string Run(const char* reader, Read read, Put put)
{
    Info info;
    InfoLines lines;
    StreamFlags flags;
    put(info, read(info), lines, flags);
    for (const std::string& line : lines) {
        if (QString::fromUtf8(line.data(), qsizetype(line.size())).toStdString() != line)
            return std::string(reader) + " wrote a line that is not UTF-8: " + line + "; ";
    }
    return {};
}
// Get<Name>Info over the file, Parse<Name>Block over the bytes alone; Put<Name>InfoLines.
#define FILE_READER(Name) Run<Name##Info>(#Name, [&](auto& i) { return Get##Name##Info(file, i); }, Put##Name##InfoLines)
#define BLOCK_DECODER(Name) Run<Name##Info>(#Name " block", [&](auto& i) { return Parse##Name##Block(bytes, i); }, Put##Name##InfoLines)

static std::string RunAll(const std::string& file, const Bytes& bytes)
{
    test::WriteFile(file, bytes);
    const auto putAsf = [](const AsfInfo& i, bool ok, InfoLines& l, StreamFlags& f) { PutAsfInfoLines(i, ok, 8, l, f); };
    const auto fileTest = [&](MediaFileTestResult& r) { return (r = TestMediaFile(file, UpperExtension(file))).Play; };
    const auto putFileTest = [](const MediaFileTestResult& r, bool, InfoLines& l, StreamFlags&) { l = r.Lines; };
    return FILE_READER(Wave) + FILE_READER(Mpeg) + FILE_READER(Avi) + FILE_READER(Ogg) + FILE_READER(Midi) + FILE_READER(Au) +
           FILE_READER(Aiff) + FILE_READER(Quicktime) + FILE_READER(Ac3) + FILE_READER(RealMedia) + FILE_READER(Flv) +
           FILE_READER(Flac) + FILE_READER(Webp) + BLOCK_DECODER(Ac3) + BLOCK_DECODER(Aiff) + BLOCK_DECODER(Au) +
           BLOCK_DECODER(Flac) + BLOCK_DECODER(Midi) + BLOCK_DECODER(Ogg) + BLOCK_DECODER(Webp) +
           Run<AsfInfo>("Asf", [&](AsfInfo& i) { return GetAsfInfo(file, i); }, putAsf) +
           Run<AsfInfo>("Asf bytes", [&](AsfInfo& i) { return ReadAsfInfo(ByteBuffer(bytes), i); }, putAsf) +
           Run<MediaFileTestResult>("TestMediaFile", fileTest, putFileTest);
}
// 1 to 16 random bytes overwritten, half of the time inside the first 4 KiB where the headers are.
static Bytes Overwritten(Bytes bytes, std::mt19937& rng)
{
    for (int i = std::uniform_int_distribution<int>(1, 16)(rng); i > 0 && !bytes.empty(); --i)
        bytes[rng() % (rng() % 2 == 0 ? std::min<size_t>(bytes.size(), 4096) : bytes.size())] = static_cast<uint8_t>(rng());
    return bytes;
}
static Bytes Cut(const Bytes& bytes, size_t size) { return Bytes(bytes.begin(), bytes.begin() + ptrdiff_t(size)); }
class TestMediaInfoRobustness : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void damagedCopies_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : QDir(VISTREL_FIXTURES_DIR "/media").entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << name;
    }
    void damagedCopies()
    {
        QFETCH(QString, name);
        const Bytes bytes = test::ReadFile(test::Fixture(name.toStdString()));
        const std::string copy = dir_.filePath("copy." + QFileInfo(name).suffix()).toStdString();
        std::mt19937 rng(static_cast<uint32_t>(qHash(name)));
        // Cut at every length up to 64, in steps through the first 4 KiB and the rest, one short.
        std::vector<std::pair<std::string, Bytes>> variants{{"one short", Cut(bytes, bytes.empty() ? 0 : bytes.size() - 1)}};
        for (size_t n = 0; n < bytes.size(); n += n < 64 ? 1 : n < 4096 ? 61 : bytes.size() / 16 + 1)
            variants.emplace_back("cut to " + std::to_string(n), Cut(bytes, n));
        for (int round = 0; round < 24; ++round)
            variants.emplace_back("overwritten, round " + std::to_string(round), Overwritten(bytes, rng));
        const Bytes overwritten = Overwritten(bytes, rng);
        for (size_t k = 1; k < 8; ++k)
            variants.emplace_back("overwritten, cut to " + std::to_string(k) + "/8", Cut(overwritten, bytes.size() * k / 8));
        for (const auto& [what, variant] : variants) {
            const std::string failures = RunAll(copy, variant);
            QVERIFY2(failures.empty(), (what + ": " + failures).c_str());
        }
    }
};

QTEST_APPLESS_MAIN(TestMediaInfoRobustness)
#include "tst_mediainfo_robustness.moc"
