#include "controls/KeyCommands.h"

#include "support/TitleState.h"

#include <Qt>

#include <algorithm>
#include <array>
#include <utility>

namespace vistrel {

namespace {

using namespace keycode;

constexpr int kFirstHandledCode = 32;
constexpr int kLastHandledCode = 255;
// A key pressed this soon after a title started may have been meant for the title before
// it (held over the change): skip and delete keys wait, long forward seeks are dropped.
constexpr int64_t kSettleMs = 1000;
// The XKB key codes of the digit row, 1..9 then 0.
constexpr uint32_t kDigitRowFirstScanCode = 10;
constexpr uint32_t kDigitRowZeroScanCode = 19;

KeyCommand Run(KeyCommandId id, int argument = 0)
{
    return {id, argument, true};
}

// Nothing runs, and the control does not see the key either.
KeyCommand Swallow()
{
    return {KeyCommandId::None, 0, true};
}

bool Handled(int code)
{
    return code >= kFirstHandledCode && code <= kLastHandledCode;
}

bool IsLetter(int code)
{
    return code >= 'A' && code <= 'Z';
}

// The player keys and the key-up commands leave these controls their keys.
bool FocusKeepsKeys(KeyFocus focus)
{
    return focus == KeyFocus::FolderList || focus == KeyFocus::DriveBox || focus == KeyFocus::TextEditor;
}

bool TitleOpen(const KeyContext& c)
{
    return c.playState == MMSTATE_PLAY || c.playState == MMSTATE_PAUSE;
}

KeyCommand AfterSettling(const KeyContext& c, KeyCommandId id, int argument)
{
    return c.msSinceTitleStart >= kSettleMs ? Run(id, argument) : Swallow();
}

int OpenWithEntryOfFKey(const std::vector<int>& hotkeys, int fKeyNumber)
{
    const auto it = std::find(hotkeys.begin(), hotkeys.end(), fKeyNumber);
    return it == hotkeys.end() ? 0 : static_cast<int>(it - hotkeys.begin()) + 1;
}

// A step forward longer than the whole title is taken for a key meant for the title
// before, while the new one is settling.
KeyCommand SeekLetter(int32_t stepMs, const KeyContext& c)
{
    if (!TitleOpen(c))
        return {};
    if (c.msSinceTitleStart < kSettleMs && stepMs > c.titleLengthMs)
        return Swallow();
    return Run(KeyCommandId::Seek, stepMs);
}

int32_t ArrowStepMs(int modifiers)
{
    switch (modifiers) {
    case 0: return 1000;
    case kModShift: return 5000;
    case kModCtrl: return 10000;
    case kModAlt:
    case kModCtrl | kModAlt: return 60000;
    case kModShift | kModCtrl: return 40;  // about one frame
    default: return 0;
    }
}

KeyCommand Arrow(int code, int modifiers, const KeyContext& c)
{
    const int32_t step = ArrowStepMs(modifiers);
    if (!TitleOpen(c) || step == 0)
        return {};
    return Run(KeyCommandId::Seek, code == kLeft ? -step : step);
}

KeyCommand PlayerKey(int code, int modifiers, const KeyContext& c)
{
    switch (code) {
    case kMediaStop: return Run(KeyCommandId::PlayControl, 2);
    case kF5:
    case kMediaPlayPause: return Run(KeyCommandId::PlayControl, c.playState == MMSTATE_PLAY ? 1 : 0);
    case 'A': return SeekLetter(-60000, c);
    case 'S': return SeekLetter(-10000, c);
    case 'D': return SeekLetter(10000, c);
    case 'F': return SeekLetter(60000, c);
    case 'G': return SeekLetter(300000, c);
    case 'E':
    case kMediaPrevious: return AfterSettling(c, KeyCommandId::Skip, 0);
    case 'C':
    case 'X':
    case kMediaNext: return AfterSettling(c, KeyCommandId::Skip, 1);
    case kDelete:
    case 'R': return AfterSettling(c, KeyCommandId::DeleteFiles, 0);
    case kLeft:
    case kRight: return Arrow(code, modifiers, c);
    case kPadPlus:
    case kPadMinus: return c.videoWindow ? Run(KeyCommandId::Overscan, code == kPadPlus ? 1 : -1) : KeyCommand{};
    default: return {};
    }
}

// The file list's own keys, before any other rule.
KeyCommand FileListKey(int code, int modifiers, const KeyContext& c)
{
    if (c.focus != KeyFocus::FileList)
        return {};
    if (code == 'A' && modifiers == kModCtrl)
        return Run(KeyCommandId::SelectAllFiles);
    if ((code == kF10 && modifiers == kModShift) || (code == kMenu && modifiers == 0))
        return Run(KeyCommandId::FileMenuAtCurrentItem);
    // Deleting without the question, as the keyboard reference names it.
    if (code == kDelete && modifiers == kModShift)
        return AfterSettling(c, KeyCommandId::DeleteFiles, 1);
    return {};
}

}  // namespace

KeyCommand KeyDownCommand(int code, int modifiers, const KeyContext& c)
{
    if (!Handled(code))
        return {};
    if (const KeyCommand own = FileListKey(code, modifiers, c); own.swallow)
        return own;
    if (modifiers != 0 && code != kLeft && code != kRight)
        return {};
    if (code >= kF1 && code <= kF11) {
        if (const int entry = OpenWithEntryOfFKey(c.openWithHotkeys, code - kF1 + 1))
            return Run(KeyCommandId::OpenWith, entry);
    }
    if (code == kF1)
        return Run(KeyCommandId::KeyboardReference);
    if (FocusKeepsKeys(c.focus))
        return {};
    return PlayerKey(code, modifiers, c);
}

KeyCommand KeyUpCommand(int code, int modifiers, const KeyContext& c)
{
    if (!Handled(code) || FocusKeepsKeys(c.focus) || code == kLeft || code == kRight)
        return {};
    if (IsLetter(code) && modifiers == kModShift && c.useMenuHotkeys) {
        const int entry = code - 'A' + 1;
        return entry <= c.gotoEntries ? Run(KeyCommandId::Goto, entry) : KeyCommand{};
    }
    if (modifiers == kModCtrl && (code == 'C' || code == 'V'))
        return Run(code == 'C' ? KeyCommandId::CopyFilesToClipboard : KeyCommandId::PasteFiles);
    if (code >= '1' && code <= '9' && c.useMenuHotkeys && (modifiers == kModShift || modifiers == kModAlt))
        return Run(modifiers == kModShift ? KeyCommandId::CopyTo : KeyCommandId::MoveTo, code - '0');
    if (code == kF2)
        return Run(KeyCommandId::Rename);
    if (code == kF5)
        return Run(KeyCommandId::Refresh);
    return {};
}

std::string KeyboardReferenceText()
{
    static const std::array<std::pair<const char*, const char*>, 6> lines{{
        {"Ctrl+Left/Rigth or S/D", "Seek 10 s"},
        {"Alt+Left/Rigth or A/F  ", "Seek 1 min"},
        {"Up/Down or E/C         ", "Play prev/next file"},
        {"Del                              ", "delete file (finally, after asking)"},
        {"Shift+Del or R            ", "delete file (finally, no asking)"},
        {"ESC                             ", "fullscreen / side-by-side"},
    }};
    std::string text = "Keyboard reference:\n\n";
    for (const auto& [keys, action] : lines)
        text += std::string(keys) + "\t" + action + "\n";
    return text;
}

int KeyCodeOfQtKey(int qtKey, bool keypad, uint32_t nativeScanCode)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? 0 : qtKey;  // Qt's codes are the characters; the keypad's digits are not
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;
    if (nativeScanCode >= kDigitRowFirstScanCode && nativeScanCode < kDigitRowZeroScanCode)
        return '1' + static_cast<int>(nativeScanCode - kDigitRowFirstScanCode);
    if (nativeScanCode == kDigitRowZeroScanCode)
        return '0';
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return kF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Left: return kLeft;
    case Qt::Key_Right: return kRight;
    case Qt::Key_Delete: return kDelete;
    case Qt::Key_Menu: return kMenu;
    case Qt::Key_Plus: return keypad ? kPadPlus : 0;
    case Qt::Key_Minus: return keypad ? kPadMinus : 0;
    case Qt::Key_MediaNext: return kMediaNext;
    case Qt::Key_MediaPrevious: return kMediaPrevious;
    case Qt::Key_MediaStop: return kMediaStop;
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause: return kMediaPlayPause;
    default: return 0;
    }
}

}  // namespace vistrel
