#pragma once
// The choice of the start folder when no command-line argument was handed over.
#include <functional>
#include <optional>
#include <string>

namespace vistrel {

// Whether the drive that held the saved folder `path` is ready; `savedOnFixedDrive` says
// that the folder was saved from a fixed or RAM drive.
using DriveReadyPredicate = std::function<bool(const std::string& path, bool savedOnFixedDrive)>;

struct StartFolderChoice {
    std::optional<std::string> Folder;  // the folder to open, or none
    bool ShowAccessError = false;       // "Error accessing " + Path must be shown
};

// "Path" when its drive is ready, else "NonremovablePath" when its drive is ready,
// reduced to the nearest existing folder; else `homeFolder`. The error is due when
// neither saved folder gave a folder and "Path" is not empty. NonremovablePath follows
// Path on fixed and RAM drives, so a Path that differs from it was saved elsewhere.
StartFolderChoice ChooseStartFolder(const std::string& path, const std::string& nonremovablePath,
                                    const DriveReadyPredicate& isDriveReady, const std::string& homeFolder);

// The real predicate. The drive of a saved folder is the one that holds its nearest
// existing folder, ready when it can be listed. But a folder saved from a removable, CD
// or network drive whose nearest existing folder lies on a fixed or RAM drive has lost
// its drive (an unplugged stick, an unmounted share): not ready.
bool IsDriveOfSavedFolderReady(const std::string& path, bool savedOnFixedDrive);

// The user's home folder: where a first start opens.
std::string HomeFolder();

// The message text of the failure: "Error accessing " + the value of "Path".
std::string StartFolderErrorText(const std::string& path);

}  // namespace vistrel
