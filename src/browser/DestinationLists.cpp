#include "browser/DestinationLists.h"

#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vistrel {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CodePointCount(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The first `count` code points of `text`.
std::string FirstCodePoints(const std::string& text, size_t count)
{
    size_t end = 0;
    for (size_t n = 0; end < text.size() && n < count; ++n)
        for (++end; end < text.size() && IsContinuationByte(text[end]);)
            ++end;
    return text.substr(0, end);
}

// Without trailing "/", except for "/" itself.
std::string WithoutTrailingSlash(const std::string& path)
{
    const auto last = path.find_last_not_of('/');
    if (last == std::string::npos)
        return path.empty() ? path : "/";
    return path.substr(0, last + 1);
}

// The real path of an existing absolute path; "" otherwise.
std::string RealPath(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return {};
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string{};
}

int FindFolder(const std::vector<PathItem>& list, const std::string& folder)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (!IsSeparator(list[i]) && SameFolder(list[i].Path, folder))
            return static_cast<int>(i);
    return -1;
}

}  // namespace

bool IsSeparator(const PathItem& item)
{
    return item.Name == kListSeparator;
}

int LastSeparatorIndex(const std::vector<PathItem>& list)
{
    for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i)
        if (IsSeparator(list[size_t(i)]))
            return i;
    return -1;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    if (WithoutTrailingSlash(a) == WithoutTrailingSlash(b))
        return true;
    const std::string realA = RealPath(a);
    return !realA.empty() && realA == RealPath(b);
}

bool AddFolderToStaticList(const std::string& folder, std::vector<PathItem>& list)
{
    const std::string path = WithoutTrailingSlash(folder);
    const int separator = LastSeparatorIndex(list);
    const int insertAt = separator >= 0 ? separator : static_cast<int>(list.size());
    const int found = FindFolder(list, path);
    if (found < 0) {
        if (static_cast<int>(list.size()) >= kMaxListEntries) {
            MsgBox("List is full (20 items max)", kMsgExclamation, kAppTitle);
            return false;
        }
        list.insert(list.begin() + insertAt, PathItem{path, path});
        return true;
    }
    if (found < insertAt) {
        MsgBox("Already in list (item no " + std::to_string(found + 1) + ")", kMsgInformation, kAppTitle);
        return false;
    }
    const PathItem recent = list[size_t(found)];
    list.erase(list.begin() + found);
    list.insert(list.begin() + insertAt, recent);
    return true;
}

bool AddFolderToRecentList(const std::string& path, std::vector<PathItem>& list,
                           const std::function<bool(const std::string&)>& isExcluded)
{
    const std::string folder = WithoutTrailingSlash(IsFolder(path) ? path : GetContainingFolder(path));
    if (folder.empty() || folder.front() != '/' || (isExcluded && isExcluded(AddTrailingSlash(folder))))
        return false;
    if (FindFolder(list, folder) >= 0)
        return false;
    const PathItem entry{CompactPath(folder), folder};
    const int size = static_cast<int>(list.size());
    const int separator = LastSeparatorIndex(list);
    if (separator < 0) {
        if (size + 2 > kMaxListEntries)
            return false;
        list.push_back({kListSeparator, kListSeparator});
        list.push_back(entry);
        return true;
    }
    const int recentCount = size - separator - 1;
    const bool roomForOneMore = recentCount < kMaxRecentFolders && size < kMaxListEntries;
    if (!roomForOneMore) {
        if (recentCount == 0)
            return false;
        list.pop_back();
    }
    list.insert(list.begin() + separator + 1, entry);
    return true;
}

std::string CompactPath(const std::string& path)
{
    if (CodePointCount(path) <= kMaxCompactPathChars)
        return path;
    const std::string last = path.substr(path.rfind('/') + 1);  // npos + 1 = 0: all of it
    const std::string ellipsis = "...";
    const size_t lastChars = CodePointCount(last);
    const size_t roomForLast = kMaxCompactPathChars - ellipsis.size() - 1;  // 1 for the "/"
    if (lastChars > roomForLast)
        return FirstCodePoints(last, kMaxCompactPathChars - ellipsis.size()) + ellipsis;
    return FirstCodePoints(path, roomForLast - lastChars) + ellipsis + "/" + last;
}

std::string NameWithHotkey(const std::string& name, int hotkey)
{
    return hotkey > 0 ? name + "\tF" + std::to_string(hotkey) : name;
}

std::string NameWithoutHotkey(const std::string& name)
{
    return name.substr(0, name.find('\t'));
}

}  // namespace vistrel
