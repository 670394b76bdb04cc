// The list editor and its item dialogs through their widgets: the path check, adding,
// editing, removing and moving entries, the keys, and what the editor gives back.
#include "browser/ListEditor.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace vistrel;

namespace {

void Fill(QDialog& dialog, const char* edit, const QString& text)
{
    dialog.findChild<QLineEdit*>(edit)->setText(text);
}

void Click(QDialog& dialog, const char* button)
{
    dialog.findChild<QAbstractButton*>(button)->click();
}

// Answers the dialogs that run, in turn, by `steps`; records their captions.
class DialogScript {
public:
    explicit DialogScript(std::vector<std::function<void(QDialog&)>> steps) : steps_(std::move(steps))
    {
        previous_ = SetDialogRunner([this](QDialog& dialog) {
            captions << dialog.windowTitle();
            if (next_ < steps_.size())
                steps_[next_++](dialog);
            return dialog.result();
        });
    }
    ~DialogScript() { SetDialogRunner(previous_); }
    QStringList captions;

private:
    std::vector<std::function<void(QDialog&)>> steps_;
    size_t next_ = 0;
    DialogRunner previous_;
};

QString Texts(const ListEditor& editor)
{
    const QListWidget* list = editor.findChild<QListWidget*>("itemList");
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts.join(' ');
}

}  // namespace

class TestListEditor : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Dir() const { return dir_.path(); }

