// Part 1.1: the command-line cleaning, the failure messages, the path routines, the
// version record and the INI names (the parts of start-up that need no window).
//
// Edge cases that do not apply on Linux, and why:
// - "The program's own part of the command line is removed only as the text of its full
//   module path ... started by its bare name": on Linux the kernel hands the program its
//   arguments apart from argv[0], so the program's own name never stands in the text
//   (DESIGN.md: the text after the program is the arguments joined by single blanks).
//   The removal of the module path's text from the arguments is still tested below.
// - The hand-over edge cases (bare file name looked up in the current directory, a file
//   outside the media filter still listed, a folder argument plays nothing) belong to
//   section E, which the main-window issue builds with the file list; the path routine
//   behind the first one, MakeAbsolute, is tested here.
#include "app/CommandLine.h"
#include "app/ProgramValues.h"
#include "support/MsgBox.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    std::string Touch(const std::string& name)
    {
        test::WriteFile(Path(name), "x");
        return Path(name);
    }
    static std::string NotFound(const std::string& text)
    {
        return "\"" + text + "\" isn't an existing file or folder - abort";
    }

private slots:
    void noArgumentGivesEmptyArgumentAndNoMessage()
    {
        const auto r = CleanCommandLine(JoinArguments({}), "/usr/bin/vistrel");
        QCOMPARE(r.Argument, std::string{});
        QVERIFY(!r.Failure);
    }

    void quotedArgumentAfterQuotedProgramPathYieldsBarePath()
    {
        const std::string file = Touch("a b.mp3");
        const std::string module = "/usr/bin/vistrel";
        const auto windowsForm = CleanCommandLine("\"" + module + "\" \"" + file + "\"  ", module);
        QCOMPARE(windowsForm.Argument, file);
        QVERIFY(!windowsForm.Failure);
        const auto linuxForm = CleanCommandLine(JoinArguments({"\"" + file + "\""}), module);
        QCOMPARE(linuxForm.Argument, file);
    }

    void everyQuotationMarkIsRemoved()
    {
        const std::string file = Touch("ab.mp3");
        const std::string quoted = Path("a\"b.mp3");
        QCOMPARE(CleanCommandLine(quoted, "/x").Argument, file);
        // A name that itself holds a quotation mark cannot be passed.
        const std::string withQuote = Touch("c\"d.mp3");
        const auto r = CleanCommandLine(withQuote, "/x");
        QVERIFY(r.Failure);
        QCOMPARE(r.Failure->Text, NotFound(Path("cd.mp3")));
    }

    void twoArgumentsAreNotSeparated()
    {
        const std::string joined = Touch("part1 part2.mp3");
        QCOMPARE(CleanCommandLine(JoinArguments({Path("part1"), "part2.mp3"}), "/x").Argument, joined);
        Touch("one.mp3");
        Touch("two.mp3");
        const auto r = CleanCommandLine(JoinArguments({Path("one.mp3"), Path("two.mp3")}), "/x");
        QVERIFY(r.Failure);
        QCOMPARE(r.Failure->Text, NotFound(Path("one.mp3") + " " + Path("two.mp3")));
        QCOMPARE(r.Failure->Title, std::string("Error"));
        QCOMPARE(r.Failure->Flags, 16);
    }

    void modulePathTextIsRemovedWithoutRegardToCase()
    {
        const std::string module = "/opt/Vistrel/vistrel";
        QCOMPARE(CleanCommandLine(JoinArguments({"/OPT/vistrel/VISTREL"}), module).Argument, std::string{});
        const std::string file = Touch("song.mp3");
        QCOMPARE(CleanCommandLine(module + " " + file, module).Argument, file);
    }

    void leadingAndTrailingBlanksAreRemoved()
    {
        const std::string file = Touch("blank.mp3");
        QCOMPARE(CleanCommandLine("   " + file + "   ", "/x").Argument, file);
        QCOMPARE(CleanCommandLine(std::string("\0 ", 2) + file, "/x").Argument, std::string{});
    }

    void nonexistentArgumentEndsWithMessage()
    {
        const auto r = CleanCommandLine(Path("nothing.mp3"), "/x");
        QVERIFY(r.Failure);
        QCOMPARE(r.Failure->Text, NotFound(Path("nothing.mp3")));
        QCOMPARE(r.Failure->Title, std::string("Error"));
        QCOMPARE(r.Failure->Flags, int(vbCritical));
    }

    void folderArgumentIsAccepted()
    {
        QCOMPARE(CleanCommandLine(dir_.path().toStdString(), "/x").Argument, dir_.path().toStdString());
    }

    void bareNameIsFoundInCurrentDirectory()
    {
        Touch("here.mp3");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        const auto r = CleanCommandLine("here.mp3", "/x");
        QDir::setCurrent(previous);
        QVERIFY(!r.Failure);
        QCOMPARE(r.Argument, std::string("here.mp3"));
        QCOMPARE(MakeAbsolute("here.mp3", dir_.path().toStdString()), Path("here.mp3"));
    }

    void unprocessableCharactersInCommandLine_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("U+FFFE") << QByteArray("\"/m/a\xEF\xBF\xBE.mp3\"") << QByteArray("/m/a\xEF\xBF\xBE.mp3");
        QTest::newRow("U+FE0F") << QByteArray("  /m/b\xEF\xB8\x8F.mp3 ") << QByteArray("/m/b\xEF\xB8\x8F.mp3");
        QTest::newRow("not UTF-8") << QByteArray("/m/c\xFF.mp3") << QByteArray("/m/c\xFF.mp3");
        QTest::newRow("overlong") << QByteArray("/m/\xC0\xAF") << QByteArray("/m/\xC0\xAF");
        QTest::newRow("cut sequence") << QByteArray("/m/\xE2\x82") << QByteArray("/m/\xE2\x82");
    }
    void unprocessableCharactersInCommandLine()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, shown);
        const auto r = CleanCommandLine(raw.toStdString(), "/x");
        QVERIFY(r.Failure);
        QCOMPARE(r.Failure->Text, "Unprocessable characters in commandline - abort\r\n" + shown.toStdString());
        QCOMPARE(r.Failure->Title, std::string("Error"));
        QCOMPARE(r.Failure->Flags, 16);
    }

    void validUtf8IsProcessable()
    {
        QVERIFY(!HasUnprocessableCharacters("/home/anna/Musik/Größe ♫ 😀.mp3"));
    }

    void unprocessableCurrentDirectory()
    {
        QVERIFY(!CheckCurrentDirectory("/home/anna"));
        const auto f = CheckCurrentDirectory("/home/\xEF\xBF\xBEx");
        QVERIFY(f);
        QCOMPARE(f->Text, std::string("Unprocessable characters in current directorie's name - abort\r\n/home/\xEF\xBF\xBEx"));
        QCOMPARE(f->Title, std::string("Error"));
        QCOMPARE(f->Flags, 16);
        QVERIFY(CheckCurrentDirectory("/home/\xFE"));
    }

    void accessDeniedCountsAsExisting()
    {
        // A folder that only root may enter: for anyone else stat fails with EACCES.
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0755) == 0);
        const std::string closed = Path("closed");
        QVERIFY(::mkdir(closed.c_str(), 0700) == 0);
        test::WriteFile(closed + "/inside.mp3", "x");
        const std::string inside = closed + "/inside.mp3";
        const std::string missing = Path("missing.mp3");
        if (::geteuid() != 0)
            QVERIFY(::chmod(closed.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(inside) ? 1 : 0; }), 1);
        QCOMPARE(test::RunUnprivileged([&] { return CleanCommandLine(inside, "/x").Failure ? 0 : 1; }), 1);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(missing) ? 1 : 0; }), 0);
        ::chmod(closed.c_str(), 0700);
    }

    void fileExists()
    {
        const std::string file = Touch("exists.txt");
        QVERIFY(FileExists(file));
        QVERIFY(FileExists(dir_.path().toStdString()));
        QVERIFY(!FileExists(""));
        QVERIFY(!FileExists("   "));
        QVERIFY(!FileExists(Path("nope")));
        QVERIFY(FileExists("exists.txt", dir_.path().toStdString()));
        QVERIFY(FileExists("exists.txt", dir_.path().toStdString() + "/"));
        QVERIFY(!FileExists("nope.txt", dir_.path().toStdString()));
    }

    void isFolder()
    {
        QVERIFY(IsFolder(dir_.path().toStdString()));
        QVERIFY(!IsFolder(Touch("file.txt")));
        QVERIFY(!IsFolder(Path("none")));
        QVERIFY(!IsFolder(""));
    }

    void textRoutines()
    {
        QCOMPARE(AddTrailingSlash(""), std::string(""));
        QCOMPARE(AddTrailingSlash("/a"), std::string("/a/"));
        QCOMPARE(AddTrailingSlash("/a/"), std::string("/a/"));
        QCOMPARE(TrimAtNull("  abc  "), std::string("abc"));
        QCOMPARE(TrimAtNull(std::string(" ab \0 cd ", 9)), std::string("ab"));
        QCOMPARE(TrimAtNull(std::string("\0x", 2)), std::string(""));
        QCOMPARE(TrimAtNull(""), std::string(""));
        QCOMPARE(GetExtension("clip.final.MP4"), std::string("MP4"));
        QCOMPARE(GetExtension("noext"), std::string(""));
        QCOMPARE(GetExtension("dot."), std::string(""));
        QCOMPARE(GetFileNamePart("/a/b/c.mp3"), std::string("c.mp3"));
        QCOMPARE(GetFileNamePart("c.mp3"), std::string("c.mp3"));
        QCOMPARE(GetFileNamePart("/a/" + std::string(300, 'x')), std::string(255, 'x'));
        std::string wide;
        for (int i = 0; i < 300; ++i) wide += "\xC3\xA4";  // ä
        QCOMPARE(GetFileNamePart("/" + wide), wide.substr(0, 510));
        QCOMPARE(MakeAbsolute("/abs/x", "/base"), std::string("/abs/x"));
        QCOMPARE(MakeAbsolute("rel/x", "/base"), std::string("/base/rel/x"));
        QCOMPARE(MakeAbsolute("rel", "/base/"), std::string("/base/rel"));
    }

    void containingAndNearestFolders()
    {
        const std::string root = dir_.path().toStdString();
        QVERIFY(QDir(dir_.path()).mkpath("sub/deeper"));
        const std::string file = Touch("sub/song.mp3");
        QCOMPARE(GetContainingFolder(file), root + "/sub/");
        QCOMPARE(GetContainingFolder(root + "/sub"), root + "/sub");
        QCOMPARE(GetContainingFolder(root + "/sub/gone/x.mp3"), root + "/sub/");
        QCOMPARE(GetContainingFolder("nofolder"), std::string{});
        QCOMPARE(GetNearestExistingFolder(root + "/sub/deeper"), root + "/sub/deeper");
        QCOMPARE(GetNearestExistingFolder(root + "/sub/gone/more/x"), root + "/sub/");
        QCOMPARE(GetNearestExistingFolder(file), root + "/sub/");
        QCOMPARE(GetNearestExistingFolder("/nonexistent-vistrel-folder/x"), std::string("/"));
        QCOMPARE(GetNearestExistingFolder("relative"), std::string{});
    }

    void versionCode()
    {
        QCOMPARE(ComputeVersionCode(10, 0), 0x1000);
        QCOMPARE(ComputeVersionCode(6, 3), 0x603);
        QCOMPARE(ComputeVersionCode(5, 1), 0x501);
        int secondCalls = 0;
        const auto real10 = [&] { ++secondCalls; return VersionQuery{true, 10, 0, 19045, 2}; };
        const OSVersionInfo v = GetOSVersion(VersionQuery{true, 6, 2, 9200, 2}, real10);
        QCOMPARE(v.VersionCode, 0x1000);
        QCOMPARE(v.Major, 10);
        QCOMPARE(v.Minor, 0);
        QCOMPARE(v.Build, 19045);
        QVERIFY(v.IsNT);
        const OSVersionInfo old = GetOSVersion(VersionQuery{true, 6, 1, 7601, 2}, real10);
        QCOMPARE(old.VersionCode, 0x601);
        QCOMPARE(secondCalls, 1);
        const auto failing = [] { return VersionQuery{}; };
        QCOMPARE(GetOSVersion(VersionQuery{true, 6, 2, 9200, 2}, failing).VersionCode, 0x602);
        QVERIFY(!GetOSVersion(VersionQuery{true, 4, 10, 0, 1}, failing).IsNT);
    }

    void unameVersionIsTheKernelRelease()
    {
        const VersionQuery q = UnameVersion();
        QVERIFY(q.ok);
        QCOMPARE(q.PlatformId, 2);
        QVERIFY(q.Major >= 3);
        const OSVersionInfo v = GetOSVersion();
        QVERIFY(v.IsNT);
        QCOMPARE(v.VersionCode, ComputeVersionCode(v.Major, v.Minor));
    }

    void iniNames()
    {
        const IniNames caps = MakeIniNames("/opt/app/VISTREL", true, "/home/u/.config/vistrel/");
        QCOMPARE(caps.IniFile, std::string("/opt/app/Vistrel.ini"));
        QCOMPARE(caps.IniBackupFile, std::string("/opt/app/Vistrel.bak"));
        const IniNames other = MakeIniNames("/opt/app/player.bin", true, "/cfg/");
        QCOMPARE(other.IniFile, std::string("/opt/app/player.ini"));
        QCOMPARE(other.IniBackupFile, std::string("/opt/app/player.bak"));
        const IniNames lower = MakeIniNames("/opt/app/vistrel", true, "/cfg/");
        QCOMPARE(lower.IniFile, std::string("/opt/app/vistrel.ini"));
        const IniNames readOnly = MakeIniNames("/usr/bin/VISTREL", false, "/home/u/.config/vistrel/");
        QCOMPARE(readOnly.IniFile, std::string("/home/u/.config/vistrel/Vistrel.ini"));
        QCOMPARE(readOnly.IniBackupFile, std::string("/home/u/.config/vistrel/Vistrel.bak"));
    }

    void xdgConfigFolder()
    {
        qputenv("XDG_CONFIG_HOME", "/xdg/home");
        QCOMPARE(XdgConfigFolder(), std::string("/xdg/home/vistrel/"));
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", "/home/someone");
        QCOMPARE(XdgConfigFolder(), std::string("/home/someone/.config/vistrel/"));
    }

    void twipsPerPixel()
    {
        QCOMPARE(TwipsPerPixelFromDpi(96), 15);
        QCOMPARE(TwipsPerPixelFromDpi(120), 12);
        QCOMPARE(TwipsPerPixelFromDpi(144), 10);
        QCOMPARE(TwipsPerPixelFromDpi(0), 15);
    }

    void programPathIsThisExecutable()
    {
        QCOMPARE(ProgramPath(), QCoreApplication::applicationFilePath().toStdString());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_part_1_1_startup.moc"
