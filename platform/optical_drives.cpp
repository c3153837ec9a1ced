#include "platform/optical_drives.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>
#include <system_error>

#include "common/error.h"

namespace fs = std::filesystem;

namespace tarvelo::platform {
namespace {

constexpr std::string_view kDrivePrefix = "sr";
constexpr int kScsiTypeWriteOnce = 4;
constexpr int kScsiTypeCdRom = 5;

struct DriveName
{
    unsigned number = 0;
    std::string name;
};

// The number of a block device named srN; nothing for any other name.
std::optional<unsigned> driveNumber(std::string_view name)
{
    if (!name.starts_with(kDrivePrefix) || name.size() == kDrivePrefix.size())
        return std::nullopt;
    const std::string_view digits = name.substr(kDrivePrefix.size());
    unsigned number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return number;
}

bool isOpticalDeviceType(const fs::path& typeFile)
{
    std::ifstream in(typeFile);
    int type = -1;
    in >> type;
    return in && (type == kScsiTypeCdRom || type == kScsiTypeWriteOnce);
}

std::vector<DriveName> opticalBlockDevices(const fs::path& sysBlock)
{
    std::vector<DriveName> drives;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysBlock, error)) {
        const std::string name = entry.path().filename().string();
        const auto number = driveNumber(name);
        if (number && isOpticalDeviceType(entry.path() / "device" / "type"))
            drives.push_back({*number, name});
    }
    std::sort(drives.begin(), drives.end(),
              [](const DriveName& a, const DriveName& b) { return a.number < b.number; });
    return drives;
}

std::optional<std::string> readableLabel(const std::string& devicePath, const VolumeOpener& volumes)
{
    try {
        return volumes.openVolume(devicePath)->facts().label;
    } catch (const Error&) {
        return std::nullopt; // a disc that is not mounted yet: listed without its label
    }
}

} // namespace

bool CdromDiscProbe::discPresent(const fs::path& deviceNode) const
{
    const int fd = ::open(deviceNode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    return status == CDS_DISC_OK;
}

std::string OpticalDrive::entryText() const
{
    return label ? devicePath + "  [" + *label + "]" : devicePath;
}

std::vector<OpticalDrive> findOpticalDrives(const fs::path& root, const DiscProbe& probe,
                                            const VolumeOpener& volumes)
{
    std::vector<OpticalDrive> drives;
    for (const DriveName& drive : opticalBlockDevices(root / "sys" / "block")) {
        const fs::path node = root / "dev" / drive.name;
        std::error_code error;
        if (!fs::exists(node, error)) continue; // no device node: nothing could read the drive
        OpticalDrive found{"/dev/" + drive.name, std::nullopt};
        if (probe.discPresent(node)) found.label = readableLabel(found.devicePath, volumes);
        drives.push_back(std::move(found));
    }
    return drives;
}

} // namespace tarvelo::platform
