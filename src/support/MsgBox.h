#pragma once
// Every message box of Vistrel goes through MsgBox. The window layer installs the dialog;
// tests install a recorder and assert exact texts.
#include <functional>
#include <string>

namespace vistrel {

// A button set in the low four bits, an icon in the next four, or-ed into one flags value.
enum MsgFlags : int {
    kMsgOk = 0, kMsgOkCancel = 1, kMsgYesNoCancel = 3, kMsgYesNo = 4,
    kMsgCritical = 16, kMsgQuestion = 32, kMsgExclamation = 48, kMsgInformation = 64,
};
// Results.
enum MsgResult : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

constexpr int kMsgButtonsMask = 0x0F;
constexpr int kMsgIconMask = 0xF0;

using MsgBoxHandler = std::function<int(const std::string& text, int flags, const std::string& title)>;

// Shows a message box; text and title are UTF-8. Returns the button pressed.
int MsgBox(const std::string& text, int flags, const std::string& title);
// Installs a handler; returns the one it replaces. Without one, MsgBox writes to stderr
// and answers the first button.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

}  // namespace vistrel
