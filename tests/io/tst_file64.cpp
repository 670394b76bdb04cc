// File64: the file object with 64-bit positions. Its numbered error, reads at the end of a
// file, positions beyond 4 GiB, and writes that must not happen on a read-only open.
#include "support/File64.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <functional>
#include <unistd.h>

using namespace vistrel;

class TestFile64 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    static std::string ErrorOf(const std::function<void()>& call)  // "number source: description"
    {
        try {
            call();
        } catch (const Win32FileError& e) {
            return std::to_string(e.Number()) + " " + e.Source() + ": " + e.Description();
        }
        return "no error";
    }

private slots:
    // Opening an existing file is the only call that needs none open; a second open keeps the
    // first file; a missing file is never created.
    void opening()
    {
        File64 f;
        const std::pair<std::string, std::function<void()>> calls[] = {
            {"CloseFile", [&] { f.CloseFile(); }}, {"ReadBytes", [&] { std::vector<uint8_t> b; f.ReadBytes(4, b); }},
            {"ReadString", [&] { std::string text; f.ReadString(4, text); }}, {"WriteBytes", [&] { f.WriteBytes({1}); }},
            {"SeekToAbsolute64", [&] { f.SeekToAbsolute64(0, 0); }}, {"FileName", [&] { (void)f.FileName(); }}};
        for (const auto& [name, call] : calls)
            QCOMPARE(name + " " + ErrorOf(call), name + " 45603 Win32File Object: There is no open file.");
        test::WriteFile(Path("first.bin"), "first");
        const std::string missing = Path("missing.bin");
        QVERIFY(!f.OpenFile(missing, true) && !f.OpenFile(missing, false) && !f.IsOpen() && ::access(missing.c_str(), F_OK) != 0);
        QVERIFY(f.OpenFile(Path("first.bin"), true) && !f.OpenFile(missing, true));
        QCOMPARE(f.FileName(), Path("first.bin"));
    }

    // Reads report what they got; a text keeps byte codes above 127 and ends with a NUL.
    void shortReadsAndTexts()
    {
        test::WriteFile(Path("six.bin"), std::vector<uint8_t>{'A', 'B', 0xFF, 0x80, 'E', 'F'});
        File64 f;
        QVERIFY(f.OpenFile(Path("six.bin"), true));
        std::string text = "previous";
        std::vector<uint8_t> b(1, 0xEE);
        QVERIFY(f.ReadString(4, text) == 4 && f.ReadBytes(4, b) == 2 && b[1] == 'F');
        QVERIFY(f.ReadBytes(4, b) == 0 && f.ReadString(4, text) == 0 && f.ReadBytes(0, b) == 0 && f.ReadBytes(-5, b) == 0);
        QCOMPARE(text, std::string("AB\xFF\x80\0", 5));  // unchanged at the end
    }

    // A sparse file longer than 4 GiB: reading at 0xFFFFFFFF proves the position was taken
    // as 4294967295, not as -1. Writes go to the position, never through a read-only open.
    void positionsAndWrites()
    {
        const std::string name = Path("sparse.bin");
        test::WriteFile(name, "ABCDEF");
        QFile out(QString::fromStdString(name));  // marks at 0xFFFFFFFF and 0x100000004
        QVERIFY(out.resize(0x100000010LL) && out.open(QIODevice::ReadWrite) && out.seek(0xFFFFFFFFLL) && out.putChar(0x5A)
                && out.seek(0x100000004LL) && out.putChar(0x7B));
        out.close();
        File64 f;
        QVERIFY(f.OpenFile(name, true));
        f.WriteBytes(test::Bytes("zz"));  // not raised, not written
        f.CloseFile();
        QVERIFY(f.OpenFile(name, false));
        f.SeekToAbsolute(2);
        f.WriteBytes(test::Bytes("xy"));
        std::vector<uint8_t> b(6);
        f.SeekToAbsolute(0);
        QVERIFY(f.ReadBytes(6, b) == 6 && b == test::Bytes("ABxyEF"));
        f.SeekToAbsolute(0xFFFFFFFFu);
        QVERIFY(f.ReadBytes(1, b) == 1 && b[0] == 0x5A);
        f.SeekToAbsolute64(1, 4);
        QVERIFY(f.ReadBytes(1, b) == 1 && b[0] == 0x7B);
    }
};

QTEST_APPLESS_MAIN(TestFile64)
#include "tst_file64.moc"
