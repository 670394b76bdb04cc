#include "playback/TempCopies.h"

#include "platform/tempfiles/RunAndWait.h"
#include "platform/tempfiles/TempFiles.h"
#include "playback/AccessLevel.h"
#include "support/AppTitle.h"
#include "support/MsgBox.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace vistrel {

namespace {

// Copies by hand only while this much memory stays free besides the copy.
constexpr int64_t kMemoryReserve = 15'000'000;

int64_t RegularFileSize(const std::string& name)
{
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : -1;
}

}  // namespace

TempCopies::TempCopies(const std::string& folder1, const std::string& folder2, int32_t limitMB, int64_t pid)
    : folders_{folder1, folder2}, limitMB_(limitMB)
{
    for (int slot = 0; slot < 2; ++slot)
        if (!folders_[slot].empty())
            slotNames_[slot] = tempfiles::TempCopyName(folders_[slot], pid_t(pid));
}

TempCopies::~TempCopies()
{
    WipeUnused({});
}

int64_t TempCopies::CopyLimit() const
{
    return int64_t(limitMB_) * tempfiles::kMiB;
}

int64_t TempCopies::FreeSpace(const std::string& folder) const
{
    return Hooks.FreeSpace ? Hooks.FreeSpace(folder) : tempfiles::FreeSpace(folder);
}

// The first folder with room for the copy; -1 when neither has it.
int TempCopies::ChooseSlot(int64_t copySize)
{
    for (int slot = 0; slot < 2; ++slot)
        if (!folders_[slot].empty() && copySize <= FreeSpace(folders_[slot]))
            return slot;
    return -1;
}

std::string TempCopies::CreateCopy(const std::string& source, bool forRepair)
{
    const int64_t size = RegularFileSize(source);
    if (size < 0 || ::access(source.c_str(), R_OK) != 0)
        return {};
    const auto inUse = [&] {
        return Hooks.IsOpenForWritingElsewhere ? Hooks.IsOpenForWritingElsewhere(source)
                                               : IsOpenForWritingElsewhere(source);
    };
    if (!forRepair && !inUse())
        return {};  // nobody else writes it: the file itself plays
    const int64_t copySize = std::min(size, CopyLimit());
    const int slot = ChooseSlot(copySize);
    if (slot < 0) {
        const std::string& folder = folders_[1].empty() ? folders_[0] : folders_[1];
        MsgBox("Not enough free space on drive " + tempfiles::MountPoint(folder), kMsgExclamation, kAppTitle);
        return {};
    }
    std::string tip = "File is used by another application! Creating temporary copy...";
    if (forRepair) {
        const std::string part = copySize == CopyLimit() ? "(first " + std::to_string(limitMB_) + "MB) " : "";
        tip = "Creating temporary copy " + part + "for executing DivFix...";
    }
    if (Hooks.SetBusyPointer)
        Hooks.SetBusyPointer(true);
    if (Hooks.ShowTip)
        Hooks.ShowTip(tip);
    std::string copy = CopyToSlot(source, slot, copySize);
    if (Hooks.HideTip)
        Hooks.HideTip();
    if (Hooks.SetBusyPointer)
        Hooks.SetBusyPointer(false);
    return copy;
}

// Small copies go through our memory in large pieces; when memory is short the kernel copies.
std::string TempCopies::CopyToSlot(const std::string& source, int slot, int64_t copySize)
{
    const std::string name = slotNames_[slot] = tempfiles::FreeTempName(slotNames_[slot]);
    const int64_t memory = Hooks.AvailableMemory ? Hooks.AvailableMemory() : tempfiles::AvailableMemory();
    const std::vector<int64_t> chunks =
        copySize <= memory - kMemoryReserve ? tempfiles::PlanChunks(copySize, memory) : std::vector<int64_t>{};
    const tempfiles::CopyOutcome outcome = tempfiles::CopyHead(source, name, copySize, chunks);
    if (outcome == tempfiles::CopyOutcome::CannotCreate) {
        MsgBox("Cannot create temporary file", kMsgExclamation, kAppTitle);
        return {};
    }
    if (outcome != tempfiles::CopyOutcome::Copied)
        return {};
    if (std::find(made_.begin(), made_.end(), name) == made_.end())
        made_.push_back(name);
    return name;
}

std::string TempCopies::Repair(const std::string& source)
{
    const std::string tool = Hooks.FindRepairTool ? Hooks.FindRepairTool() : std::string{};
    const int64_t size = RegularFileSize(source);
    if (tool.empty() || size < 0)
        return {};
    const int slot = ChooseSlot(std::min(size, CopyLimit()));
    const bool alreadyCopy = slot >= 0 && slotNames_[slot] == source;
    const std::string file = alreadyCopy ? source : CreateCopy(source, true);
    if (file.empty() || !RunRepairTool(tool, file))
        return {};
    return file;
}

// The tool's output replaces the copy it was made from.
bool TempCopies::RunRepairTool(const std::string& tool, const std::string& file)
{
    if (Hooks.ShowTip)
        Hooks.ShowTip("Waiting for DivFix...");
    if (Hooks.EnableWindow)
        Hooks.EnableWindow(false);
    const tempfiles::RunResult result = tempfiles::RunAndWait({tool, file}, RepairTimeoutMs);
    if (Hooks.EnableWindow)
        Hooks.EnableWindow(true);
    if (Hooks.HideTip)
        Hooks.HideTip();
    const std::string output = tempfiles::RepairOutputName(file);
    if (result != tempfiles::kRunEnded || RegularFileSize(output) <= 0) {
        ::unlink(output.c_str());  // what a stopped or failed tool left half written
        return false;
    }
    ::chmod(output.c_str(), 0600);
    tempfiles::WipeAndDelete(file);
    return std::rename(output.c_str(), file.c_str()) == 0;
}

void TempCopies::WipeUnused(const std::vector<std::string>& inUse)
{
    std::erase_if(made_, [&](const std::string& name) {
        if (std::find(inUse.begin(), inUse.end(), name) != inUse.end())
            return false;
        tempfiles::WipeAndDelete(name);
        return true;
    });
}

}  // namespace vistrel
