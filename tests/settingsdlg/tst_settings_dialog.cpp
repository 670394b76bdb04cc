// The settings dialog in the running window: opened by "Settings...", answered through its
// widgets; OK applies to the window and saves once, Cancel changes neither the window nor
// the settings file; the Open-with editor opened from it.
#include "app/IniFile.h"
#include "app/MainMenus.h"
#include "browser/ListEditor.h"
#include "browser/ListMenus.h"
#include "playback/TitlePlayControl.h"
#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <deque>
#include <map>

using namespace vistrel;

namespace {

template <class Widget = QAbstractButton>
Widget* Child(const QObject& parent, const char* name)
{
    Widget* widget = parent.findChild<Widget*>(name);
    QTEST_ASSERT(widget);
    return widget;
}

// Answers each dialog by its caption, and records the captions in turn.
void Answer(QStringList& captions, std::map<QString, std::function<void(QDialog&)>> steps)
{
    SetDialogRunner([&captions, steps = std::move(steps)](QDialog& dialog) {
        captions << dialog.windowTitle();
        if (const auto step = steps.find(dialog.windowTitle()); step != steps.end())
            step->second(dialog);
        return dialog.result();
    });
}

std::string Key(const std::string& key)
{
    return IniFile(program::IniFile).ReadString("Settings", key, "-");
}

}  // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QString Dir() const { return QString::fromStdString(fixture_.Path()); }

    // The keys the dialog edits as the file has them ("-" when missing), and the window's state.
    QString Observed(const MainWindow& window) const
    {
        QStringList seen;
        for (const char* key : {"AutoZoomRes0", "AutoZoomRes3", "VideoSideBySide", "OverlappedPlayTimeMS",
                                "UseMenuHotkeys", "DeleteWithoutAsking", "TempPath", "TempPath2", "HisExclude0",
                                "HisExclude1", "HisExclude2"})
            seen << QString("%1=%2").arg(key, QString::fromStdString(Key(key)));
        seen << QString("box=%1 time=%2 moveTo=%3 backup=%4")
                    .arg(window.Controls().videoSideBySideCheck->isChecked())
                    .arg(window.TitlePlay().OverlappedPlayTimeMS)
                    .arg(window.Menus().moveToMenu.entries->Element(1)->text())
                    .arg(QFile::exists(QString::fromStdString(program::IniBackupFile)));
        return seen.join(' ').replace(Dir(), "$");
    }

    // The Open-with list as "name=hotkey" entries, from the file and from the file menu
    // (nothing when "Open with..." and its separator are hidden).
    static QString OpenWithInFile()
    {
        QStringList entries;
        for (int i = 1; i <= 3; ++i)
            if (const std::string name = Key("ShellName" + std::to_string(i)); name != "-" && !name.empty())
                entries << QString::fromStdString(name + "=" + Key("ShellHotkey" + std::to_string(i)));
        return entries.join('|');
    }
    static QString OpenWithInMenu(const MainWindow& window)
    {
        const MainMenus& menus = window.Menus();
        const bool shown = menus.openWithMenu->menuAction()->isVisible();
        if (shown != menus.openWithSeparator->isVisible())
            return "menu and separator disagree";
        QStringList entries;
        for (int i = 1; shown && i <= menus.openWithEntries->Count(); ++i)
            entries << menus.openWithEntries->Element(i)->text() + "=" + QString::number(window.CurrentSettings().OpenWith[size_t(i - 1)].Hotkey);
        return entries.join('|');
    }

