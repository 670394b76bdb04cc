#pragma once
// A main window over a settings file of the test's own in a temporary folder, and the file
// list's selection as the program sets it.
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "support/TestSupport.h"

#include <QListWidget>
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

private:
    QTemporaryDir dir_;
};

// Selects `rows` with the caret on `caret` as the program does, so that nothing plays.
inline void SelectRows(MainWindow& window, const QList<int>& rows, int caret)
{
    QListWidget* files = window.Controls().fileList;
    window.Browser().ProgrammaticSelection = true;
    files->clearSelection();
    files->setCurrentRow(caret, QItemSelectionModel::NoUpdate);
    for (const int row : rows)
        files->item(row)->setSelected(true);
    window.Browser().ProgrammaticSelection = false;
}

}  // namespace vistrel::test
