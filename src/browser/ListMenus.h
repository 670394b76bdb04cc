#pragma once
// The menu arrays of the destination and Open-with lists, and the rules for their
// captions and hotkey texts. A menu array is a run of actions inside a QMenu:
// element 0 is a hidden template, elements 1..n show the list's entries.
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace vistrel {

// The hotkey texts of the folder menus: "Alt+" / "Shift+" with digits from
// code 48 + i, "Shift+" with letters from code 64 + i.
inline constexpr const char* kMoveToHotkeyPrefix = "Alt+";
inline constexpr const char* kCopyToHotkeyPrefix = "Shift+";
inline constexpr const char* kGotoHotkeyPrefix = "Shift+";
inline constexpr int kDigitFirstCode = 48;
inline constexpr int kLetterFirstCode = 64;
inline constexpr const char* kMenuSeparatorName = "+++";

// The caption of entry i (1-based) for a name that is not a separator.
std::string ListMenuCaption(const std::string& name, const std::string& hotkeyPrefix, int firstCode, int i,
                            bool showHotkeys);

class MenuArray {
public:
    // The array's actions go into `menu` before `before` (appended when null); `name`
    // is the array's object name ("moveToEntries"), the elements' object names get "_i".
    MenuArray(QMenu* menu, QAction* before, const std::string& name);

    // Element i (0 = the template); null when not loaded.
    QAction* Element(int i) const;
    int Count() const { return static_cast<int>(elements_.size()) - 1; }

    // One element per name; "+++" becomes a separator line.
    void Build(const std::vector<std::string>& names, const std::string& hotkeyPrefix, int firstCode,
               bool showHotkeys);

    // `handler(i)` runs when element i is chosen; i travels in the element's data, so
    // rebuilding the array keeps the route.
    void SetTriggeredHandler(std::function<void(int index)> handler);

private:
    void LoadElements(int count);

    QMenu* menu_;
    QAction* before_;
    std::string name_;
    std::vector<QAction*> elements_;  // [0] the template
    // Shared with the elements' connections, which may outlive the array.
    std::shared_ptr<std::function<void(int)>> onTriggered_ = std::make_shared<std::function<void(int)>>();
};

}  // namespace vistrel
