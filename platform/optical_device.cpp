#include "platform/optical_device.h"

#include "platform/posix_byte_source.h"
#include "platform/posix_fd.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>

namespace tarvelo::platform {

std::unique_ptr<image::IsoVolume> openDiscImage(const std::string& imagePath)
{
    return std::make_unique<image::IsoVolume>(PosixByteSource::open(imagePath), imagePath);
}

std::unique_ptr<image::IsoVolume> openDiscDevice(const std::string& devicePath)
{
    const std::uint64_t sessionStart = lastSessionStart(devicePath);
    return std::make_unique<image::IsoVolume>(PosixByteSource::open(devicePath), devicePath, sessionStart);
}

std::uint64_t lastSessionStart(const std::string& devicePath)
{
    const UniqueFd fd(::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return 0;
    cdrom_multisession session{};
    session.addr_format = CDROM_LBA;
    // As the kernel's own ISO 9660 driver does: the address counts only on an XA disc.
    if (::ioctl(fd.get(), CDROMMULTISESSION, &session) != 0 || session.xa_flag == 0) return 0;
    return session.addr.lba > 0 ? static_cast<std::uint64_t>(session.addr.lba) : 0;
}

} // namespace tarvelo::platform
