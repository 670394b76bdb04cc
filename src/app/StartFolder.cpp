#include "app/StartFolder.h"

#include "app/ProgramValues.h"
#include "browser/Drives.h"

namespace vistrel {

namespace {

std::string PathOnReadyDrive(const std::string& path, const std::string& nonremovablePath,
                             const DriveReadyPredicate& isDriveReady)
{
    if (!path.empty() && isDriveReady(path))
        return path;
    if (!nonremovablePath.empty() && isDriveReady(nonremovablePath))
        return nonremovablePath;
    return {};
}

}  // namespace

StartFolderChoice ChooseStartFolder(const std::string& path, const std::string& nonremovablePath,
                                    const DriveReadyPredicate& isDriveReady)
{
    StartFolderChoice choice;
    const std::string candidate = PathOnReadyDrive(path, nonremovablePath, isDriveReady);
    const std::string folder = candidate.empty() ? std::string{} : GetNearestExistingFolder(candidate);
    if (!folder.empty())
        choice.Folder = folder;
    else
        choice.ShowAccessError = !path.empty();
    return choice;
}

bool IsDriveOfPathReady(const std::string& path)
{
    return IsDriveReady(DriveOfPath(path));
}

std::string StartFolderErrorText(const std::string& path)
{
    return "Error accessing " + path;
}

}  // namespace vistrel
