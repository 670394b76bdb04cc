#pragma once

namespace vistrel {

// Installs QMessageBox as the MsgBox handler.
void InstallQtMsgBox();
// Installs QFileDialog and QInputDialog as the file operations' folder and input dialogs.
void InstallQtFileDialogs();

}  // namespace vistrel
