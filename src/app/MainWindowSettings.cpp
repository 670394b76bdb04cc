// The settings dialog's wiring: the settings button opens it over a copy of the settings;
// OK hands what it made of them to the running window and saves all settings once.
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "app/WindowSettings.h"
#include "browser/FileBrowser.h"
#include "browser/ListEditor.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"
#include "settingsdlg/SettingsDialog.h"

#include <QCheckBox>
#include <QPushButton>

namespace vistrel {

namespace {

settingsdlg::SettingsValues DialogValues(const Settings& s, bool videoSideBySide)
{
    settingsdlg::SettingsValues values;
    values.autoZoomRes = s.AutoZoomRes;
    values.videoSideBySide = videoSideBySide;
    values.openWith = s.OpenWith;
    values.tempPaths = {s.TempPath, s.TempPath2};
    values.overlappedPlayTimeMS = s.OverlappedPlayTimeMS;
    values.useMenuHotkeys = s.UseMenuHotkeys;
    values.deleteWithoutAsking = s.DeleteWithoutAsking;
    values.hisExclude = s.HisExclude;
    return values;
}

}  // namespace

void MainWindow::WireSettingsDialog()
{
    connect(controls_.settingsButton, &QPushButton::clicked, this, &MainWindow::OpenSettingsDialog);
}

void MainWindow::OpenSettingsDialog()
{
    settingsdlg::SettingsDialogHooks hooks;
    hooks.EditOpenWith = EditOpenWithList;
    hooks.ChooseFolder = ChooseFolder;
    settingsdlg::SettingsDialog dialog(this, DialogValues(settings_, controls_.videoSideBySideCheck->isChecked()),
                                       std::move(hooks));
    const bool confirmed = RunDialog(dialog) == QDialog::Accepted;
    browser_->FocusFileList();
    if (!confirmed)
        return;
    ApplyDialogSettings(dialog.Result());
    SaveAllSettings();
}

// The video layout, the file operations, the history and the keys read these settings
// when they need them; the play time has its own copy in the title play control, and the
// menus show the lists and hotkeys as they were built.
void MainWindow::ApplyDialogSettings(const settingsdlg::SettingsValues& values)
{
    settings_.AutoZoomRes = values.autoZoomRes;
    controls_.videoSideBySideCheck->setChecked(values.videoSideBySide);
    settings_.OpenWith = values.openWith;
    settings_.TempPath = values.tempPaths[0];
    settings_.TempPath2 = values.tempPaths[1];
    settings_.OverlappedPlayTimeMS = values.overlappedPlayTimeMS;
    titlePlay_->OverlappedPlayTimeMS = values.overlappedPlayTimeMS;
    settings_.UseMenuHotkeys = values.useMenuHotkeys;
    settings_.DeleteWithoutAsking = values.deleteWithoutAsking;
    settings_.HisExclude = values.hisExclude;
    menus_->BuildListMenus(settings_);
}

void MainWindow::SaveAllSettings()
{
    settings_.UseMCI = front_->MediaInterface;
    RememberWindowPlacement();
    ReadBackWindowSettings(controls_, settings_);
    store_.SaveSettings(settings_, environment_);
}

}  // namespace vistrel
