#include "app/StartFolder.h"

#include "app/ProgramValues.h"
#include "browser/Drives.h"

#include <QDir>

namespace vistrel {

namespace {

std::string PathOnReadyDrive(const std::string& path, const std::string& nonremovablePath,
                             const DriveReadyPredicate& isDriveReady)
{
    if (!path.empty() && isDriveReady(path, path == nonremovablePath))
        return path;
    if (!nonremovablePath.empty() && isDriveReady(nonremovablePath, true))
        return nonremovablePath;
    return {};
}

}  // namespace

StartFolderChoice ChooseStartFolder(const std::string& path, const std::string& nonremovablePath,
                                    const DriveReadyPredicate& isDriveReady, const std::string& homeFolder)
{
    StartFolderChoice choice;
    const std::string candidate = PathOnReadyDrive(path, nonremovablePath, isDriveReady);
    const std::string folder = candidate.empty() ? std::string{} : GetNearestExistingFolder(candidate);
    choice.ShowAccessError = folder.empty() && !path.empty();
    if (!folder.empty())
        choice.Folder = folder;
    else if (!homeFolder.empty())
        choice.Folder = homeFolder;
    return choice;
}

bool IsDriveOfSavedFolderReady(const std::string& path, bool savedOnFixedDrive)
{
    const std::string existing = GetNearestExistingFolder(path);
    if (existing.empty())
        return false;
    const Drive drive = DriveOfPath(existing);
    if (!IsDriveReady(drive))
        return false;
    const bool fixed = drive.type == DRIVE_FIXED || drive.type == DRIVE_RAMDISK;
    return savedOnFixedDrive || IsFolder(path) || !fixed;
}

std::string HomeFolder()
{
    return QDir::homePath().toStdString();
}

std::string StartFolderErrorText(const std::string& path)
{
    return "Error accessing " + path;
}

}  // namespace vistrel
