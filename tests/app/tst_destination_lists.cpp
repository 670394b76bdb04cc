// The destination lists: their rules over real folders, the list editor and its item dialogs
// through their widgets, and the main window's menus that go to, add, edit and browse.
#include "app/MainMenus.h"
#include "browser/ListEditor.h"
#include "playback/TitlePlayControl.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

namespace {

QString Messages(const test::MsgBoxRecorder& recorder)
{
    QStringList messages;
    for (const test::RecordedMessage& m : recorder.Messages())
        messages << QString::fromStdString(m.text + "|" + std::to_string(m.flags));
    return messages.join('\n');
}

template <class Widget = QAbstractButton>
Widget* Child(const QObject& parent, const char* name)
{
    return parent.findChild<Widget*>(name);
}

// Answers the dialogs that run, in turn, by `steps`, and records their captions.
void Script(QStringList& captions, std::vector<std::function<void(QDialog&)>> steps)
{
    SetDialogRunner([&captions, steps = std::move(steps), next = size_t(0)](QDialog& dialog) mutable {
        captions << dialog.windowTitle();
        if (next < steps.size())
            steps[next++](dialog);
        return dialog.result();
    });
}

}  // namespace

class TestDestinationLists : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QString Dir() const { return QString::fromStdString(fixture_.Path()); }

    // "a" is the folder "a" in the fixture's folder (made on first use; "a/x.mp3" also the file).
    std::string Path(const QString& name) const
    {
        const std::string path = fixture_.Path(name.toStdString());
        QDir().mkpath(name.endsWith(".mp3") ? QFileInfo(QString::fromStdString(path)).path() : QString::fromStdString(path));
        if (name.endsWith(".mp3"))
            test::WriteFile(path, "x");
        return path;
    }
    // Blank-separated names and "+++"; "19s" stands for s1 .. s19.
    static QStringList Expand(const QString& names)
    {
        QStringList out;
        for (const QString& name : names.split(' ', Qt::SkipEmptyParts)) {
            const int count = name.endsWith('s') ? name.chopped(1).toInt() : 0;
            for (int i = 1; i <= count; ++i)
                out << QString("s%1").arg(i);
            out << (count ? QStringList{} : QStringList{name});
        }
        return out;
    }
    QStringList Names(const std::vector<PathItem>& list) const
    {
        QStringList names;
        for (const PathItem& item : list) {
            const QString path = QString::fromStdString(item.Path);
            names << (IsSeparator(item) ? path : item.Name == item.Path ? QDir(Dir()).relativeFilePath(path) : "?" + path);
        }
        return names;
    }

