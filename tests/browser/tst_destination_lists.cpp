// The destination lists' rules over real folders: "Add Current Folder", the recent folders
// below the last separator, their limits and messages, and the shortened recent names.
#include "app/Settings.h"
#include "browser/DestinationLists.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace vistrel;

class TestDestinationLists : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // "a" is the folder dir_/a (made on first use; "a/x.mp3" also makes the file).
    std::string Path(const QString& name) const
    {
        const QString path = dir_.filePath(name);
        QDir().mkpath(name.endsWith(".mp3") ? QFileInfo(path).path() : path);
        if (name.endsWith(".mp3"))
            test::WriteFile(path.toStdString(), "x");
        return path.toStdString();
    }
    // Blank-separated names and "+++"; "s2-20" stands for s2 .. s20.
    static QString Expand(const QString& names)
    {
        static const QRegularExpression range("^s(\\d+)-(\\d+)$");
        QStringList out;
        for (const QString& name : names.split(' ', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = range.match(name);
            for (int i = m.captured(1).toInt(); m.hasMatch() && i <= m.captured(2).toInt(); ++i)
                out << QString("s%1").arg(i);
            if (!m.hasMatch())
                out << name;
        }
        return out.join(' ');
    }
    std::vector<PathItem> Items(const QString& names) const
    {
        std::vector<PathItem> list;
        for (const QString& name : Expand(names).split(' ', Qt::SkipEmptyParts))
            list.push_back(name == kListSeparator ? PathItem{kListSeparator, kListSeparator} : PathItem{Path(name), Path(name)});
        return list;
    }
    QString Names(const std::vector<PathItem>& list) const
    {
        QStringList names;
        for (const PathItem& item : list) {
            const QString path = QString::fromStdString(item.Path);
            names << (IsSeparator(item) ? path : item.Name == item.Path ? QDir(dir_.path()).relativeFilePath(path) : "?" + path);
        }
        return names.join(' ');
    }

private slots:
    // Each operation is "add NAME" (Add Current Folder) or "recent NAME" (a title started in
    // NAME); "x/" is excluded from the history.
    void listRules_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("operations");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        const QStringList sixFolders{"recent f1", "recent f2", "recent f3/a.mp3", "recent f4", "recent f5", "recent f6"};
        QTest::newRow("six folders") << "s" << sixFolders << "s +++ f6 f5 f4 f3 f2" << "";
        QTest::newRow("recent again") << "s +++ f1 f2" << QStringList{"recent f2/", "recent f1"} << "s +++ f1 f2" << "";
        QTest::newRow("recent added") << "s +++ f1 f2" << QStringList{"add f2/"} << "s f2 +++ f1" << "";
        QTest::newRow("added") << "s +++ f1" << QStringList{"add n", "add m"} << "s n m +++ f1" << "";
        QTest::newRow("added, no separator") << "s" << QStringList{"add n"} << "s n" << "";
        QTest::newRow("already in") << "s t +++ f1" << QStringList{"add t/"} << "s t +++ f1"
                                    << "Already in list (item no 2)|64";
        QTest::newRow("full") << "s1-20" << QStringList{"add n"} << "s1-20" << "List is full (20 items max)|48";
        QTest::newRow("20 static") << "s1-20" << QStringList{"recent f1"} << "s1-20" << "";
        QTest::newRow("19 static") << "s2-20" << QStringList{"recent f1"} << "s2-20" << "";
        QTest::newRow("separator 20th") << "s2-20 +++" << QStringList{"recent f1"} << "s2-20 +++" << "";
        QTest::newRow("20 with a recent") << "s3-20 +++ f1" << QStringList{"recent f2"} << "s3-20 +++ f2" << "";
        QTest::newRow("excluded") << "" << QStringList{"recent x", "recent x/y", "recent xy"} << "+++ xy" << "";
    }
    void listRules()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, operations);
        test::MsgBoxRecorder recorder;
        std::vector<PathItem> list = Items(start);
        const std::vector<std::string> exclusions{Path("x").append("/")};
        const auto excluded = [&](const std::string& folder) { return IsExcludedFromHistory(exclusions, folder); };
        for (const QString& operation : operations) {
            const std::string path = Path(operation.section(' ', 1));
            operation.startsWith("add") ? AddFolderToStaticList(path, list) : AddFolderToRecentList(path, list, excluded);
        }
        QFETCH(QString, expected);
        QCOMPARE(Names(list), Expand(expected));
        QStringList messages;
        for (const test::RecordedMessage& m : recorder.Messages())
            messages << QString::fromStdString(m.text + "|" + std::to_string(m.flags));
        QTEST(messages.join('\n'), "message");
    }

    void compactPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("compact");
        const QString a = "a", b = "b";
        QTest::newRow("50 kept") << "/" + a.repeated(49) << "/" + a.repeated(49);
        QTest::newRow("middle") << "/" + a.repeated(30) + "/" + b.repeated(30) << "/" + a.repeated(15) + ".../" + b.repeated(30);
        QTest::newRow("last fills") << "/" + a.repeated(9) + "/" + b.repeated(46) << ".../" + b.repeated(46);
        QTest::newRow("last too long") << "/a/" + b.repeated(60) << b.repeated(47) + "...";
        QTest::newRow("code points") << "/" + QString("é").repeated(30) + "/" + QString("€").repeated(30)
                                     << "/" + QString("é").repeated(15) + ".../" + QString("€").repeated(30);
    }
    void compactPath()
    {
        QFETCH(QString, path);
        QTEST(QString::fromStdString(CompactPath(path.toStdString())), "compact");
    }
};

QTEST_GUILESS_MAIN(TestDestinationLists)
#include "tst_destination_lists.moc"
