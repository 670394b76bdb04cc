// Part 8.1: File64, every edge case of the Part plus the failure table.
#include "support/TestSupport.h"
#include "support/File64.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vistrel;
using vistrel::test::WriteFile;

class TestFile64 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    template <typename F>
    static void ExpectError(F&& call, int number, const std::string& description)
    {
        try {
            call();
            QFAIL("no error raised");
        } catch (const Win32FileError& e) {
            QCOMPARE(e.Number(), number);
            QCOMPARE(e.Source(), std::string("Win32File Object"));
            QCOMPARE(e.Description(), description);
        }
    }

private slots:
    void newObjectIsClosedAndRaisesNothingForIsOpen()
    {
        File64 f;
        QVERIFY(!f.IsOpen());
        ExpectError([&] { (void)f.FileName(); }, 45603, "There is no open file.");
    }

    void everyMemberButIsOpenAndOpenFileRaises45603WhenClosed()
    {
        File64 f;
        std::vector<uint8_t> bytes;
        std::string text;
        const std::string none = "There is no open file.";
        ExpectError([&] { (void)f.FileHandle(); }, 45603, none);
        ExpectError([&] { (void)f.AutoFlush(); }, 45603, none);
        ExpectError([&] { f.SetAutoFlush(true); }, 45603, none);
        ExpectError([&] { f.CloseFile(); }, 45603, none);
        ExpectError([&] { f.ReadBytes(4, bytes); }, 45603, none);
        ExpectError([&] { f.ReadString(4, text); }, 45603, none);
        ExpectError([&] { f.WriteBytes(bytes); }, 45603, none);
        ExpectError([&] { f.Flush(); }, 45603, none);
        ExpectError([&] { f.SeekToAbsolute64(0, 0); }, 45603, none);
        ExpectError([&] { f.SeekToAbsolute(0); }, 45603, none);
        ExpectError([&] { f.SeekRelative(0); }, 45603, none);
    }

    void openFileOnOpenObjectReturnsFalseAndKeepsFirstFile()
    {
        WriteFile(Path("first.bin"), "first");
        WriteFile(Path("second.bin"), "second");
        File64 f;
        QVERIFY(f.OpenFile(Path("first.bin"), true));
        QVERIFY(!f.OpenFile(Path("second.bin"), true));
        QVERIFY(f.IsOpen());
        QCOMPARE(f.FileName(), Path("first.bin"));
    }

    void openFileOfMissingNameReturnsFalseAndCreatesNothing()
    {
        File64 f;
        QVERIFY(!f.OpenFile(Path("missing.bin"), true));
        QVERIFY(!f.OpenFile(Path("missing.bin"), false));
        QVERIFY(!f.IsOpen());
        struct stat st {};
        QCOMPARE(::stat(Path("missing.bin").c_str(), &st), -1);
    }

    void readStringReturnsTextWithTrailingNul()
    {
        WriteFile(Path("abcd.bin"), std::vector<uint8_t>{0x41, 0x42, 0x43, 0x44});
        File64 f;
        QVERIFY(f.OpenFile(Path("abcd.bin"), true));
        std::string text = "previous";
        QCOMPARE(f.ReadString(4, text), 4);
        QCOMPARE(text, std::string("ABCD\0", 5));
        QCOMPARE(f.ReadString(4, text), 0);
        QCOMPARE(text, std::string("ABCD\0", 5));
    }

    void readStringKeepsByteCodesAbove127()
    {
        WriteFile(Path("ff.bin"), std::vector<uint8_t>{0xFF, 0x80});
        File64 f;
        QVERIFY(f.OpenFile(Path("ff.bin"), true));
        std::string text;
        QCOMPARE(f.ReadString(2, text), 2);
        QCOMPARE(text.size(), size_t(3));
        QCOMPARE(static_cast<uint8_t>(text[0]), uint8_t(255));
        QCOMPARE(static_cast<uint8_t>(text[1]), uint8_t(128));
    }

    void readBytesReportsShortReadsAndEndOfFile()
    {
        WriteFile(Path("six.bin"), "ABCDEF");
        File64 f;
        QVERIFY(f.OpenFile(Path("six.bin"), true));
        std::vector<uint8_t> bytes(2, 0xEE);
        QCOMPARE(f.ReadBytes(4, bytes), 4);
        QCOMPARE(bytes, test::Bytes("ABCD"));
        QCOMPARE(f.ReadBytes(4, bytes), 2);
        QCOMPARE(bytes[0], uint8_t('E'));
        QCOMPARE(f.ReadBytes(4, bytes), 0);
        QCOMPARE(f.ReadBytes(0, bytes), 0);
        QCOMPARE(f.ReadBytes(-5, bytes), 0);
    }

    void seekToReloluteReadsPositionAsUnsigned()
    {
        // A sparse file longer than 4 GiB: reading at 0xFFFFFFFF proves the position
        // was taken as 4294967295 and not as -1.
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
            w.CloseFile();
        }
        File64 f;
        QVERIFY(f.OpenFile(name, true));
        std::vector<uint8_t> b(1);
        f.SeekToAbsolute(0xFFFFFFFFu);
        QCOMPARE(f.ReadBytes(1, b), 1);
        QCOMPARE(b[0], uint8_t(0x5A));
        f.SeekToAbsolute64(1, 4);
        QCOMPARE(f.ReadBytes(1, b), 1);
        QCOMPARE(b[0], uint8_t(0x7B));
        f.SeekRelative(-6);
        QCOMPARE(f.ReadBytes(1, b), 1);
        QCOMPARE(b[0], uint8_t(0x5A));
    }

    void seekRelativeBeforeStartRaises45604()
    {
        WriteFile(Path("short.bin"), "ABCD");
        File64 f;
        QVERIFY(f.OpenFile(Path("short.bin"), true));
        // lseek to a negative position fails with EINVAL, the spec's error 123.
        ExpectError([&] { f.SeekRelative(-10); }, 45604, "Seek Error.\r\nError 123.\r\n123");
    }

    void closeResetsAutoFlushAndReopenStartsFalse()
    {
        WriteFile(Path("af.bin"), "data");
        File64 f;
        QVERIFY(f.OpenFile(Path("af.bin"), false));
        QVERIFY(!f.AutoFlush());
        f.SetAutoFlush(true);
        QVERIFY(f.AutoFlush());
        f.CloseFile();
        ExpectError([&] { (void)f.AutoFlush(); }, 45603, "There is no open file.");
        QVERIFY(f.OpenFile(Path("af.bin"), false));
        QVERIFY(!f.AutoFlush());
    }

    void writeBytesWritesAtCurrentPosition()
    {
        WriteFile(Path("w.bin"), "ABCDEF");
        File64 f;
        QVERIFY(f.OpenFile(Path("w.bin"), false));
        f.SetAutoFlush(true);
        f.SeekToAbsolute(2);
        f.WriteBytes(test::Bytes("xy"));
        f.CloseFile();
        QCOMPARE(test::ReadText(Path("w.bin")), std::string("ABxyEF"));
    }

    void readOnlyOpenCannotWrite()
    {
        WriteFile(Path("ro.bin"), "ABCD");
        File64 f;
        QVERIFY(f.OpenFile(Path("ro.bin"), true));
        f.WriteBytes(test::Bytes("zz"));  // failures are not raised
        f.CloseFile();
        QCOMPARE(test::ReadText(Path("ro.bin")), std::string("ABCD"));
    }

    void fileHandleIsTheOpenDescriptor()
    {
        WriteFile(Path("h.bin"), "ABCD");
        File64 f;
        QVERIFY(f.OpenFile(Path("h.bin"), true));
        QVERIFY(f.FileHandle() >= 0);
        struct stat st {};
        QCOMPARE(::fstat(f.FileHandle(), &st), 0);
        QCOMPARE(st.st_size, off_t(4));
    }
};

QTEST_APPLESS_MAIN(TestFile64)
#include "tst_part_8_1_file64.moc"
