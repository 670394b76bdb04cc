#pragma once
// An entry of the "Open with" list. The settings store keeps the list, the list editor and
// the settings dialog edit copies of it, the file menu shows it.
#include <cstdint>
#include <string>

namespace vistrel {

// Hotkey 0 = none, 1..12 = F1..F12. The name of an entry with a hotkey ends with a tab and
// the key ("\tF3"), so that the menu shows it.
struct OpenWithItem {
    std::string Name;
    std::string Path;
    std::string Param;
    int16_t Hotkey = 0;
    bool operator==(const OpenWithItem&) const = default;
};

}  // namespace vistrel