private slots:
    void cleanup()
    {
        SetDialogRunner(nullptr);
        SetFolderChooser(nullptr);
    }

    // The same edits, then OK or Cancel. The folder dialogs answer "$/t2" for the second
    // temporary folder and "/media/x" for Add.
    void okAndCancel_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");  // empty: as before the dialog
        QTest::newRow("OK") << "okButton"
                            << "AutoZoomRes0=0 AutoZoomRes3=1024 VideoSideBySide=1 OverlappedPlayTimeMS=2000 "
                               "UseMenuHotkeys=0 DeleteWithoutAsking=1 TempPath=$/t1/ TempPath2=$/t2/ "
                               "HisExclude0=/old/ HisExclude1=/media/x HisExclude2=- box=1 time=2000 moveTo=A\tAlt+ backup=0";
        QTest::newRow("Cancel") << "cancelButton" << QString();
    }
    void okAndCancel()
    {
        QFETCH(QString, button);
        QFETCH(QString, expected);
        QVERIFY(QDir(Dir()).mkpath("t1") && QDir(Dir()).mkpath("t2"));
        const auto window = fixture_.Load("AutoZoomRes3=800\nOverlappedPlayTimeMS=300\nHisExclude0=/old/\n"
                                          "HisExclude1=/gone/\nTempPath=" + fixture_.Path("t1") +
                                          "\nCopyMoveToName1=A\nCopyMoveToPath1=/a\n");
        const QString before = Observed(*window);
        const std::string fileBefore = test::ReadText(program::IniFile);
        std::deque<std::string> folders{fixture_.Path("t2"), "/media/x"};
        QStringList captions;
        SetFolderChooser([&](QWidget*, const std::string& title, const std::string&) {
            captions << QString::fromStdString(title);
            const std::string folder = folders.front();
            folders.pop_front();
            return folder;
        });
        Answer(captions, {{"Settings", [&](QDialog& d) {
                               QCOMPARE(Child<QComboBox>(d, "zoomResBox3")->currentText() + " " +
                                            Child<QLineEdit>(d, "overlappedPlayTimeEdit")->text() + " " +
                                            Child<QLineEdit>(d, "tempFolderEdit0")->text().replace(Dir(), "$"),
                                        "800 300 $/t1/");
                               Child<QComboBox>(d, "zoomResBox3")->setCurrentText("1024");
                               Child<QComboBox>(d, "zoomResBox0")->setEditText("abc");
                               Child(d, "sideBySideCheck")->click();
                               Child<QLineEdit>(d, "overlappedPlayTimeEdit")->setText("5000");
                               Child(d, "menuHotkeysCheck")->click();
                               Child(d, "dontAskOption")->click();
                               Child(d, "tempFolderBrowse1")->click();
                               Child<QListWidget>(d, "exclusionList")->setCurrentRow(1);
                               Child(d, "exclusionDeleteButton")->click();
                               Child(d, "exclusionAddButton")->click();
                               Child(d, button.toLatin1().constData())->click();
                           }}});
        Child(*window, "settingsButton")->click();
        QCOMPARE(captions, (QStringList{"Settings", "Select Folder", "Select Folder"}));
        QCOMPARE(Observed(*window), expected.isEmpty() ? before : expected);
        if (expected.isEmpty())
            QVERIFY(test::ReadText(program::IniFile) == fileBefore);
    }

    // The editor shows names without their hotkey text; what it confirms reaches the menu and
    // the file with the hotkeys only when the dialog is confirmed too.
    void openWith_data()
    {
        QTest::addColumn<QString>("edit");  // "add" an entry with F3, or "remove" all
        QTest::addColumn<QString>("editorButton");
        QTest::addColumn<QString>("dialogButton");
        QTest::addColumn<QString>("expected");
        QTest::newRow("added with F3") << "add" << "okButton" << "okButton" << "Viewer\tF2=2|Editor\tF3=3";
        QTest::newRow("all removed") << "remove" << "okButton" << "okButton" << "";
        QTest::newRow("removed, dialog cancelled") << "remove" << "okButton" << "cancelButton" << "Viewer\tF2=2";
        QTest::newRow("editor cancelled") << "remove" << "cancelButton" << "okButton" << "Viewer\tF2=2";
    }
    void openWith()
    {
        QFETCH(QString, edit);
        QFETCH(QString, editorButton);
        QFETCH(QString, dialogButton);
        QFETCH(QString, expected);
        const auto window = fixture_.Load("ShellName1=Viewer\tF2\nShellPath1=sh\nShellParam1=%file%\nShellHotkey1=2\n");
        QStringList captions;
        Answer(captions, {{"Settings", [&](QDialog& d) {
                               Child(d, "editOpenWithButton")->click();
                               Child(d, dialogButton.toLatin1().constData())->click();
                           }},
                          {kOpenWithListCaption, [&](QDialog& d) {
                               auto* list = Child<QListWidget>(d, "itemList");
                               QCOMPARE(list->item(0)->text(), "Viewer");
                               list->setCurrentRow(0);
                               if (edit == "add")
                                   Child(d, "addButton")->click();
                               else
                                   Child(d, "removeButton")->click();
                               Child(d, editorButton.toLatin1().constData())->click();
                           }},
                          {"\"Open with\" Item", [](QDialog& d) {
                               Child<QLineEdit>(d, "nameEdit")->setText("Editor");
                               Child<QLineEdit>(d, "pathEdit")->setText("sh");
                               Child<QComboBox>(d, "hotkeyBox")->setCurrentIndex(3);
                               Child(d, "okButton")->click();
                           }}});
        Child(*window, "settingsButton")->click();
        QCOMPARE(captions.first(), "Settings");
        QCOMPARE(OpenWithInMenu(*window), expected);
        QCOMPARE(OpenWithInFile(), expected);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
