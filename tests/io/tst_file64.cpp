// File64: the file object with 64-bit positions. Its numbered errors, reads at the end of
// a file, positions beyond 4 GiB, and writes that must not happen on a read-only open.
#include "support/File64.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;
using vistrel::test::WriteFile;

namespace {

// Runs `call` and returns the error it raised as "number source: description".
std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Win32FileError& e) {
        return std::to_string(e.Number()) + " " + e.Source() + ": " + e.Description();
    }
    return "no error";
}

std::vector<uint8_t> bytes;
std::string text;
const std::pair<const char*, std::function<void(File64&)>> kCallsNeedingAFile[] = {
    {"FileName", [](File64& f) { (void)f.FileName(); }}, {"FileHandle", [](File64& f) { (void)f.FileHandle(); }},
    {"AutoFlush", [](File64& f) { (void)f.AutoFlush(); }}, {"SetAutoFlush", [](File64& f) { f.SetAutoFlush(true); }},
    {"CloseFile", [](File64& f) { f.CloseFile(); }}, {"ReadBytes", [](File64& f) { f.ReadBytes(4, bytes); }},
    {"ReadString", [](File64& f) { f.ReadString(4, text); }}, {"WriteBytes", [](File64& f) { f.WriteBytes({1}); }},
    {"Flush", [](File64& f) { f.Flush(); }}, {"SeekToAbsolute64", [](File64& f) { f.SeekToAbsolute64(0, 0); }},
    {"SeekToAbsolute", [](File64& f) { f.SeekToAbsolute(0); }}, {"SeekRelative", [](File64& f) { f.SeekRelative(0); }},
};

}  // namespace

class TestFile64 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

private slots:
    void everyCallButOpeningNeedsAnOpenFile_data()
    {
        QTest::addColumn<int>("call");
        for (size_t i = 0; i < std::size(kCallsNeedingAFile); ++i)
            QTest::newRow(kCallsNeedingAFile[i].first) << int(i);
    }
    void everyCallButOpeningNeedsAnOpenFile()
    {
        QFETCH(int, call);
        File64 f;
        QVERIFY(!f.IsOpen());
        QCOMPARE(ErrorOf([&] { kCallsNeedingAFile[call].second(f); }), std::string("45603 Win32File Object: There is no open file."));
    }

    void openingKeepsTheFirstFileAndCreatesNone()
    {
        WriteFile(Path("first.bin"), "first");
        File64 f;
        QVERIFY(!f.OpenFile(Path("missing.bin"), true) && !f.OpenFile(Path("missing.bin"), false) && !f.IsOpen());
        QVERIFY(::access(Path("missing.bin").c_str(), F_OK) != 0);
        QVERIFY(f.OpenFile(Path("first.bin"), true));
        QVERIFY(!f.OpenFile(Path("missing.bin"), true));
        QCOMPARE(f.FileName(), Path("first.bin"));
    }

    // Reads report what they got; a text keeps byte codes above 127 and ends with a NUL.
    void shortReadsAndTexts()
    {
        WriteFile(Path("six.bin"), std::vector<uint8_t>{'A', 'B', 0xFF, 0x80, 'E', 'F'});
        File64 f;
        QVERIFY(f.OpenFile(Path("six.bin"), true));
        std::string text = "previous";
        QCOMPARE(f.ReadString(4, text), 4);
        QCOMPARE(text, std::string("AB\xFF\x80\0", 5));
        std::vector<uint8_t> b(1, 0xEE);
        QCOMPARE(f.ReadBytes(4, b), 2);
        QCOMPARE(b[1], uint8_t('F'));
        QCOMPARE(f.ReadBytes(4, b), 0);
        QCOMPARE(f.ReadString(4, text), 0);
        QCOMPARE(text, std::string("AB\xFF\x80\0", 5));  // unchanged at the end
        QVERIFY(f.ReadBytes(0, b) == 0 && f.ReadBytes(-5, b) == 0);
        // Seeking before the start fails with the system's "invalid" error, 123.
        QCOMPARE(ErrorOf([&] { f.SeekRelative(-10); }), std::string("45604 Win32File Object: Seek Error.\r\nError 123.\r\n123"));
    }

    // A sparse file longer than 4 GiB: reading at 0xFFFFFFFF proves the position was taken
    // as 4294967295, not as -1.
    void positionsBeyond4GiB()
    {
        const std::string name = Path("sparse.bin");
        WriteFile(name, "x");
        QCOMPARE(::truncate(name.c_str(), 0x100000010LL), 0);
        {
            File64 w;
            QVERIFY(w.OpenFile(name, false));
            w.SeekToAbsolute64(0, 0xFFFFFFFFu);
            w.WriteBytes({0x5A});
            w.SeekToAbsolute64(1, 0x4);
            w.WriteBytes({0x7B});
        }
        File64 f;
        QVERIFY(f.OpenFile(name, true));
        std::vector<uint8_t> b(1);
        f.SeekToAbsolute(0xFFFFFFFFu);
        QVERIFY(f.ReadBytes(1, b) == 1 && b[0] == 0x5A);
        f.SeekToAbsolute64(1, 4);
        QVERIFY(f.ReadBytes(1, b) == 1 && b[0] == 0x7B);
        f.SeekRelative(-6);
        QVERIFY(f.ReadBytes(1, b) == 1 && b[0] == 0x5A);
    }

    void writesGoToThePositionAndNeverThroughAReadOnlyOpen()
    {
        WriteFile(Path("w.bin"), "ABCDEF");
        File64 f;
        QVERIFY(f.OpenFile(Path("w.bin"), true));
        f.WriteBytes(test::Bytes("zz"));  // not raised, not written
        f.CloseFile();
        QVERIFY(f.OpenFile(Path("w.bin"), false));
        f.SeekToAbsolute(2);
        f.WriteBytes(test::Bytes("xy"));
        f.CloseFile();
        QCOMPARE(test::ReadText(Path("w.bin")), std::string("ABxyEF"));
    }
};

QTEST_APPLESS_MAIN(TestFile64)
#include "tst_file64.moc"
