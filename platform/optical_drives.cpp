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
#include "image/iso9660_records.h"
#include "image/udf_descriptors.h"
#include "platform/posix_byte_source.h"

namespace fs = std::filesystem;

namespace tarvelo::platform {
namespace {

constexpr std::string_view kDrivePrefix = "sr";
constexpr std::string_view kLoopPrefix = "loop";
constexpr int kScsiTypeWriteOnce = 4;
constexpr int kScsiTypeCdRom = 5;

struct DriveName
{
    unsigned number = 0;
    std::string name;
};

// The number of a block device named prefix and N (srN, loopN); nothing for any other name.
std::optional<unsigned> driveNumber(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
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

// The block devices named prefix and N that pass the test, in numeric order.
template <typename Test>
std::vector<DriveName> numberedDevices(const fs::path& sysBlock, std::string_view prefix, Test test)
{
    std::vector<DriveName> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysBlock, error)) {
        const std::string name = entry.path().filename().string();
        const auto number = driveNumber(name, prefix);
        if (number && test(entry.path(), name)) devices.push_back({*number, name});
    }
    std::sort(devices.begin(), devices.end(),
              [](const DriveName& a, const DriveName& b) { return a.number < b.number; });
    return devices;
}

std::vector<DriveName> opticalBlockDevices(const fs::path& sysBlock)
{
    return numberedDevices(sysBlock, kDrivePrefix, [](const fs::path& entry, const std::string&) {
        return isOpticalDeviceType(entry / "device" / "type");
    });
}

bool holdsIsoImage(const fs::path& deviceNode)
{
    using namespace image::iso9660;
    std::ifstream in(deviceNode, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kFirstDescriptorSector * kSectorSize +
                                         kDescriptorIdentifierAt));
    std::string identifier(kStandardIdentifier.size(), '\0');
    in.read(identifier.data(), static_cast<std::streamsize>(identifier.size()));
    if (in && identifier == kStandardIdentifier) return true;
    try {
        return image::udf::hasUdfRecognition(*PosixByteSource::open(deviceNode), 0);
    } catch (const Error&) {
        return false;
    }
}

// Loop devices over an ISO 9660 or UDF image, which count as drives holding a disc: this is how
// an image is reported from the window on a machine without an optical drive.
std::vector<DriveName> loopDevicesWithImages(const fs::path& root)
{
    return numberedDevices(root / "sys" / "block", kLoopPrefix,
                           [&root](const fs::path& entry, const std::string& name) {
                               std::error_code error;
                               return fs::exists(entry / "loop" / "backing_file", error) &&
                                      holdsIsoImage(root / "dev" / name);
                           });
}

std::optional<std::string> readableLabel(const std::string& devicePath, const VolumeOpener& volumes)
{
    try {
        return volumes.openVolume(devicePath)->facts().label;
    } catch (const Error&) {
        return std::nullopt; // a disc that cannot be read: listed without its label
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
    for (const DriveName& loop : loopDevicesWithImages(root)) {
        const std::string devicePath = "/dev/" + loop.name;
        drives.push_back({devicePath, readableLabel(devicePath, volumes)});
    }
    return drives;
}

} // namespace tarvelo::platform