private slots:
    void initTestCase() { qputenv("LISTS_TEST_DIR", Dir().toLocal8Bit()); }

    // An empty "name" column in `expected` means the dialog stays open.
    void itemDialog_data()
    {
        QTest::addColumn<bool>("programs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("expected");
        test::WriteFile(Dir().toStdString() + "/tool.desktop", "[Desktop Entry]\n");
        QTest::newRow("missing folder") << false << "N" << Dir() + "/missing" << QStringList{};
        QTest::newRow("relative folder") << false << "N" << "." << QStringList{};
        QTest::newRow("named by path") << false << "" << Dir() << QStringList{Dir(), Dir()};
        QTest::newRow("separator") << false << "+++" << "/missing" << QStringList{"+++", "+++"};
        QTest::newRow("program on PATH") << true << "" << "sh" << QStringList{"sh", "sh"};
        QTest::newRow("variables") << true << "" << "${LISTS_TEST_DIR}/tool.desktop" << QStringList{"tool", "${LISTS_TEST_DIR}/tool.desktop"};
        QTest::newRow("missing program") << true << "P" << "%LISTS_TEST_DIR%/nope" << QStringList{};
    }
    void itemDialog()
    {
        QFETCH(bool, programs);
        QFETCH(QStringList, expected);
        test::MsgBoxRecorder recorder;
        ListItemDialog dialog(nullptr, programs, {});
        QFETCH(QString, name);
        QFETCH(QString, path);
        Fill(dialog, "nameEdit", name);
        Fill(dialog, "pathEdit", path);
        Click(dialog, "okButton");
        QCOMPARE(dialog.result() == QDialog::Accepted, !expected.isEmpty());
        QCOMPARE(recorder.Messages().size(), size_t(expected.isEmpty()));
        if (expected.isEmpty())
            QCOMPARE(recorder.Messages()[0].text + "|" + std::to_string(recorder.Messages()[0].flags), std::string("Path doesn't exist!|48"));
        else
            QCOMPARE((QStringList{QString::fromStdString(dialog.Item().Name), QString::fromStdString(dialog.Item().Path)}), expected);
    }

    // Buttons and keys on the selected rows of "A B C D E F G".
    void moveAndRemove_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");
        QTest::newRow("up") << QList<int>{2} << "moveUp" << "A C B D E F G";
        QTest::newRow("up, top blocked") << QList<int>{0, 1, 3} << "moveUp" << "A B D C E F G";
        QTest::newRow("top") << QList<int>{3, 5} << "moveTop" << "D F A B C E G";
        QTest::newRow("five up") << QList<int>{6} << "moveUpFew" << "A G B C D E F";
        QTest::newRow("five down") << QList<int>{0} << "moveDownFew" << "B C D E F A G";
        QTest::newRow("bottom") << QList<int>{1, 2} << "moveBottom" << "A D E F G B C";
        QTest::newRow("down at the end") << QList<int>{6} << "moveDown" << "A B C D E F G";
        QTest::newRow("Delete") << QList<int>{1, 3} << "Delete" << "A C E F G";
        QTest::newRow("keypad minus") << QList<int>{0} << "KeypadMinus" << "B C D E F G";
        QTest::newRow("minus") << QList<int>{0} << "Minus" << "A B C D E F G";
        QTest::newRow("Ctrl+A, Delete") << QList<int>{0} << "Ctrl+A Delete" << "";
    }
    void moveAndRemove()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, action);
        std::vector<PathItem> items;
        for (const QString& name : QString("A B C D E F G").split(' '))
            items.push_back({name.toStdString(), "/" + name.toStdString()});
        ListEditor editor(nullptr, kGotoListCaption, items);
        QListWidget* list = editor.findChild<QListWidget*>("itemList");
        for (const int row : selected)
            list->item(row)->setSelected(true);
        if (action.startsWith("move"))
            editor.findChild<QToolButton*>(action)->click();
        for (const QString& key : action.startsWith("move") ? QStringList{} : action.split(' ')) {
            const int code = key == "Delete" ? Qt::Key_Delete : key == "Ctrl+A" ? Qt::Key_A : Qt::Key_Minus;
            const auto modifiers = key == "Ctrl+A" ? Qt::ControlModifier : key == "KeypadMinus" ? Qt::KeypadModifier : Qt::NoModifier;
            QTest::keyClick(list, Qt::Key(code), modifiers);
        }
        QTEST(Texts(editor), "expected");
        QCOMPARE(editor.PathItems().size(), size_t(list->count()));  // paths travel with the names
        for (const PathItem& item : editor.PathItems())
            QCOMPARE(item.Path, "/" + item.Name);
    }

    // Add (button and keypad plus) goes below the current entry, Edit replaces it, the first
    // entry without a name ends what the editor gives back.
    void addEditAndReadBack()
    {
        ListEditor editor(nullptr, kGotoListCaption, {{"A", "/a"}, {"B", "/b"}, {"", "/gap"}, {"C", "/c"}});
        QListWidget* list = editor.findChild<QListWidget*>("itemList");
        list->setCurrentRow(0);
        DialogScript script({[&](QDialog& d) { Fill(d, "pathEdit", Dir()), Click(d, "okButton"); },
                             [](QDialog& d) { Fill(d, "nameEdit", "X"), Click(d, "cancelButton"); },
                             [](QDialog& d) { Fill(d, "nameEdit", "+++"), Click(d, "okButton"); }});
        Click(editor, "addButton");
        QTest::keyClick(list, Qt::Key_Plus, Qt::KeypadModifier);
        list->setCurrentRow(2);
        Click(editor, "editButton");
        QCOMPARE(script.captions, QStringList(3, "Edit Item"));
        QCOMPARE(Texts(editor), "A " + Dir() + " +++  C");
        const std::vector<PathItem> expected{{"A", "/a"}, {Dir().toStdString(), Dir().toStdString()}, {"+++", "+++"}};
        QVERIFY(editor.PathItems() == expected);
    }

    // The hotkey text stays out of the edited name and comes back from the hotkey box.
    void openWithHotkey()
    {
        ListEditor editor(nullptr, {{"Ed\tF3", "sh", "-x %file%", 3}});
        QString shown, param;
        DialogScript script({[&](QDialog& d) {
                                 shown = d.findChild<QLineEdit*>("nameEdit")->text() + "|" + d.findChild<QComboBox*>("hotkeyBox")->currentText();
                                 d.findChild<QComboBox*>("hotkeyBox")->setCurrentIndex(12);
                                 Click(d, "okButton");
                             },
                             [&](QDialog& d) { param = d.findChild<QLineEdit*>("paramEdit")->text(); }});
        editor.findChild<QListWidget*>("itemList")->setCurrentRow(0);
        Click(editor, "editButton");
        Click(editor, "addButton");
        QCOMPARE(script.captions, (QStringList{"\"Open with\" Item", "\"Open with\" Item"}));
        QCOMPARE(shown + " " + param, QString("Ed|F3 %file%"));
        QVERIFY(editor.OpenWithItems() == (std::vector<OpenWithItem>{{"Ed\tF12", "sh", "-x %file%", 12}}));
    }
};

QTEST_MAIN(TestListEditor)
#include "tst_list_editor.moc"
