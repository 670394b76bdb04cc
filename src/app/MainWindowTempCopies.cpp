// Temporary copies, the AVI repair and reading ahead, wired into the title play control and
// the player front. The slot names are made once the settings are read; copies left behind
// by a Vistrel that no longer runs go first.
#include "app/MainWindow.h"
#include "platform/tempfiles/TempFiles.h"
#include "playback/DirectShowPlayer.h"
#include "playback/PlayerFront.h"
#include "playback/TempCopies.h"
#include "playback/TitlePlayControl.h"
#include "support/FilePaths.h"

#include <QApplication>
#include <QLabel>

#include <unistd.h>

namespace vistrel {

void MainWindow::BuildTempCopies()
{
    for (const std::string& folder : {settings_.TempPath, settings_.TempPath2})
        if (!folder.empty())
            tempfiles::RemoveStaleCopies(folder, tempfiles::ProcessRunsVistrel);
    tempCopies_ = std::make_unique<TempCopies>(settings_.TempPath, settings_.TempPath2, settings_.MaxTempFileSizeMB,
                                               ::getpid());
    TempCopyHooks& hooks = tempCopies_->Hooks;
    // The copy and the repair block the event loop: what they show is painted at once.
    hooks.ShowTip = [this](const std::string& text) {
        controls_.tipLabel->setText(QString::fromStdString(text));
        controls_.tipBox->show();
        controls_.tipBox->repaint();
    };
    hooks.HideTip = [this] { controls_.tipBox->hide(); };
    hooks.SetBusyPointer = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    hooks.EnableWindow = [this](bool enabled) {
        setEnabled(enabled);
        repaint();
    };
    hooks.FindRepairTool = [this] {
        std::string configured = settings_.PathToDivFix;
        if (!FileExists(configured))
            store_.ReadSetting(configured, "PathToDivFix", "");  // an edit made in the file counts
        return FindRepairTool(configured, environment_.programFolder);
    };
    titlePlay_->Hooks.CreateTempCopy = [this](const std::string& name) { return tempCopies_->CreateCopy(name, false); };
    titlePlay_->Hooks.RepairAvi = [this](const std::string& name) { return tempCopies_->Repair(name); };
    titlePlay_->Hooks.PrefetchFile = tempfiles::PrefetchFile;
    front_->Hooks.WipeNewestTempCopy = [this] {
        tempCopies_->WipeUnused(directShow_ ? directShow_->OpenFileNames() : std::vector<std::string>{});
    };
}

}  // namespace vistrel
