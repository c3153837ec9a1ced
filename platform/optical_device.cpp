// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/optical_device.h"

#include "image/disc_volume.h"
#include "platform/posix_byte_source.h"
#include "platform/posix_fd.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>

namespace tarvelo::platform {

std::unique_ptr<Volume> openDiscImage(const std::string& imagePath)
{
    return image::openDiscVolume(PosixByteSource::open(imagePath, PosixByteSource::ReadAhead::Off),
                                 imagePath);
}

std::unique_ptr<Volume> openDiscDevice(const std::string& devicePath)
{
    return image::openDiscVolume(PosixByteSource::open(devicePath, PosixByteSource::ReadAhead::Off),
                                 devicePath,
                                 lastSessionStart(devicePath), lastWrittenSector(devicePath));
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

std::optional<std::uint64_t> lastWrittenSector(const std::string& devicePath)
{
    const UniqueFd fd(::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return std::nullopt;
    long last = 0;
    if (::ioctl(fd.get(), CDROM_LAST_WRITTEN, &last) != 0 || last <= 0) return std::nullopt;
    return static_cast<std::uint64_t>(last);
}

} // namespace tarvelo::platform
