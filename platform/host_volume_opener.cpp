// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host_volume_opener.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "common/error.h"
#include "platform/mount_table.h"
#include "platform/optical_device.h"
#include "platform/posix_volume.h"

namespace tarvelo::platform {

HostVolumeOpener::HostVolumeOpener(std::filesystem::path mountTable)
    : m_mountTable(std::move(mountTable))
{
}

std::unique_ptr<Volume> HostVolumeOpener::openVolume(const std::string& source) const
{
    const std::string path = withoutTrailingSlashes(source);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw Error::fromErrno(errno);
    if (S_ISDIR(info.st_mode)) return std::make_unique<PosixVolume>(path);
    if (S_ISREG(info.st_mode)) return openDiscImage(path);
    if (S_ISBLK(info.st_mode)) return openDrive(path, info.st_rdev);
    throw Error(ErrorNumber::DiskNotReady, "not a folder, a disc image or a drive");
}

// A drive is read from its device, mounted or not, so a disc gives one report either way;
// only a device that cannot be read is read through its mount point.
std::unique_ptr<Volume> HostVolumeOpener::openDrive(const std::string& path, dev_t drive) const
{
    try {
        return openDiscDevice(path);
    } catch (const Error& unreadable) {
        if (unreadable.number() == ErrorNumber::InvalidFileFormat) throw; // read: no usable tree
        if (auto mounted = openMountedDrive(drive)) return mounted;
        throw Error(ErrorNumber::DiskNotReady,
                    std::string("the drive cannot be read (") + unreadable.what() +
                        ") and is not mounted");
    }
}

std::unique_ptr<Volume> HostVolumeOpener::openMountedDrive(dev_t drive) const
{
    for (const MountEntry& mount : readMountTable(m_mountTable))
        if (mount.major == major(drive) && mount.minor == minor(drive))
            return std::make_unique<PosixVolume>(mount.mountPoint);
    return nullptr;
}

} // namespace tarvelo::platform
