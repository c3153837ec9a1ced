#include "platform/host_volume_opener.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>

#include "common/error.h"
#include "platform/mount_table.h"
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
    if (S_ISBLK(info.st_mode)) return openMountedDrive(info.st_rdev);
    throw Error(ErrorNumber::DiskNotReady, "not a folder or a drive");
}

std::unique_ptr<Volume> HostVolumeOpener::openMountedDrive(dev_t drive) const
{
    for (const MountEntry& mount : readMountTable(m_mountTable))
        if (mount.major == major(drive) && mount.minor == minor(drive))
            return std::make_unique<PosixVolume>(mount.mountPoint);
    throw Error(ErrorNumber::DiskNotReady, "the drive is not mounted");
}

} // namespace tarvelo::platform
