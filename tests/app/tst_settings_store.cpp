// The settings file: single keys read and written, typed values, the bulk load with its
// limits and fall-backs, the bulk save, and the recovery of a save that was cut short.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <limits>
#include <memory>

using namespace vistrel;
using vistrel::test::WriteFile;
using Text = QByteArray;

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    SettingsEnvironment env_;
    bool directShowAvailable_ = true;

    std::string Path(const std::string& name) const { return dir_->filePath(QString::fromStdString(name)).toStdString(); }
    std::string Ini() const { return Path("Vistrel.ini"); }
    std::string Bak() const { return Path("Vistrel.bak"); }
    SettingsStore Store() const { return SettingsStore(Ini(), Bak()); }
    std::string IniText() const { return test::ReadText(Ini()); }
    bool Exists(const std::string& path) const { return QFileInfo::exists(QString::fromStdString(path)); }
    // The text with "<dir>" standing for the test's folder.
    std::string InDir(const Text& text) const { return QString(text).replace("<dir>", dir_->path()).toStdString(); }
    Settings LoadFrom(const std::string& keys)
    {
        WriteFile(Ini(), "[Settings]\n" + keys);
        Settings s;
        Store().ReadSettings(s, env_);
        return s;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir_->path()).mkpath("prog") && QDir(dir_->path()).mkpath("systemp") && QDir(dir_->path()).mkpath("tmp"));
        directShowAvailable_ = true;
        env_ = {[this] { return directShowAvailable_; }, Path("prog") + "/", Path("systemp") + "/"};
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Reading "A" of "Settings": names without regard to case, values trimmed and freed of
    // one pair of quotes, the first key of the first section, at most 259 characters.
    void readKey_data()
    {
        QTest::addColumn<Text>("file");  // null: no file
        QTest::addColumn<Text>("expected");
        QTest::newRow("no file: default trimmed") << Text() << Text("default");
        QTest::newRow("other section") << Text("[Other]\nA=1\n") << Text("default");
        QTest::newRow("case, blanks, tabs") << Text(" [ sETTINGS ] \n\t a\t= \t x  y \t \n") << Text("x  y");
        QTest::newRow("one pair of quotes") << Text("[Settings]\nA=\"\" x \"\"\n") << Text("\" x \"");
        QTest::newRow("single quotes") << Text("[Settings]\nA='x'\n") << Text("x");
        QTest::newRow("mixed quotes") << Text("[Settings]\nA=\"x'\n") << Text("\"x'");
        QTest::newRow("lone quote") << Text("[Settings]\nA=\"\n") << Text("\"");
        QTest::newRow("comment, no equals sign") << Text("[Settings]\n  ; A=1\nA\n") << Text("default");
        QTest::newRow("first key wins") << Text("[Settings]\nA=1=2\na=2\n") << Text("1=2");
        QTest::newRow("first section only") << Text("[Settings]\n[Settings]\nA=2\n") << Text("default");
        QTest::newRow("CR LF and BOM") << Text("\xEF\xBB\xBF[Settings]\r\nA=/crlf/\r\n") << Text("/crlf/");
        QTest::newRow("259 characters") << "[Settings]\nA=" + Text(300, 'a') << Text(259, 'a');
        QTest::newRow("259 of two bytes") << "[Settings]\nA=" + QString(300, u'ä').toUtf8() << QString(259, u'ä').toUtf8();
    }
    void readKey()
    {
        QFETCH(Text, file);
        QFETCH(Text, expected);
        if (!file.isNull())
            WriteFile(Ini(), file.toStdString());
        QCOMPARE(IniFile(Ini()).ReadString("Settings", "A", "  \tdefault \t "), expected.toStdString());
        QCOMPARE(Exists(Ini()), !file.isNull());
    }

    void writeKey_data()
    {
        QTest::addColumn<Text>("before");  // null: no file
        QTest::addColumn<Text>("key");     // "Section/Key=value"
        QTest::addColumn<Text>("after");   // null: refused, the file unchanged
        const Text p = "[Settings]\nPath=/p\n";
        QTest::newRow("creates the file") << Text() << Text("Settings/Path=/m/") << Text("[Settings]\nPath=/m/\n");
        QTest::newRow("section after the others") << Text("[A]\nX=1\n") << Text("Settings/Path=/p") << "[A]\nX=1\n" + p;
        QTest::newRow("in place") << Text("; c\n[settings]\nPATH = /old\nTop=1\n\n[A]\nPath=/o\n") << Text("Settings/Path=/new")
                                  << Text("; c\n[settings]\nPath=/new\nTop=1\n\n[A]\nPath=/o\n");
        QTest::newRow("end of its section") << p + "\n[A]\nX=1\n" << Text("Settings/Top=3") << p + "Top=3\n\n[A]\nX=1\n";
        QTest::newRow("CR LF becomes LF") << Text("[Settings]\r\nPath=/p\r\n") << Text("Settings/Top=3") << p + "Top=3\n";
        QTest::newRow("line break in value") << p << Text("Settings/Path=/a\nb") << Text();
        QTest::newRow("NUL in value") << p << Text("Settings/Path=/a\0b", 18) << Text();
        QTest::newRow("comment key") << p << Text("Settings/;Path=x") << Text();
        QTest::newRow("bracket in section") << p << Text("Set]tings/Path=x") << Text();
        QTest::newRow("refused, no file") << Text() << Text("Settings/ =x") << Text();
    }
    void writeKey()
    {
        QFETCH(Text, before);
        QFETCH(Text, key);
        QFETCH(Text, after);
        if (!before.isNull())
            WriteFile(Ini(), before.toStdString());
        const qsizetype slash = key.indexOf('/'), equals = key.indexOf('=');
        QCOMPARE(IniFile(Ini()).WriteString(key.left(slash).toStdString(), key.mid(slash + 1, equals - slash - 1).toStdString(),
                                            key.mid(equals + 1).toStdString()),
                 !after.isNull());
        QCOMPARE(Exists(Ini()), !(before.isNull() && after.isNull()));
        QCOMPARE(Text::fromStdString(IniText()), after.isNull() ? before : after);
    }

    void unwritableFileFailsAndLeavesNoDescriptor()
    {
        const size_t before = test::OpenDescriptorCount();
        for (const std::string& path : {Path("missing-folder/Vistrel.ini"), Path("tmp")}) {
            QVERIFY(!IniFile(path).WriteString("Settings", "Path", "/p"));
            QCOMPARE(IniFile(path).ReadString("Settings", "Path", "def"), std::string("def"));
        }
        for (const std::string key : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
            QVERIFY(IniFile(Ini()).WriteString("S", key, "v") && IniFile(Ini()).ReadString("S", key, "") == "v");
        QCOMPARE(test::OpenDescriptorCount(), before);
    }

    // One value read as each type (whole, small whole, flag, real): whole numbers round half
    // to even and are clamped, a flag is set when the leading number is not 0, "&H" is
    // hexadecimal, only "." is a decimal point; an empty value is 0, not the default "9.5".
    void typedRead_data()
    {
        QTest::addColumn<Text>("raw");  // null: the key is missing
        QTest::addColumn<QString>("read");
        const std::pair<const char*, const char*> rows[] = {
            {"2.5", "2 2 1 2.5"}, {"-3.5", "-4 -4 1 -3.5"}, {"0.4", "0 0 1 0.4"}, {"40000", "40000 32767 1 40000"},
            {"-99999999999", "-2147483648 -32768 1 -99999999999"}, {"1e999", "2147483647 32767 1 inf"},
            {"1e-999", "0 0 0 0"}, {"  +3.5e2x", "350 350 1 350"}, {"1e, 1", "1 1 1 1"}, {"1,5", "1 1 1 1"},
            {".5", "0 0 1 0.5"}, {"&H00404040", "4210752 32767 1 4210752"}, {"&h1Fz", "31 31 1 31"},
            {"0x1", "0 0 0 0"}, {"True", "0 0 0 0"}, {"", "0 0 0 0"}, {nullptr, "10 10 1 9.5"}};
        for (const auto& [raw, read] : rows)
            QTest::newRow(raw ? raw : "missing") << Text(raw) << QString(read);
    }
    void typedRead()
    {
        QFETCH(Text, raw);
        QFETCH(QString, read);
        WriteFile(Ini(), raw.isNull() ? std::string("[Settings]\n") : "[Settings]\nK=" + raw.toStdString() + "\n");
        int32_t whole = -1;
        int16_t small = -1;
        bool flag = false;
        double real = -1;
        Store().ReadSetting(whole, "K", "9.5");
        Store().ReadSetting(small, "K", "9.5");
        Store().ReadSetting(flag, "K", "9.5");
        Store().ReadSetting(real, "K", "9.5");
        QCOMPARE(QString("%1 %2 %3 %4").arg(whole).arg(small).arg(flag).arg(real, 0, 'g', 15), read);
    }

    // Numbers are written with "-" and "." whatever the locale (German writes "8,5",
    // Swedish a minus sign U+2212, Persian its own digits), so they read back.
    void numbersReadBackInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char* name : {"de_DE", "sv_SE", "fa_IR", "ar_EG", "en_US"})
            QTest::newRow(name) << QString(name);
    }
    void numbersReadBackInEveryLocale()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const SettingsStore store = Store();
        store.SaveSetting(int32_t(-1920), "Left");
        store.SaveSetting(-12.75, "OverScanPercent");
        QCOMPARE(IniText(), std::string("[Settings]\nLeft=-1920\nOverScanPercent=-12.75\n"));
        int32_t left = 0;
        double overscan = 0;
        store.ReadSetting(left, "Left", "");
        store.ReadSetting(overscan, "OverScanPercent", "");
        QVERIFY(left == -1920 && overscan == -12.75);
    }

    void textsThatTheReadWouldChangeAreQuoted()
    {
        const SettingsStore store = Store();
        for (const std::string text : {" lead", "trail\t", "'80s'", "\"quoted\"", "\"", "plain 'x' \"y\""}) {
            store.SaveSetting(text, "Name");
            std::string back;
            store.ReadSetting(back, "Name", "");
            QCOMPARE(back, text);
        }
        QCOMPARE(IniText(), std::string("[Settings]\nName=plain 'x' \"y\"\n"));
    }

    // The first start writes every key of the save list with its default.
    void firstStartWritesTheDefaults()
    {
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(IniText(), std::string("[Settings]\n"
                                        "Path=\nNonremovablePath=\nLeft=0\nTop=0\nFontName=MS Shell Dlg\nFontSize=9\n"
                                        "ShellName1=\nShellPath1=\nShellParam1=\nShellHotkey1=0\n"
                                        "AutoZoomRes0=32\nAutoZoomRes1=384\nAutoZoomRes2=480\nAutoZoomRes3=800\n"
                                        "AdditionalFileFilter=\nAll=0\nLoop=0\nOverlapped=0\nVideoSideBySide=0\n"
                                        "ToolTips=1\nUseMenuHotkeys=1\nUseMCI=0\nOverlappedPlayTimeMS=100\n"
                                        "SmallVidZoomToKeepAppVisible=0\nDeleteWithoutAsking=0\nAvsForVDub=0\n"
                                        "PathToDivFix=\nMaxTempFileSizeMB=10\nTempPath=\nTempPath2=\n"
                                        "SeekPreviewWidthMain=160\nSeekPreviewWidthFullscreenDivisor=6\n"));
        QVERIFY(!Exists(Bak()));
    }

    // A file is loaded (which leaves it as it is) and saved again: the saved file holds the
    // run `saved` (with its neighbours), or not `saved` after a "!". The lists are read
    // without gaps and renumbered from 1 (letters from "A"); keys outside the save list,
    // keys that only other windows read and other sections are not written back.
    void loadThenSave_data()
    {
        QTest::addColumn<Text>("keys");
        QTest::addColumn<Text>("saved");
        const auto row = [](const char* keys, const char* saved) {
            QTest::newRow(Text(keys).replace('\n', "; ").constData()) << Text(keys) << Text(saved);
        };
        row("FontSize=20", "\nFontSize=14\n");
        row("FontSize=0", "\nFontSize=0\n");  // the designed sizes
        row("Left=-1920.4\nFontSize=-4", "\nLeft=-1920\nTop=0\nFontName=MS Shell Dlg\nFontSize=7\n");
        row("MaxTempFileSizeMB=0", "\nMaxTempFileSizeMB=10\n");
        row("Path=", "\nPath=/shown/\n");  // the folder shown stays
        row("Loop=0.4\nAll=2", "\nAll=1\nLoop=0\n");  // a check box is a whole number
        row("OverlappedPlayTimeMS=99\nDeleteWithoutAsking=0.4", "\nOverlappedPlayTimeMS=100\nSmallVidZoomToKeepAppVisible=0\nDeleteWithoutAsking=1\n");
        row("MaxTempFileSizeMB=500", "\nMaxTempFileSizeMB=100\n");
        row("SeekPreviewWidthFullscreenDivisor=1", "\nSeekPreviewWidthFullscreenDivisor=2\n");
        row("UseMCI=5", "\nUseMCI=1\n");
        row("CopyMoveToPath3=/d/", "\nFontSize=9\nCopyMoveToName1=/d/\nCopyMoveToPath1=/d/\nShellName1=");
        row("CopyMoveToName1=+++\nCopyMoveToPath1=+++\nCopyMoveToName4=NoPath\nCopyMoveToName20=Z\nCopyMoveToPath20=/z/\nCopyMoveToPath21=/y/",
            "\nFontSize=9\nCopyMoveToName1=+++\nCopyMoveToPath1=+++\nCopyMoveToName2=Z\nCopyMoveToPath2=/z/\nShellName1=");
        row("GoToNameC=M\nGoToPathC=/m/\nGoToPathT=/t/\nGoToPathU=/u/", "\nFontSize=9\nGoToNameA=M\nGoToPathA=/m/\nGoToNameB=/t/\nGoToPathB=/t/\nShellName1=");
        row("ShellName1=\nShellPath1=/skip\nShellName2=Ed\nShellPath2=/ed\nShellParam2=\"%file%\"\nShellHotkey2=65\nShellName3=P\nShellHotkey3=&H41",
            "\nShellName1=Ed\nShellPath1=/ed\nShellParam1=%file%\nShellHotkey1=65\nShellName2=P\nShellPath2=\nShellParam2=\nShellHotkey2=65\nAutoZoomRes0=");
        row("HisExclude0=/a/\nHisExclude1=/b/\nHisExclude3=/d/", "\nTempPath2=\nHisExclude0=/a/\nHisExclude1=/b/\nSeekPreviewWidthMain=");
        row("HisExclude1=/b/", "\nTempPath2=\nSeekPreviewWidthMain=");
        // A remembered folder that holds an exclusion (tested with one more "/") is not written.
        row("HisExclude0=/Temp/\nPath=/Temp/\nNonremovablePath=/Temporary/", "[Settings]\nNonremovablePath=/Temporary/\n");
        row("HisExclude0=/Temp/\nPath=/temp/\nNonremovablePath=/x/Temp/", "[Settings]\nPath=/temp/\nLeft=");
        // Temporary folders: the system's for a missing one or a file, written as empty; the
        // second is dropped when it equals the first.
        row("TempPath=<dir>/tmp\nTempPath2=<dir>/prog/", "\nTempPath=<dir>/tmp/\nTempPath2=<dir>/prog/\n");
        row("TempPath=<dir>/none\nTempPath2=<dir>/tmp", "\nTempPath=\nTempPath2=<dir>/tmp/\n");
        row("TempPath=<dir>/tmp\nTempPath2=<dir>/tmp/", "\nTempPath=<dir>/tmp/\nTempPath2=\n");
        row("TempPath=<dir>/Vistrel.ini", "\nTempPath=\n");
        row("[Other]\nX=1\n[Settings]\nFoo=bar", "![Other]");  // not the second [Settings] either
        row("OverScanPercent=15", "!OverScanPercent=");
        row("CurrentFileDefaultVolume=500", "!CurrentFileDefaultVolume=");
    }
    void loadThenSave()
    {
        QFETCH(Text, keys);
        QFETCH(Text, saved);
        const std::string file = "[Settings]\n" + InDir(keys) + "\n";
        WriteFile(Ini(), file);
        Settings s;
        s.Path = "/shown/";
        Store().ReadSettings(s, env_);
        QCOMPARE(IniText(), file);
        Store().SaveSettings(s, env_);
        const bool absent = saved.startsWith('!');
        QVERIFY2((IniText().find(InDir(saved.mid(absent ? 1 : 0))) == std::string::npos) == absent, IniText().c_str());
        QVERIFY(!Exists(Bak()));
    }

    void loadedValuesOutsideTheSaveList()
    {
        QCOMPARE(LoadFrom("OverScanPercent=30\n").OverScanPercent, 20.0);
        QCOMPARE(LoadFrom("OverScanPercent=-30\n").OverScanPercent, -20.0);
        QCOMPARE(Store().ReadSeekPreviewBackColor(), 4210752);  // the defaults of keys other windows read
        QCOMPARE(Store().ReadSeekPreviewTextColor(), 16777215);
        QCOMPARE(Store().ReadCurrentFileDefaultVolume(), 750);
        WriteFile(Ini(), "[Settings]\nSeekPreviewBackColor=&H000000FF\nCurrentFileDefaultVolume=500\n");
        QVERIFY(Store().ReadSeekPreviewBackColor() == 255 && Store().ReadCurrentFileDefaultVolume() == 500);
        // Without playbin the media interface is MCI whatever the file says.
        directShowAvailable_ = false;
        QCOMPARE(LoadFrom("UseMCI=0\n").UseMCI, 1);
        env_.isDirectShowAvailable = nullptr;
        QCOMPARE(LoadFrom("\n").UseMCI, 1);
    }

    void minimisedWindowKeepsItsPosition()
    {
        Settings s;
        s.Left = 100;
        s.Minimized = true;
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().starts_with("[Settings]\nPath=\nNonremovablePath=\nFontName="));
    }

    // The repair tool: the configured one when it exists, else "DivFix" beside the program.
    // A save takes the file's value, so an edit made while the program ran survives.
    void repairTool()
    {
        const std::string tool = Path("prog/mytool");
        WriteFile(tool, "#!/bin/sh\n");
        QCOMPARE(LoadFrom("PathToDivFix=" + tool + "\n").PathToDivFix, tool);
        QCOMPARE(LoadFrom("PathToDivFix=/no/such/DivFix\n").PathToDivFix, std::string(""));
        WriteFile(env_.programFolder + "DivFix", "#!/bin/sh\n");
        QCOMPARE(LoadFrom("PathToDivFix=/no/such/DivFix\n").PathToDivFix, env_.programFolder + "DivFix");
        Settings s;
        s.PathToDivFix = "/in/memory/tool";
        WriteFile(Ini(), "[Settings]\nPathToDivFix=" + tool + "\n");
        Store().SaveSettings(s, env_);
        QVERIFY(s.PathToDivFix == tool && IniText().find("\nPathToDivFix=" + tool + "\n") != std::string::npos);
        WriteFile(Ini(), "[Settings]\nPathToDivFix=/no/such/tool\n");
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nPathToDivFix=\n") != std::string::npos);
    }

    void saveThenLoadGivesTheSameSettings()
    {
        Settings s;
        s.Path = Path("tmp") + "/";
        s.CopyMoveTo = {{"A", "/a/"}, {"B", "/b/"}};
        s.GoTo = {{"G", "/g/"}};
        s.OpenWith = {{"Ed", "/bin/ed", "--x %file%", 12}, {"Vi", "/bin/vi", "", 0}};
        s.HisExclude = {"/proc/"};
        s.FontSize = 8.5;
        s.Top = 20;
        Store().SaveSettings(s, env_);
        Settings loaded;
        Store().ReadSettings(loaded, env_);
        QVERIFY(loaded.Path == s.Path && loaded.CopyMoveTo == s.CopyMoveTo && loaded.GoTo == s.GoTo);
        QVERIFY(loaded.OpenWith == s.OpenWith && loaded.HisExclude == s.HisExclude);
        QVERIFY(loaded.FontSize == 8.5 && loaded.Top == 20);
    }

    void failedRenameWritesIntoTheExistingFile()
    {
        QDir().mkpath(QString::fromStdString(Bak() + "/inside"));  // a backup that can be neither deleted nor replaced
        WriteFile(Ini(), "[Settings]\nFoo=bar\nPath=/old/\n");
        Settings s;
        s.Path = "/new/";
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().starts_with("[Settings]\nFoo=bar\nPath=/new/\nNonremovablePath=\n"));
        QVERIFY(IniText().ends_with("\nSeekPreviewWidthFullscreenDivisor=6\n"));
    }

    void unwritablePlaceLoadsTheDefaults()
    {
        Settings s;
        SettingsStore(Path("missing/Vistrel.ini"), Path("missing/Vistrel.bak")).ReadSettings(s, env_);
        QCOMPARE(s.OverlappedPlayTimeMS, 100);
        QVERIFY(!Exists(Path("missing")));
    }

    // A save renames the file to the backup, writes a new one and deletes the backup. A
    // backup found at load is the last complete file, whether the new file exists or not.
    void interruptedSaveIsRecovered_data()
    {
        QTest::addColumn<Text>("partial");
        QTest::newRow("stopped before the first key") << Text();
        QTest::newRow("stopped while writing") << Text("[Settings]\nPath=/partial/\n");
    }
    void interruptedSaveIsRecovered()
    {
        QFETCH(Text, partial);
        const std::string previous = "[Settings]\nPath=/music/\nFontSize=12\nFoo=kept\n";
        WriteFile(Bak(), previous);
        if (!partial.isNull())
            WriteFile(Ini(), partial.toStdString());
        Settings s;
        Store().ReadSettings(s, env_);
        QVERIFY(s.Path == "/music/" && s.FontSize == 12.0);
        QCOMPARE(IniText(), previous);
        QVERIFY(!Exists(Bak()));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
