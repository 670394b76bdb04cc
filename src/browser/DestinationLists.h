#pragma once
// The destination lists (copy/move and goto) and the Open-with list: their entries and the
// rules that change them. A folder list has a part the user keeps and, below its last
// separator, up to five recently used folders that the program adds by itself (so a user's
// group of entries below a last separator counts as recent folders and may be pushed out).
#include "support/OpenWithItem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel {

constexpr int kMaxListEntries = 20;    // copy/move, goto and Open-with lists
constexpr int kMaxRecentFolders = 5;   // entries below a folder list's last separator
constexpr int kMaxCompactPathChars = 50;
constexpr int kMaxProgramTitleChars = 100;
inline constexpr const char* kListSeparator = "+++";

// An entry of the copy/move or goto list. `Name` is the display name: the loaded name, or
// the path when the name is empty. "+++" stands for a separator line in the list's menu.
struct PathItem {
    std::string Name;
    std::string Path;
    bool operator==(const PathItem&) const = default;
};

bool IsSeparator(const PathItem& item);
// The index of the last separator; -1 when there is none.
int LastSeparatorIndex(const std::vector<PathItem>& list);

// "Add Current Folder": `folder` joins the user's part (at the separator's place, or at
// the end), or a recent entry of it moves up there. A full list or a folder already in the
// user's part is told in a message box. True when the list changed.
bool AddFolderToStaticList(const std::string& folder, std::vector<PathItem>& list);

// Takes a folder (the folder of `path` when it is a file) as the newest recent entry, unless
// it is listed already, `isExcluded(folder + "/")` holds, or the list has no room for it.
// True when the list changed.
bool AddFolderToRecentList(const std::string& path, std::vector<PathItem>& list,
                           const std::function<bool(const std::string&)>& isExcluded);

// `path` shortened to kMaxCompactPathChars code points with "..." in the middle, the last
// component kept whole when it fits.
std::string CompactPath(const std::string& path);

// Two written forms of one folder: equal without trailing "/", or the same real path.
bool SameFolder(const std::string& a, const std::string& b);

// The entries an editor gives back: the first with an empty name ends the list, and at
// most kMaxListEntries are taken.
template <class Item>
std::vector<Item> ListUpToFirstEmptyName(const std::vector<Item>& items)
{
    std::vector<Item> list;
    for (const Item& item : items) {
        if (item.Name.empty() || static_cast<int>(list.size()) == kMaxListEntries)
            break;
        list.push_back(item);
    }
    return list;
}

// The Open-with name with its hotkey text ("Editor", 3 gives "Editor\tF3"), and without.
std::string NameWithHotkey(const std::string& name, int hotkey);
std::string NameWithoutHotkey(const std::string& name);

}  // namespace vistrel
