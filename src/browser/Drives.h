#pragma once
// The drive box's data: the mounted file systems are the drives. A drive is its mount
// point; its DriveType is decided from the file-system type and the removable flag of its
// block device. The widget driveBox shows DriveText of each drive.
#include <string>
#include <vector>

namespace vistrel {

enum DriveType : int {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

struct Drive {
    std::string mountPoint;      // "/", "/media/user/DISC" (no trailing "/" but at the root)
    std::string label;           // the volume label; may be empty
    std::string fileSystemType;  // "ext4", "iso9660", "tmpfs", ...
    std::string device;          // "/dev/sr0", "server:/export", ...
    int type = DRIVE_NO_ROOT_DIR;
};

// CD (iso9660, udf), RAM disk (tmpfs, ramfs), network (nfs, nfs4, cifs, smb3, smbfs,
// sshfs, fuse.sshfs); otherwise removable when the device is, else fixed.
int DriveTypeOf(const std::string& fileSystemType, bool removableDevice);
// True when the block device (a partition counts as its disk) has "1" in its
// `removable` attribute under `sysRoot` ("/sys" but in tests).
bool IsRemovableBlockDevice(const std::string& device, const std::string& sysRoot = "/sys");
// Whether a mounted file system belongs in the drive box: not a package image
// (squashfs), not one of the system's own RAM disks under /run (removable media mounted
// below /run/media are kept).
bool IsListedVolume(const std::string& mountPoint, const std::string& fileSystemType);

// The drive box's list, sorted by mount point; "/" is always one.
std::vector<Drive> ListDrives();
// The drive holding `path`: the mount point of the file system it lies on (symbolic
// links followed); "/" for an existing path that no listed mount holds (the root of a
// chroot). A path that does not exist gives type DRIVE_NO_ROOT_DIR.
Drive DriveOfPath(const std::string& path);
// The DriveType of the drive holding `path`.
int GetDriveType(const std::string& path);
// A drive is ready when its root can be listed.
bool IsDriveReady(const Drive& drive);
// The drive box's text: the mount point, and the label in brackets when there is one
// ("/media/user/DISC [DISC]").
std::string DriveText(const Drive& drive);
// The folder DriveChanged opens when the drive is chosen. Its root; on a CD
// drive its "MPEGAV" folder when present, and its "MPEG2" folder when present (the
// second wins). Folder names are compared case-insensitively: Linux shows ISO 9660
// names in lower case.
std::string DriveStartFolder(const Drive& drive);

}  // namespace vistrel
