// The main window's entries that hand files and folders to other programs: the
// "Open with" list, "Properties", and the folder menu's "Explorer from here", "&Copy Path"
// and "&Copy Folder Name".
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"
#include "platform/desktop/FileManager.h"
#include "platform/shell/Launcher.h"
#include "playback/TitlePlayControl.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

namespace vistrel {

void MainWindow::WireShellMenus()
{
    fileManager_ = new FileManager(this, FileSizeText);
    fileManager_->setParent(this);
    // The Open-with actions are rebuilt with the list; the menu stays.
    connect(menus_->openWithMenu, &QMenu::triggered, this, [this](QAction* action) {
        const MenuArray& entries = *menus_->openWithEntries;
        for (int i = 1; i <= entries.Count(); ++i) {
            if (entries.Element(i) == action)
                OpenWithEntry(i);
        }
    });
    connect(menus_->propertiesAction, &QAction::triggered, this, &MainWindow::ShowFileProperties);
    connect(menus_->exploreFromHereAction, &QAction::triggered, this,
            [this] { fileManager_->ShowFolder(browser_->FolderListPath()); });
    connect(menus_->copyPathAction, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(RemoveTrailingSlashes(browser_->FolderListPath())));
    });
    connect(menus_->copyFolderAction, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(FolderNameText(browser_->FolderListPath())));
    });
}

void MainWindow::OpenWithEntry(int index)
{
    if (index < 1 || index > int(settings_.OpenWith.size()))
        return;
    const std::vector<bool> selected = browser_->SelectedFlags();
    if (std::count(selected.begin(), selected.end(), true) != 1) {
        MsgBox("Please select a single file!", kMsgExclamation, kAppTitle);
        return;
    }
    // The one selected file, also when the caret stands on another.
    const int row = int(std::find(selected.begin(), selected.end(), true) - selected.begin());
    titlePlay_->CloseMedia(false, false, false);
    const OpenWithItem& item = settings_.OpenWith[size_t(index - 1)];
    const launcher::LaunchResult started = launcher::OpenWith(
        item.Path, item.Param, browser_->GetFullFilename(row), browser_->FolderListPath(), environment_.programFolder);
    if (!started.error.empty())
        MsgBox(started.error, kMsgExclamation, kAppTitle);
}

void MainWindow::ShowFileProperties()
{
    const int focus = browser_->CurrentRow();
    if (browser_->SelectedCount() <= 1 && focus >= 0)
        fileManager_->ShowItemProperties(browser_->GetFullFilename(focus));
    browser_->FocusFileList();
}

}  // namespace vistrel
