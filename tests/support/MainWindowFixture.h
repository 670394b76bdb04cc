#pragma once
// A main window over a settings file of the test's own in a temporary folder, and the file
// list's selection as the program sets it.
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "support/TestSupport.h"

#include <QListView>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace vistrel::test {

class MainWindowFixture {
public:
    // A name inside the temporary folder (the folder itself for "").
    std::string Path(const std::string& name = {}) const
    {
        return name.empty() ? dir_.path().toStdString() : dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    // Writes "[Settings]" and `keys` as the INI file (no backup) and builds the window, which
    // loads it, with `commandLineArg` as the command line's argument.
    std::unique_ptr<MainWindow> Load(const std::string& keys = {}, const std::string& commandLineArg = {})
    {
        program::IniFile = Path("Vistrel.ini");
        program::IniBackupFile = Path("Vistrel.bak");
        std::remove(program::IniBackupFile.c_str());
        WriteFile(program::IniFile, "[Settings]\n" + keys);
        program::CommandLineArg = commandLineArg;
        auto window = std::make_unique<MainWindow>(Path("vistrel"));
        program::CommandLineArg.clear();
        return window;
    }

    // As Load, and shown on the screen.
    std::unique_ptr<MainWindow> Show(const std::string& keys = {}, const std::string& commandLineArg = {})
    {
        auto window = Load(keys, commandLineArg);
        window->show();
        QTEST_ASSERT(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

private:
    QTemporaryDir dir_;
};

// Selects `rows` with the caret on `caret` as the program does, so that nothing plays.
inline void SelectRows(MainWindow& window, const QList<int>& rows, int caret)
{
    QListView* files = window.Controls().fileList;
    window.Browser().ProgrammaticSelection = true;
    files->clearSelection();
    files->selectionModel()->setCurrentIndex(files->model()->index(caret, 0), QItemSelectionModel::NoUpdate);
    for (const int row : rows)
        files->selectionModel()->select(files->model()->index(row, 0), QItemSelectionModel::Select);
    window.Browser().ProgrammaticSelection = false;
}

// Where the file list shows `row`, in its viewport's coordinates.
inline QRect RowRect(const MainWindow& window, int row)
{
    const QListView* files = window.Controls().fileList;
    return files->visualRect(files->model()->index(row, 0));
}

}  // namespace vistrel::test
