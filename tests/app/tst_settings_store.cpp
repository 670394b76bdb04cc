// The settings file: single keys read and written, typed values, the bulk load with its
// limits and fall-backs, the bulk save, and the recovery of a save that was cut short.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLocale>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace vistrel;
using Text = QByteArray;

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    SettingsEnvironment env_;

    std::string Path(const std::string& name) const { return dir_->filePath(QString::fromStdString(name)).toStdString(); }
    std::string Ini() const { return Path("Vistrel.ini"); }
    std::string Bak() const { return Path("Vistrel.bak"); }
    SettingsStore Store() const { return SettingsStore(Ini(), Bak()); }
    std::string IniText() const { return test::ReadText(Ini()); }
    static bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }
    template <typename T>
    T Read(const std::string& key, const std::string& defaultText = "9.5") const
    {
        T value{};
        Store().ReadSetting(value, key, defaultText);
        return value;
    }
    Settings LoadFrom(const std::string& keys) const  // over a window showing "/shown/"
    {
        test::WriteFile(Ini(), "[Settings]\n" + keys);
        Settings s;
        s.Path = "/shown/";
        Store().ReadSettings(s, env_);
        return s;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir_->path()).mkpath("prog") && QDir(dir_->path()).mkpath("systemp") && QDir(dir_->path()).mkpath("tmp"));
        env_ = {[] { return true; }, Path("prog") + "/", Path("systemp") + "/"};
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Single keys in a file `before` (null: none). "Key" reads it in "Settings", `after` is the value:
    // names without regard to case, values trimmed and freed of one pair of quotes, the first key of
    // the first section, at most 259 characters. "Section/Key=value" writes: `after` is the file.
    void iniKey_data()
    {
        QTest::addColumn<Text>("before");
        QTest::addColumn<Text>("op");
        QTest::addColumn<Text>("after");
        const Text p = "[Settings]\nPath=/p\n";
        QTest::newRow("no file: default trimmed") << Text() << Text("A") << Text("default");
        QTest::newRow("other section") << Text("[Other]\nA=1\n") << Text("A") << Text("default");
        QTest::newRow("case, blanks, tabs") << Text(" [ sETTINGS ] \n\t a\t= \t x  y \t \n") << Text("A") << Text("x  y");
        QTest::newRow("single quotes") << Text("[Settings]\nA='x'\n") << Text("A") << Text("x");
        QTest::newRow("mixed quotes") << Text("[Settings]\nA=\"x'\n") << Text("A") << Text("\"x'");
        QTest::newRow("comment, no equals sign") << Text("[Settings]\n  ; A=1\nA\n") << Text("A") << Text("default");
        QTest::newRow("first key wins") << Text("[Settings]\nA=1=2\na=2\n") << Text("A") << Text("1=2");
        QTest::newRow("first section only") << Text("[Settings]\n[Settings]\nA=2\n") << Text("A") << Text("default");
        QTest::newRow("CR LF and BOM") << Text("\xEF\xBB\xBF[Settings]\r\nA=/crlf/\r\n") << Text("A") << Text("/crlf/");
        QTest::newRow("259 of two bytes") << "[Settings]\nA=" + QString(300, u'ä').toUtf8() << Text("A") << QString(259, u'ä').toUtf8();
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
    void iniKey()
    {
        QFETCH(Text, before);
        QFETCH(Text, op);
        QFETCH(Text, after);
        if (!before.isNull())
            test::WriteFile(Ini(), before.toStdString());
        const qsizetype slash = op.indexOf('/'), equals = op.indexOf('=');
        const auto part = [&op](qsizetype from, qsizetype to) { return op.mid(from, to - from).toStdString(); };
        if (slash < 0)
            QCOMPARE(IniFile(Ini()).ReadString("Settings", op.toStdString(), "  \tdefault \t "), after.toStdString());
        else
            QCOMPARE(IniFile(Ini()).WriteString(part(0, slash), part(slash + 1, equals), part(equals + 1, op.size())), !after.isNull());
        const Text file = slash >= 0 && !after.isNull() ? after : before;  // a read or a refusal leaves the file as it was
        QCOMPARE(Exists(Ini()), !file.isNull());
        QCOMPARE(Text::fromStdString(IniText()), file);
    }

    // A write that cannot happen is refused and a read gives the default; a load where the file cannot
    // be made gives the defaults and creates nothing; a save whose backup can be neither deleted nor
    // replaced writes in place (a minimised window leaves its position out). No descriptor stays open.
    void unwritablePlaces()
    {
        const size_t before = test::OpenDescriptorCount();
        for (const std::string& path : {Path("missing-folder/Vistrel.ini"), Path("tmp")}) {
            QVERIFY(!IniFile(path).WriteString("Settings", "Path", "/p"));
            QCOMPARE(IniFile(path).ReadString("Settings", "Path", "def"), std::string("def"));
        }
        Settings s;
        SettingsStore(Path("missing/Vistrel.ini"), Path("missing/Vistrel.bak")).ReadSettings(s, env_);
        QVERIFY(s.OverlappedPlayTimeMS == 100 && !Exists(Path("missing")));
        QDir().mkpath(QString::fromStdString(Bak() + "/inside"));
        test::WriteFile(Ini(), "[Settings]\nFoo=bar\nPath=/old/\n");
        s.Path = "/new/";
        s.Minimized = true;
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().starts_with("[Settings]\nFoo=bar\nPath=/new/\nNonremovablePath=\nFontName="));
        QVERIFY(IniText().ends_with("\nSeekPreviewWidthFullscreenDivisor=6\nTryOtherInterface=1\n"));
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
            {"2.5", "2 2 1 2.5"}, {"-3.5", "-4 -4 1 -3.5"}, {"0.4", "0 0 1 0.4"}, {"40000", "40000 32767 1 40000"}, {"1e-999", "0 0 0 0"},
            {"-99999999999", "-2147483648 -32768 1 -99999999999"}, {"1e999", "2147483647 32767 1 inf"}, {"1,5", "1 1 1 1"},
            {"  +3.5e2x", "350 350 1 350"}, {"1e, 1", "1 1 1 1"}, {".5", "0 0 1 0.5"}, {"&h1Fz", "31 31 1 31"}, {"0x1", "0 0 0 0"},
            {"", "0 0 0 0"}, {nullptr, "10 10 1 9.5"}};
        for (const auto& [raw, read] : rows)
            QTest::newRow(raw ? raw : "missing") << Text(raw) << QString(read);
    }
    void typedRead()
    {
        QFETCH(Text, raw);
        QFETCH(QString, read);
        test::WriteFile(Ini(), raw.isNull() ? std::string("[Settings]\n") : "[Settings]\nK=" + raw.toStdString() + "\n");
        QCOMPARE(QString("%1 %2 %3 %4").arg(Read<int32_t>("K")).arg(Read<int16_t>("K")).arg(Read<bool>("K")).arg(Read<double>("K"), 0, 'g', 15), read);
    }

    // Values are written so that they read back: numbers with "-" and "." whatever the
    // locale (German writes "8,5", Swedish a minus sign U+2212, Persian its own digits),
    // texts that the read would trim or unquote inside quotes.
    void valuesReadBackAsWritten()
    {
        for (const char* locale : {"de_DE", "sv_SE", "fa_IR"}) {
            QLocale::setDefault(QLocale(locale));
            Store().SaveSetting(int32_t(-1920), "Left");
            Store().SaveSetting(-12.75, "OverScanPercent");
            QCOMPARE(IniText(), std::string("[Settings]\nLeft=-1920\nOverScanPercent=-12.75\n"));
        }
        for (const std::string text : {" lead", "trail\t", "'80s'", "\"quoted\"", "\"", "plain 'x' \"y\""}) {
            Store().SaveSetting(text, "Name");
            QCOMPARE(Read<std::string>("Name"), text);
        }
        QVERIFY(IniText().ends_with("\nName=plain 'x' \"y\"\n"));
    }

    // The first start writes every key of the save list with its default.
    void firstStartWritesTheDefaults()
    {
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(IniText(), std::string("[Settings]\nPath=\nNonremovablePath=\nLeft=0\nTop=0\nFontName=MS Shell Dlg\nFontSize=9\nShellName1=\n"
                                        "ShellPath1=\nShellParam1=\nShellHotkey1=0\nAutoZoomRes0=32\nAutoZoomRes1=384\nAutoZoomRes2=480\n"
                                        "AutoZoomRes3=800\nAdditionalFileFilter=\nAll=0\nLoop=0\nOverlapped=0\nVideoSideBySide=0\nToolTips=1\n"
                                        "UseMenuHotkeys=1\nUseMCI=0\nOverlappedPlayTimeMS=100\nSmallVidZoomToKeepAppVisible=0\nDeleteWithoutAsking=0\n"
                                        "AvsForVDub=0\nPathToDivFix=\nMaxTempFileSizeMB=10\nTempPath=\nTempPath2=\nSeekPreviewWidthMain=160\n"
                                        "SeekPreviewWidthFullscreenDivisor=6\nTryOtherInterface=1\n"));
    }

    // A file is loaded (which leaves it as it is) and saved: the file then holds each line of `saved`
    // and none that begins as one after a "!". The lists are read without gaps and renumbered from 1
    // (letters from "A"); keys outside the save list and other sections are not written back.
    void loadThenSave_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("saved");
        const auto row = [](const char* keys, const char* saved) {
            QTest::newRow(Text(keys).replace('\n', "; ").constData()) << QString(keys) << QString(saved);
        };
        row("FontSize=20\nOverlappedPlayTimeMS=2001\nMaxTempFileSizeMB=101\nSeekPreviewWidthFullscreenDivisor=11\nUseMCI=2\nTryOtherInterface=2",
            "FontSize=14\nOverlappedPlayTimeMS=2000\nMaxTempFileSizeMB=100\nSeekPreviewWidthFullscreenDivisor=10\nUseMCI=1\nTryOtherInterface=1");
        row("FontSize=6.9\nOverlappedPlayTimeMS=99\nMaxTempFileSizeMB=-1\nSeekPreviewWidthFullscreenDivisor=1\nUseMCI=-1\nLeft=-1920.4\nTryOtherInterface=0",
            "FontSize=7\nOverlappedPlayTimeMS=100\nMaxTempFileSizeMB=1\nSeekPreviewWidthFullscreenDivisor=2\nUseMCI=0\nLeft=-1920\nTop=0\nTryOtherInterface=0");
        // 0 keeps the designed font sizes and means the default temporary size; an empty Path keeps
        // the folder shown; check boxes are whole numbers, flags are not; the small-video key follows.
        row("FontSize=0\nMaxTempFileSizeMB=0\nPath=\nAll=2\nLoop=0.4\nDeleteWithoutAsking=0.4\nSmallVidZoomToKeepAppVisible=1\nOverScanPercent=15",
            "FontSize=0\nMaxTempFileSizeMB=10\nPath=/shown/\nAll=1\nLoop=0\nDeleteWithoutAsking=1\nSmallVidZoomToKeepAppVisible=0\n!OverScanPercent");
        row("CopyMoveToName1=+++\nCopyMoveToPath1=+++\nCopyMoveToPath3=/d/\nCopyMoveToName4=NoPath\nCopyMoveToName20=Z\nCopyMoveToPath20=/z/\nCopyMoveToPath21=/y/",
            "CopyMoveToName1=+++\nCopyMoveToPath1=+++\nCopyMoveToName2=/d/\nCopyMoveToPath2=/d/\nCopyMoveToName3=Z\nCopyMoveToPath3=/z/\n!CopyMoveToName4");
        row("GoToNameC=M\nGoToPathC=/m/\nGoToPathT=/t/\nGoToPathU=/u/", "GoToNameA=M\nGoToPathA=/m/\nGoToNameB=/t/\nGoToPathB=/t/\n!GoToNameC");
        row("ShellName1=\nShellPath1=/skip\nShellName2=Ed\nShellPath2=/ed\nShellParam2=\"%file%\"\nShellHotkey2=65\nShellName3=P\nShellHotkey3=&H41",
            "ShellName1=Ed\nShellPath1=/ed\nShellParam1=%file%\nShellHotkey1=65\nShellName2=P\nShellPath2=\nShellParam2=\nShellHotkey2=65\n!ShellName3");
        // A remembered folder that holds an exclusion (case-sensitive, anywhere) is not written.
        row("HisExclude0=/Temp/\nHisExclude1=/b/\nHisExclude3=/d/\nPath=/Temp/\nNonremovablePath=/Temporary/",
            "HisExclude0=/Temp/\nHisExclude1=/b/\n!HisExclude2\n!HisExclude3\n!Path=\nNonremovablePath=/Temporary/");
        row("HisExclude0=/Temp/\nPath=/temp/\nNonremovablePath=/x/Temp/", "Path=/temp/\n!NonremovablePath");
        // Temporary folders ("<dir>" is the test's): the system's for a missing one, written as empty;
        // the second is dropped when it equals the first.
        row("TempPath=<dir>/none\nTempPath2=<dir>/tmp", "TempPath=\nTempPath2=<dir>/tmp/");
        row("TempPath=<dir>/tmp\nTempPath2=<dir>/tmp/", "TempPath=<dir>/tmp/\nTempPath2=");
        row("PathToDivFix=/no/such/tool\nCurrentFileDefaultVolume=500\n[Other]\nX=1\n[Settings]\nFoo=bar",
            "PathToDivFix=\n!CurrentFileDefaultVolume\n![Other]\n!Foo");
        // The preview on MCI is written only when asked for.
        row("SeekPreviewWithMCI=1", "SeekPreviewWithMCI=1");
        row("SeekPreviewWithMCI=0", "!SeekPreviewWithMCI");
    }
    void loadThenSave()
    {
        QFETCH(QString, keys);
        QFETCH(QString, saved);
        const std::string text = keys.replace("<dir>", dir_->path()).toStdString() + "\n";
        Settings s = LoadFrom(text);
        QCOMPARE(IniText(), "[Settings]\n" + text);
        Store().SaveSettings(s, env_);
        const QString file = '\n' + QString::fromStdString(IniText());
        for (const QString& line : saved.replace("<dir>", dir_->path()).split('\n')) {
            const bool absent = line.startsWith('!');
            QVERIFY2(file.contains('\n' + (absent ? line.mid(1) : line + '\n')) != absent, qPrintable(line + " in " + file));
        }
        QVERIFY(!Exists(Bak()));
    }

    // Without playbin the media interface is MCI whatever the file says. A save takes the
    // repair tool from the file, so an edit made while the program ran survives.
    void loadFallBacks()
    {
        env_.isDirectShowAvailable = [] { return false; };
        Settings s = LoadFrom("UseMCI=0\nPathToDivFix=/old/tool\n");
        QCOMPARE(s.UseMCI, 1);
        const std::string tool = Path("prog/mytool");
        test::WriteFile(tool, "x");
        test::WriteFile(Ini(), "[Settings]\nPathToDivFix=" + tool + "\n");
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nPathToDivFix=" + tool + "\n") != std::string::npos);
    }

    // Without a configured tool the repair tool is taken from beside the program (a build
    // folder), else from the helper folder of an installed copy, as a clean path.
    void repairToolOfABuildOrAnInstalledCopy()
    {
        env_.programFolder = Path("usr/bin") + "/";
        const std::string beside = Path("usr/bin/DivFix");
        const std::string installed = QDir::cleanPath(QString::fromStdString(env_.programFolder + VISTREL_HELPERS_FROM_PROGRAM "DivFix")).toStdString();
        QCOMPARE(LoadFrom("").PathToDivFix, std::string());
        QVERIFY(QDir().mkpath(QString::fromStdString(Path("usr/bin"))) && QDir().mkpath(QFileInfo(QString::fromStdString(installed)).path()));
        test::WriteFile(installed, "x");
        QCOMPARE(LoadFrom("").PathToDivFix, installed);
        test::WriteFile(beside, "x");
        QCOMPARE(LoadFrom("PathToDivFix=/no/such/tool\n").PathToDivFix, beside);
    }

    // A save renames the file to the backup, writes a new one and deletes the backup. A backup found
    // at load is the last complete file, whether the save stopped before its first key or later.
    void interruptedSaveIsRecovered()
    {
        const std::string previous = "[Settings]\nPath=/music/\nFontSize=12\nFoo=kept\n";
        for (const std::string partial : {"", "[Settings]\nPath=/partial/\n"}) {  // no file first
            test::WriteFile(Bak(), previous);
            if (!partial.empty())
                test::WriteFile(Ini(), partial);
            Settings s;
            Store().ReadSettings(s, env_);
            QVERIFY(s.Path == "/music/" && s.FontSize == 12.0 && !Exists(Bak()));
            QCOMPARE(IniText(), previous);
        }
    }

    // A save that runs out of room (a file-size limit stands in for a full disk) keeps the
    // previous file and leaves no backup behind.
    void failedSaveKeepsThePreviousFile()
    {
        const std::string previous = "[Settings]\nPath=/music/\nFontSize=12\n";
        test::WriteFile(Ini(), previous);
        Settings s;
        rlimit old{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 100;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        Store().SaveSettings(s, env_);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(IniText(), previous);
        QVERIFY(!Exists(Bak()));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
