#pragma once

namespace vistrel {

// Installs QMessageBox as the MsgBox handler.
void InstallQtMsgBox();

}  // namespace vistrel