private slots:
    void initTestCase() { qputenv("LISTS_TEST_DIR", Dir().toLocal8Bit()); }
    void cleanup()
    {
        SetDialogRunner(nullptr);
        SetFolderChooser(nullptr);
    }

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
        QTest::newRow("already in") << "s t +++ f1" << QStringList{"add t/"} << "s t +++ f1" << "Already in list (item no 2)|64";
        QTest::newRow("full") << "20s" << QStringList{"add n"} << "20s" << "List is full (20 items max)|48";
        QTest::newRow("20 static") << "20s" << QStringList{"recent f1"} << "20s" << "";
        QTest::newRow("19 static") << "19s" << QStringList{"recent f1"} << "19s" << "";
        QTest::newRow("separator 20th") << "19s +++" << QStringList{"recent f1"} << "19s +++" << "";
        QTest::newRow("20 with a recent") << "18s +++ f1" << QStringList{"recent f2"} << "18s +++ f2" << "";
        QTest::newRow("excluded") << "" << QStringList{"recent x", "recent x/y", "recent xy"} << "+++ xy" << "";
    }
    void listRules()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, operations);
        QFETCH(QString, expected);
        test::MsgBoxRecorder recorder;
        std::vector<PathItem> list;
        for (const QString& name : Expand(start))
            list.push_back(name == kListSeparator ? PathItem{kListSeparator, kListSeparator} : PathItem{Path(name), Path(name)});
        const std::vector<std::string> exclusions{Path("x").append("/")};
        const auto excluded = [&](const std::string& folder) { return IsExcludedFromHistory(exclusions, folder); };
        for (const QString& operation : operations) {
            const std::string path = Path(operation.section(' ', 1));
            operation.startsWith("add") ? AddFolderToStaticList(path, list) : AddFolderToRecentList(path, list, excluded);
        }
        QCOMPARE(Names(list), Expand(expected));
        QTEST(Messages(recorder), "message");
    }

    void compactPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("compact");
        const QString a = "a", b = "b", e = "é", euro = "€";
        QTest::newRow("50 kept") << "/" + a.repeated(49) << "/" + a.repeated(49);
        QTest::newRow("middle") << "/" + a.repeated(30) + "/" + b.repeated(30) << "/" + a.repeated(15) + ".../" + b.repeated(30);
        QTest::newRow("last fills") << "/" + a.repeated(9) + "/" + b.repeated(46) << ".../" + b.repeated(46);
        QTest::newRow("last too long") << "/a/" + b.repeated(60) << b.repeated(47) + "...";
        QTest::newRow("code points") << "/" + e.repeated(30) + "/" + euro.repeated(30) << "/" + e.repeated(15) + ".../" + euro.repeated(30);
    }
    void compactPath()
    {
        QFETCH(QString, path);
        QTEST(QString::fromStdString(CompactPath(path.toStdString())), "compact");
    }

    // The item dialog's OK: the message, then the entry when the dialog closed (a folder named
    // by its path and a separator: editorAddAndEdit).
    void itemDialog_data()
    {
        QTest::addColumn<bool>("programs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("expected");
        test::WriteFile(fixture_.Path("tool.desktop"), "[Desktop Entry]\n");
        const QString missing = "Path doesn't exist!|48";
        QTest::newRow("missing folder") << false << "N" << Dir() + "/missing" << QStringList{missing};
        QTest::newRow("relative folder") << false << "N" << "." << QStringList{missing};
        QTest::newRow("program on PATH") << true << "" << "sh" << QStringList{"", "sh", "sh"};
        QTest::newRow("variables") << true << "" << "${LISTS_TEST_DIR}/tool.desktop" << QStringList{"", "tool", "${LISTS_TEST_DIR}/tool.desktop"};
        QTest::newRow("missing program") << true << "P" << "%LISTS_TEST_DIR%/nope" << QStringList{missing};
    }
    void itemDialog()
    {
        QFETCH(bool, programs);
        QFETCH(QString, name);
        QFETCH(QString, path);
        test::MsgBoxRecorder recorder;
        ListItemDialog dialog(nullptr, programs, {});
        Child<QLineEdit>(dialog, "nameEdit")->setText(name);
        Child<QLineEdit>(dialog, "pathEdit")->setText(path);
        Child(dialog, "okButton")->click();
        QStringList outcome{Messages(recorder)};
        if (dialog.result() == QDialog::Accepted)
            outcome << QString::fromStdString(dialog.Item().Name) << QString::fromStdString(dialog.Item().Path);
        QTEST(outcome, "expected");
    }

    // Buttons and keys on the selected rows of "A B C D E F G".
    void editorMoveAndRemove_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");
        QTest::newRow("up, top blocked") << QList<int>{0, 1, 3} << "moveUp" << "A B D C E F G";
        QTest::newRow("top") << QList<int>{3, 5} << "moveTop" << "D F A B C E G";
        QTest::newRow("five up") << QList<int>{6} << "moveUpFew" << "A G B C D E F";
        QTest::newRow("five down") << QList<int>{0} << "moveDownFew" << "B C D E F A G";
        QTest::newRow("bottom") << QList<int>{1, 2} << "moveBottom" << "A D E F G B C";
        QTest::newRow("down at the end") << QList<int>{6} << "moveDown" << "A B C D E F G";
        QTest::newRow("Delete") << QList<int>{1, 3} << "Del" << "A C E F G";
        QTest::newRow("keypad minus") << QList<int>{0} << "Num+-" << "B C D E F G";
        QTest::newRow("minus") << QList<int>{0} << "-" << "A B C D E F G";
        QTest::newRow("Ctrl+A, Delete") << QList<int>{0} << "Ctrl+A, Del" << "";
    }
    void editorMoveAndRemove()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, action);
        std::vector<PathItem> items;
        for (const QString& name : QString("A B C D E F G").split(' '))
            items.push_back({name.toStdString(), "/" + name.toStdString()});
        ListEditor editor(nullptr, kGotoListCaption, items);
        QListWidget* list = Child<QListWidget>(editor, "itemList");
        for (const int row : selected)
            list->item(row)->setSelected(true);
        if (action.startsWith("move"))
            Child(editor, action.toLatin1())->click();
        else
            QTest::keySequence(list, QKeySequence(action));
        QStringList names;
        for (const PathItem& item : editor.PathItems())  // the paths travel with the names
            names << QString::fromStdString(item.Name + (item.Path == "/" + item.Name ? "" : "?"));
        QTEST(names.join(' '), "expected");
    }

    // Add (button and keypad plus) goes below the current entry, Edit replaces it, the first
    // entry without a name ends what the editor gives back; Open-with names keep their hotkey.
    void editorAddAndEdit()
    {
        ListEditor editor(nullptr, kGotoListCaption, {{"A", "/a"}, {"B", "/b"}, {"", "/gap"}, {"C", "/c"}});
        QListWidget* list = Child<QListWidget>(editor, "itemList");
        list->setCurrentRow(0);
        QStringList captions;
        Script(captions, {[&](QDialog& d) { Child<QLineEdit>(d, "pathEdit")->setText(Dir()), Child(d, "okButton")->click(); },
                             [](QDialog& d) { Child<QLineEdit>(d, "nameEdit")->setText("X"), Child(d, "cancelButton")->click(); },
                             [](QDialog& d) { Child<QLineEdit>(d, "nameEdit")->setText("+++"), Child(d, "okButton")->click(); },
                             [](QDialog& d) {
                                 QVERIFY(Child<QLineEdit>(d, "nameEdit")->text() == "Ed" && Child<QComboBox>(d, "hotkeyBox")->currentText() == "F3");
                                 Child<QComboBox>(d, "hotkeyBox")->setCurrentIndex(12);
                                 Child(d, "okButton")->click();
                             },
                             [](QDialog& d) { QCOMPARE(Child<QLineEdit>(d, "paramEdit")->text(), "%file%"); }});
        Child(editor, "addButton")->click();
        QTest::keyClick(list, Qt::Key_Plus, Qt::KeypadModifier);
        list->setCurrentRow(2);
        Child(editor, "editButton")->click();
        QVERIFY(editor.PathItems() == (std::vector<PathItem>{{"A", "/a"}, {Dir().toStdString(), Dir().toStdString()}, {"+++", "+++"}}));

        ListEditor programs(nullptr, {{"Ed\tF3", "sh", "-x %file%", 3}});
        Child<QListWidget>(programs, "itemList")->setCurrentRow(0);
        Child(programs, "editButton")->click();
        Child(programs, "addButton")->click();
        QCOMPARE(captions, (QStringList{"Edit Item", "Edit Item", "Edit Item", "\"Open with\" Item", "\"Open with\" Item"}));
        QVERIFY(programs.OpenWithItems() == (std::vector<OpenWithItem>{{"Ed\tF12", "sh", "-x %file%", 12}}));
    }

    // Missing targets on other drives: a fall-back to an existing parent would change the drive.
    void goToEntry_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("folder") << QString::fromStdString(Path("target")) << true;
        QTest::newRow("missing") << "/proc/vistrel-missing" << false;
        QTest::newRow("file") << "/dev/null" << false;
    }
    void goToEntry()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        const auto window = fixture_.Load("GoToNameA=+++\nGoToPathA=+++\nGoToNameB=T\nGoToPathB=" + target.toStdString() + "\n");
        window->Browser().SetFolder(Path("start"));
        const int drive = window->Controls().driveBox->currentIndex();
        test::MsgBoxRecorder recorder;
        Child<QAction>(*window, "goToEntries_1")->trigger();  // the separator does nothing
        Child<QAction>(*window, "goToEntries_2")->trigger();
        QCOMPARE(window->Browser().FolderListPath(), (opens ? target.toStdString() : Path("start")) + "/");
        QCOMPARE(Messages(recorder), opens ? QString() : "Error going to '" + target + "'|48");
        QVERIFY(opens || window->Controls().driveBox->currentIndex() == drive);
    }

    // Add Current Folder feeds both copy/move menus; a new title's folder becomes a recent goto
    // entry (saved at exit, not at once); the editors remove the first entries; Browse opens the
    // chosen folder. Each edit is saved.
    void menuActions()
    {
        const auto window = fixture_.Load();
        const auto ini = [] { return QString::fromStdString(test::ReadText(program::IniFile)); };
        const QString a = QString::fromStdString(Path("a"));
        window->Browser().SetFolder(Path("a"));
        Child<QAction>(*window, "copyToEntriesAddCurrent")->trigger();
        window->TitlePlay().Hooks.AddFolderToHistory();
        QCOMPARE(Child<QAction>(*window, "moveToEntries_1")->text() + Child<QAction>(*window, "goToEntries_2")->text(),
                 a + "\tAlt+1" + a + "\tShift+B");
        QVERIFY(ini().contains("\nCopyMoveToPath1=" + a + "\n") && !ini().contains("\nGoToPathB="));

        const auto removeFirst = [](QDialog& d) {
            Child<QListWidget>(d, "itemList")->setCurrentRow(0);
            Child(d, "removeButton")->click();
            Child(d, "okButton")->click();
        };
        QStringList captions;
        Script(captions, {removeFirst, removeFirst});
        Child<QAction>(*window, "goToEntriesConfig")->trigger();
        Child<QAction>(*window, "moveToEntriesConfig")->trigger();
        QCOMPARE(captions, (QStringList{kGotoListCaption, kCopyMoveListCaption}));
        QCOMPARE(Child<QAction>(*window, "goToEntries_1")->text(), a + "\tShift+A");
        QVERIFY(ini().contains("\nGoToPathA=" + a + "\n") && !ini().contains("GoToPathB") && !ini().contains("CopyMoveToPath1"));

        std::string title;
        SetFolderChooser([&](QWidget*, const std::string& t, const std::string&) { title = t; return Path("b"); });
        Child<QAction>(*window, "goToBrowseAction")->trigger();
        QCOMPARE(title + " " + window->Browser().FolderListPath(), "Select Folder " + Path("b") + "/");
    }
};

QTEST_MAIN(TestDestinationLists)
#include "tst_destination_lists.moc"
