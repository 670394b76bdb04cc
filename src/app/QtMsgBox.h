#pragma once

namespace vistrel {

// Installs QMessageBox as the MsgBox handler (DESIGN.md section 3, "Message boxes").
void InstallQtMsgBox();

}  // namespace vistrel
