#pragma once
// Temporary copies of titles that cannot play as they are: a file another program is
// writing (GStreamer would read a moving target), and a damaged AVI handed to the repair
// tool. Each of the two temporary folders has one slot name with our pid; a copy goes to the
// first folder with room for it. The copies made are remembered and wiped once no open
// title uses them, and at the end.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel {

// What the copies need of the window, and test seams (unset: the real thing).
struct TempCopyHooks {
    // The tip box, shown and painted at once; it stays until HideTip.
    std::function<void(const std::string& text)> ShowTip;
    std::function<void()> HideTip;
    std::function<void(bool busy)> SetBusyPointer;
    // The main window takes no input while the repair tool runs.
    std::function<void(bool enabled)> EnableWindow;
    // The repair tool's path, looked up again each time (the setting may have been edited);
    // "" when there is none.
    std::function<std::string()> FindRepairTool;
    std::function<int64_t(const std::string& folder)> FreeSpace;
    std::function<int64_t()> AvailableMemory;
    std::function<bool(const std::string& fullName)> IsOpenForWritingElsewhere;
};

class TempCopies {
public:
    // `folder2` may be empty; both end in "/". `limitMB` bounds every copy.
    TempCopies(const std::string& folder1, const std::string& folder2, int32_t limitMB, int64_t pid);
    ~TempCopies();  // wipes every copy still there
    TempCopies(const TempCopies&) = delete;
    TempCopies& operator=(const TempCopies&) = delete;

    TempCopyHooks Hooks;
    int32_t RepairTimeoutMs = 180000;

    // A copy of `source` in a slot, or "" when none is made: the source cannot be read, is
    // not being written by another program (unless `forRepair`), there is no room (a box
    // says so), or the copy failed.
    std::string CreateCopy(const std::string& source, bool forRepair);
    // The repair tool's rebuilt copy of `source`, or "" when there is no tool, the copy or
    // the tool failed, or the tool ran out of time.
    std::string Repair(const std::string& source);
    // Wipes every copy made that no name in `inUse` names.
    void WipeUnused(const std::vector<std::string>& inUse);

    const std::string& SlotName(int slot) const { return slotNames_[size_t(slot)]; }

private:
    int ChooseSlot(int64_t copySize);
    int64_t FreeSpace(const std::string& folder) const;
    int64_t CopyLimit() const;
    std::string CopyToSlot(const std::string& source, int slot, int64_t copySize);
    bool RunRepairTool(const std::string& tool, const std::string& file);

    std::string folders_[2];
    std::string slotNames_[2];
    int32_t limitMB_;
    std::vector<std::string> made_;
};

}  // namespace vistrel
