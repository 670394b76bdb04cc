// The drive box's data over the mounted file systems (see Drives.h).
#include "browser/Drives.h"

#include <QStorageInfo>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <strings.h>

namespace vistrel {

namespace {

namespace fs = std::filesystem;

bool IsOneOf(const std::string& text, std::initializer_list<const char*> values)
{
    return std::any_of(values.begin(), values.end(), [&](const char* value) { return text == value; });
}

bool IsUnder(const std::string& path, const std::string& folder)
{
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

Drive DriveFromVolume(const QStorageInfo& volume)
{
    Drive drive;
    if (!volume.isValid())
        return drive;
    drive.mountPoint = volume.rootPath().toStdString();
    drive.label = volume.name().toStdString();
    drive.fileSystemType = volume.fileSystemType().toStdString();
    drive.device = volume.device().toStdString();
    drive.type = DriveTypeOf(drive.fileSystemType, IsRemovableBlockDevice(drive.device));
    return drive;
}

// In a chroot or a container whose root is not a mount of its own, the mount table has
// no "/" and paths outside the listed mounts belong to no volume: the root still is a
// drive, a fixed one.
Drive RootDrive()
{
    Drive drive;
    drive.mountPoint = "/";
    drive.type = DRIVE_FIXED;
    return drive;
}

// The subfolder of `folder` called `name` in any letter case, or "".
std::string FindSubfolderIgnoringCase(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (::strcasecmp(it->path().filename().c_str(), name.c_str()) == 0 && it->is_directory(ec))
            return it->path().string();
    }
    return {};
}

}  // namespace

int DriveTypeOf(const std::string& fileSystemType, bool removableDevice)
{
    if (IsOneOf(fileSystemType, {"iso9660", "udf"}))
        return DRIVE_CDROM;
    if (IsOneOf(fileSystemType, {"tmpfs", "ramfs"}))
        return DRIVE_RAMDISK;
    if (IsOneOf(fileSystemType, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs"}))
        return DRIVE_REMOTE;
    return removableDevice ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

bool IsRemovableBlockDevice(const std::string& device, const std::string& sysRoot)
{
    if (!device.starts_with("/dev/"))
        return false;
    // /dev/disk/by-label/X and /dev/mapper/X lead to the kernel's name (sdb1, dm-0).
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    const fs::path name = (ec ? fs::path(device) : real).filename();
    fs::path node = fs::canonical(fs::path(sysRoot) / "class" / "block" / name, ec);
    if (ec)
        return false;
    if (fs::exists(node / "partition", ec))
        node = node.parent_path();
    return FirstLine(node / "removable") == "1";
}

bool IsListedVolume(const std::string& mountPoint, const std::string& fileSystemType)
{
    if (fileSystemType == "squashfs")
        return false;
    const bool systemRunFolder = IsUnder(mountPoint, "/run") && !IsUnder(mountPoint, "/run/media");
    return !(systemRunFolder && DriveTypeOf(fileSystemType, false) == DRIVE_RAMDISK);
}

std::vector<Drive> ListDrives()
{
    std::vector<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        Drive drive = DriveFromVolume(volume);
        std::error_code ec;
        // A bind-mounted file (as containers mount /etc/hosts) is no drive.
        if (IsListedVolume(drive.mountPoint, drive.fileSystemType) && fs::is_directory(drive.mountPoint, ec))
            drives.push_back(std::move(drive));
    }
    if (std::none_of(drives.begin(), drives.end(), [](const Drive& d) { return d.mountPoint == "/"; }))
        drives.push_back(RootDrive());
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
    return drives;
}

Drive DriveOfPath(const std::string& path)
{
    const QStorageInfo volume(QString::fromStdString(path));
    std::error_code ec;
    if (!volume.isValid() && fs::exists(path, ec))
        return RootDrive();
    return DriveFromVolume(volume);
}

int GetDriveType(const std::string& path)
{
    return DriveOfPath(path).type;
}

bool IsDriveReady(const Drive& drive)
{
    std::error_code ec;
    fs::directory_iterator listing(drive.mountPoint, ec);
    return !drive.mountPoint.empty() && !ec;
}

std::string DriveText(const Drive& drive)
{
    return drive.label.empty() ? drive.mountPoint : drive.mountPoint + " [" + drive.label + "]";
}

std::string DriveStartFolder(const Drive& drive)
{
    std::string folder = drive.mountPoint;
    if (drive.type != DRIVE_CDROM)
        return folder;
    for (const char* name : {"MPEGAV", "MPEG2"}) {
        const std::string subfolder = FindSubfolderIgnoringCase(drive.mountPoint, name);
        if (!subfolder.empty())
            folder = subfolder;
    }
    return folder;
}

}  // namespace vistrel
