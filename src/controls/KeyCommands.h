#pragma once
// The main window's keyboard as pure functions: a key, its modifiers and the state of the
// window become one command and whether the key is swallowed (kept from the control that
// has the focus, so the file list does not move as well). Keys have codes of their own,
// stable across keyboard layouts: digits and letters by their character, the others as
// listed below. app/MainWindowKeys.cpp turns key events into codes and runs the commands.
#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

// The modifier mask.
inline constexpr int kModShift = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModAlt = 4;

// The key codes the commands use; '0'..'9' and 'A'..'Z' stand for themselves.
namespace keycode {
inline constexpr int kLeft = 37;
inline constexpr int kRight = 39;
inline constexpr int kDelete = 46;
inline constexpr int kMenu = 93;
inline constexpr int kPadPlus = 107;
inline constexpr int kPadMinus = 109;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kF5 = 116;
inline constexpr int kF10 = 121;
inline constexpr int kF11 = 122;
inline constexpr int kMediaNext = 176;
inline constexpr int kMediaPrevious = 177;
inline constexpr int kMediaStop = 178;
inline constexpr int kMediaPlayPause = 179;
}  // namespace keycode

// The control that has the keyboard focus. The player keys and the key-up commands are
// off in the folder list, the drive box and any text editor (their keys are their own).
enum class KeyFocus { FileList, FolderList, DriveBox, TextEditor, Other };

struct KeyContext {
    int32_t playState = 0;          // TitleState's play state
    int64_t msSinceTitleStart = 0;  // since the current (or last) title was started
    int32_t titleLengthMs = 0;
    KeyFocus focus = KeyFocus::FileList;
    bool videoWindow = false;       // the title shows a video window
    bool useMenuHotkeys = true;     // letters and digits reach the destination lists
    int gotoEntries = 0;            // entries in the "Go To" list
    std::vector<int> openWithHotkeys;  // per "Open with" entry: its F-key number, 0 = none
};

enum class KeyCommandId {
    None,
    SelectAllFiles,
    FileMenuAtCurrentItem,
    OpenWith,           // argument: the entry, 1-based
    KeyboardReference,
    PlayControl,        // argument: 0 play, 1 pause, 2 stop (the play buttons' indexes)
    Seek,               // argument: the step in ms
    Skip,               // argument: 0 previous file, 1 next file
    DeleteFiles,        // argument: 1 without asking
    Overscan,           // argument: +1 / -1 percent
    Goto,               // argument: the entry, 1-based
    CopyFilesToClipboard,
    PasteFiles,
    CopyTo,             // argument: the entry, 1-based
    MoveTo,             // argument: the entry, 1-based
    Rename,
    Refresh,
};

struct KeyCommand {
    KeyCommandId id = KeyCommandId::None;
    int argument = 0;
    bool swallow = false;
    bool operator==(const KeyCommand&) const = default;
};

KeyCommand KeyDownCommand(int code, int modifiers, const KeyContext& context);
KeyCommand KeyUpCommand(int code, int modifiers, const KeyContext& context);

// The text of the keyboard reference box (F1).
std::string KeyboardReferenceText();

// The code of a Qt key; 0 for keys without one. `nativeScanCode` is the XKB key code the
// X11 and Wayland platforms report (0 for synthetic events): the digit row gives its digit
// whatever the modifiers and the layout, as Shift+1 arrives as '!' (and as '1' only on
// layouts with shifted digits).
int KeyCodeOfQtKey(int qtKey, bool keypad, uint32_t nativeScanCode);

}  // namespace vistrel
