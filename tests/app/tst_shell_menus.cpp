// The main window's "Open with" entries, "Properties" and the folder menu's "Explorer from
// here", "&Copy Path" and "&Copy Folder Name", through the real launcher and clipboard, and
// the desktop's file manager as a fake on the test session bus (./test.sh starts the bus).
#include "app/MainMenus.h"
#include "support/FakeBusService.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QtTest>

#include <sys/stat.h>

using namespace vistrel;

class TestShellMenus : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QStringList opened_;
    const QString started_ = QString::fromStdString(fixture_.Path("rec.sh.out"));

    // The message boxes, the recorder's working folder and arguments, the clipboard, the
    // URLs opened, the file manager's calls and our properties dialog's name, folder, size
    // and permissions, as far as the entry gave any.
    QStringList Outcome(const MainWindow& window, const test::MsgBoxRecorder& boxes, test::FakeBusService* bus) const
    {
        QStringList seen;
        for (const test::RecordedMessage& box : boxes.Messages())
            seen << QString("box %1 %2").arg(box.flags).arg(QString::fromStdString(box.text));
        if (QFile file(started_); file.open(QIODevice::ReadOnly))
            seen << "ran " + QString::fromUtf8(file.readAll()).split(QChar(0), Qt::SkipEmptyParts).join(' ');
        if (const QString text = QApplication::clipboard()->text(); !text.isEmpty())
            seen << "clipboard " + text;
        for (const QString& url : opened_)
            seen << "opened " + url;
        for (const QString& call : bus ? bus->Calls() : QStringList())
            seen << "called " + call;
        if (const QDialog* dialog = window.findChild<QDialog*>("propertiesDialog")) {
            QStringList values;
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                values << (label->textInteractionFlags() & Qt::TextSelectableByMouse ? label->text() : QString());
            values.removeAll(QString());
            seen << "properties " + (values.mid(0, 3) << values.value(4)).join('|');
        }
        return seen;
    }

public slots:
    void OpenUrl(const QUrl& url) { opened_ << url.toEncoded(); }

private slots:
    void initTestCase()
    {
        QDir().mkpath(QString::fromStdString(fixture_.Path("music")));
        for (const char* name : {"a.mp3", "b.mp3"})
            test::WriteFile(fixture_.Path("music/") + name, "x");
        QDir().mkpath(QString::fromStdString(fixture_.Path("odd")));
        test::WriteFile(fixture_.Path("odd/a b%#\n.mp3"), std::string(1234, 'x'));  // a URL must encode it
        chmod(fixture_.Path("odd/a b%#\n.mp3").c_str(), 0640);
        const std::string recorder = fixture_.Path("rec.sh");
        test::WriteFile(recorder, "#!/bin/sh\nprintf '%s\\0' \"$(pwd -P)\" \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" \"$0.out\"\n");
        chmod(recorder.c_str(), 0755);
        QDesktopServices::setUrlHandler("file", this, "OpenUrl");
    }

    // The entry (an action's name, or the number of an Open-with entry: 1 runs the recorder,
    // 2 a missing program) on the folder, with `rows` selected and the caret on the first file,
    // and the desktop's file manager `served` on the bus or not.
    void entries_data()
    {
        QTest::addColumn<bool>("served");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("outcome");
        const QString m = QString::fromStdString(fixture_.Path("music")), odd = QString::fromStdString(fixture_.Path("odd"));
        const QString single = "box 48 Please select a single file!";
        QTest::newRow("Open with, none selected") << false << "1" << m << QList<int>{} << QStringList{single};
        QTest::newRow("Open with, two selected") << false << "1" << m << QList<int>{0, 1} << QStringList{single};
        QTest::newRow("Open with, the selected one") << false << "1" << m << QList<int>{1}
            << QStringList{"ran " + m + " " + m + "/b.mp3"};
        QTest::newRow("Open with, missing program") << false << "2" << m << QList<int>{0}
                                                    << QStringList{"box 48 Error executing '/nope':\nNo such file or directory"};
        QTest::newRow("&Copy Path") << false << "copyPathAction" << m << QList<int>{} << QStringList{"clipboard " + m};
        QTest::newRow("&Copy Path, root") << false << "copyPathAction" << "" << QList<int>{} << QStringList{"clipboard /"};
        QTest::newRow("&Copy Folder Name") << false << "copyFolderAction" << m << QList<int>{} << QStringList{"clipboard music"};
        QTest::newRow("&Copy Folder Name, root") << false << "copyFolderAction" << "" << QList<int>{} << QStringList{};
        // The file manager's answer (none on the test bus) comes back within its timeout.
        QTest::newRow("Explorer from here") << false << "exploreFromHereAction" << m << QList<int>{} << QStringList{"opened file://" + m};
        QTest::newRow("Properties, our dialog") << false << "propertiesAction" << odd << QList<int>{0}
            << QStringList{"properties a b%#\n.mp3|" + odd + "|1.234 KB (1,234 bytes)|-rw-r----- (0640)"};
        QTest::newRow("Properties, served") << true << "propertiesAction" << odd << QList<int>{0}
            << QStringList{"called ShowItemProperties file://" + odd + "/a%20b%25%23%0A.mp3 "};
        QTest::newRow("Explorer from here, served") << true << "exploreFromHereAction" << m << QList<int>{}
            << QStringList{"called ShowFolders file://" + m + " "};
        QTest::newRow("Properties, two selected") << false << "propertiesAction" << m << QList<int>{0, 1} << QStringList{};
    }

    void entries()
    {
        QFETCH(bool, served);
        QFETCH(QString, entry);
        QFETCH(QString, folder);
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, outcome);
        const auto window = fixture_.Load("Path=" + folder.toStdString() + "/\nShellName1=Rec\nShellPath1=" +
                                          fixture_.Path("rec.sh") + "\nShellName2=No\nShellPath2=/nope\n");
        const auto bus = served ? std::make_unique<test::FakeBusService>(test::BusService::FileManager) : nullptr;
        QVERIFY2(!bus || bus->Registered(), "needs the test session bus: use ./test.sh");
        test::SelectRows(*window, rows, 0);
        test::MsgBoxRecorder boxes;
        QApplication::clipboard()->clear();
        opened_.clear();
        QFile::remove(started_);
        const int openWith = entry.toInt();
        (openWith ? window->Menus().openWithEntries->Element(openWith) : window->findChild<QAction*>(entry))->trigger();
        QTRY_COMPARE(Outcome(*window, boxes, bus.get()), outcome);
    }
};

QTEST_MAIN(TestShellMenus)
#include "tst_shell_menus.moc"
