#pragma once
// The choice of the start folder when no command-line argument was handed over.
#include <functional>
#include <optional>
#include <string>

namespace vistrel {

// Whether the drive holding `path` is ready.
using DriveReadyPredicate = std::function<bool(const std::string& path)>;

struct StartFolderChoice {
    std::optional<std::string> Folder;  // the nearest existing folder to open, or none
    bool ShowAccessError = false;       // "Error accessing " + Path must be shown
};

// "Path" when its drive is ready, else "NonremovablePath" when its drive is ready,
// reduced to the nearest existing folder. The error is due when no folder remains and
// "Path" is not empty.
StartFolderChoice ChooseStartFolder(const std::string& path, const std::string& nonremovablePath,
                                    const DriveReadyPredicate& isDriveReady);

// The real predicate: IsDriveReady(DriveOfPath(path)).
bool IsDriveOfPathReady(const std::string& path);

// The message text of the failure: "Error accessing " + the value of "Path".
std::string StartFolderErrorText(const std::string& path);

}  // namespace vistrel
