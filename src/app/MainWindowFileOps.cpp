// The file operations in the main window: the file menu's Rename and Delete, the move-to
// and copy-to entries with their "Browse...", the folder menu's "New Folder", the deferred
// deletion's timer and the clean-up script at exit.
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "app/WindowTitleHost.h"
#include "browser/FileBrowser.h"
#include "browser/FileOperations.h"
#include "platform/shell/TransferDialogs.h"
#include "playback/TitlePlayControl.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <unistd.h>

#include <memory>

namespace vistrel {

namespace {

// Entry i of `array` was chosen: `run(i)`.
void OnEntry(const DestinationMenu& menu, std::function<void(int)> run)
{
    const MenuArray* array = menu.entries.get();
    QObject::connect(menu.popup, &QMenu::triggered, menu.popup, [array, run = std::move(run)](QAction* action) {
        for (int i = 1; i <= array->Count(); ++i)
            if (array->Element(i) == action)
                run(i);
    });
}

}  // namespace

FileOpsHost MainWindow::MakeFileOpsHost()
{
    FileOpsHost host;
    host.CloseMedia = [this] { titlePlay_->CloseMedia(false, false, false); };
    host.TitleClosed = [this] { return !TitleOpen(); };
    host.PlaySelection = [this](const std::string& tag) { titlePlay_->PlaySelectedTitle(false, tag); };
    host.IsForeground = [this] { return isActiveWindow(); };
    host.BringToFront = [this] {
        raise();
        activateWindow();
    };
    host.ShowTip = [this](const std::string& text) {
        titleHost_->ShowTip(text);
        timers_->hideTipTimer->start();
    };
    // One override cursor at most, however often the operations ask for it.
    auto busy = std::make_shared<bool>(false);
    host.Hourglass = [busy](bool on) {
        if (on && !*busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (!on && *busy)
            QApplication::restoreOverrideCursor();
        *busy = on;
    };
    host.DeleteWithoutAsking = [this] { return settings_.DeleteWithoutAsking; };
    host.DestinationPath = [this](int index) -> std::optional<std::string> {
        if (index < 1 || size_t(index) > settings_.CopyMoveTo.size())
            return std::nullopt;
        return settings_.CopyMoveTo[size_t(index - 1)].Path;
    };
    host.RunDeferredTimer = [this](bool run) {
        if (!run)
            timers_->deferredDeletionTimer->stop();
        else if (!timers_->deferredDeletionTimer->isActive())
            timers_->deferredDeletionTimer->start();
    };
    host.MakeTransferUi = [this] { return std::make_unique<shell::TransferDialogs>(this); };
    host.AddFolderToDynMenu = [this](const std::string& folder) {
        if (AddFolderToRecentList(folder, settings_.CopyMoveTo, [this](const std::string& f) {
                return IsExcludedFromHistory(settings_.HisExclude, f);
            }))
            menus_->BuildListMenus(settings_);
    };
    host.Transfer = [](shell::FileOp op, const std::vector<std::string>& sources, const std::string& folder,
                       shell::TransferUi& ui, shell::FsOps& fs) { return shell::Transfer(op, sources, folder, ui, fs); };
    return host;
}

void MainWindow::WireFileOperations()
{
    fileOps_ = std::make_unique<FileOperations>(*browser_, MakeFileOpsHost());
    FileOperations* ops = fileOps_.get();
    MainMenus& m = *menus_;
    connect(m.deleteAction, &QAction::triggered, this, [ops] { ops->DeleteSelectedFiles(false); });
    connect(m.renameAction, &QAction::triggered, this, [ops] { ops->ShowRenameTextBox(); });
    connect(m.newFolderAction, &QAction::triggered, this, [ops] { ops->NewFolder(); });
    connect(m.moveToMenu.browse, &QAction::triggered, this, [ops] { ops->CopyMoveToBrowse(shell::FileOp::Move); });
    connect(m.copyToMenu.browse, &QAction::triggered, this, [ops] { ops->CopyMoveToBrowse(shell::FileOp::Copy); });
    OnEntry(m.moveToMenu, [ops](int i) { ops->MoveToEntry(i); });
    OnEntry(m.copyToMenu, [ops](int i) { ops->CopyToEntry(i); });
    TransferFiles = [ops](shell::FileOp op, const std::vector<std::string>& sources, const std::string& folder) {
        return ops->SH_FileOperation(sources, folder, op);
    };
    Keys.Delete = [ops](bool noAsk) { ops->DeleteSelectedFiles(noAsk); };
    Keys.Rename = [ops] { ops->ShowRenameTextBox(); };
    Keys.MoveTo = [ops](int entry) { ops->MoveToEntry(entry); };
    Keys.CopyTo = [ops](int entry) { ops->CopyToEntry(entry); };
    connect(timers_->deferredDeletionTimer, &QTimer::timeout, this, [ops] { ops->DeferredDeletionTick(); });
    // Files still waiting go to the clean-up script. An unlink needs no handle of ours to
    // be closed, so the program ends the usual way after starting it.
    StartDeletionScriptIfNeeded = [ops] { ops->StartDeletionScriptIfNeeded(SystemTempFolder(), ::getpid()); };
}

}  // namespace vistrel
