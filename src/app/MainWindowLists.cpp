// The main window's destination lists: going to a goto entry, adding the current folder,
// the list editor, browsing for a folder, and the recent folders of the goto list.
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "app/WindowSettings.h"
#include "browser/FileBrowser.h"
#include "browser/ListEditor.h"
#include "playback/TitlePlayControl.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <QAction>
#include <QApplication>
#include <QPointer>

namespace vistrel {

void MainWindow::WireListMenus()
{
    MainMenus& m = *menus_;
    m.goToMenu.entries->SetTriggeredHandler([this](int index) { GoToListEntry(index); });
    connect(m.goToMenu.addCurrent, &QAction::triggered, this, [this] { AddCurrentFolder(settings_.GoTo); });
    connect(m.goToMenu.config, &QAction::triggered, this, [this] { ConfigureList(settings_.GoTo, kGotoListCaption); });
    connect(m.goToMenu.browse, &QAction::triggered, this, &MainWindow::GoToBrowse);
    // Move-to and copy-to show one list.
    for (const DestinationMenu* menu : {&m.moveToMenu, &m.copyToMenu}) {
        connect(menu->addCurrent, &QAction::triggered, this, [this] { AddCurrentFolder(settings_.CopyMoveTo); });
        connect(menu->config, &QAction::triggered, this,
                [this] { ConfigureList(settings_.CopyMoveTo, kCopyMoveListCaption); });
    }
    SetDialogPreparer([window = QPointer<MainWindow>(this)](QDialog& dialog) {
        if (window)
            ApplyFonts(&dialog, {}, window->settings_.FontName, 0);
    });
}

// Each new title records its folder as the goto list's newest recent folder.
void MainWindow::WireRecentFolders()
{
    titlePlay_->Hooks.AddFolderToHistory = [this] {
        const auto excluded = [this](const std::string& folder) { return IsExcludedFromHistory(settings_.HisExclude, folder); };
        if (AddFolderToRecentList(browser_->FolderListPath(), settings_.GoTo, excluded))
            menus_->BuildListMenus(settings_);
    };
}

// Only the entry's own folder will do: opening its nearest existing parent instead would
// hide that the entry is stale. The drive box and the folder stay when it is not there.
void MainWindow::GoToListEntry(int index)
{
    if (index < 1 || index > static_cast<int>(settings_.GoTo.size()) || IsSeparator(settings_.GoTo[size_t(index - 1)]))
        return;
    const std::string path = settings_.GoTo[size_t(index - 1)].Path;
    if (path.empty() || path.front() != '/' || !IsFolder(path)) {
        MsgBox("Error going to '" + path + "'", kMsgExclamation, kAppTitle);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    browser_->SetFolder(path);
    QApplication::restoreOverrideCursor();
}

void MainWindow::GoToBrowse()
{
    const std::string folder = ChooseFolder(this, kSelectFolderTitle, browser_->FolderListPath());
    if (!folder.empty())
        browser_->SetFolder(folder);
    browser_->FocusFileList();
}

void MainWindow::AddCurrentFolder(std::vector<PathItem>& list)
{
    if (!browser_->FolderListPath().empty() && AddFolderToStaticList(browser_->FolderListPath(), list))
        ListsChanged();
}

void MainWindow::ConfigureList(std::vector<PathItem>& list, const char* caption)
{
    if (EditFolderList(this, caption, list))
        ListsChanged();
}

// The menus show the lists by position (the hotkey texts count the entries), so every
// change rebuilds them. A list the user edited is saved at once; recent folders are saved
// with the other settings at exit, so starting a title never waits for a write.
void MainWindow::ListsChanged()
{
    menus_->BuildListMenus(settings_);
    SaveAllSettings();
}

}  // namespace vistrel
