// SPDX-License-Identifier: GPL-3.0-or-later
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

struct LoopDevice
{
    std::string name;
    std::string backingFile;
    bool readsBackingFile = false;
};

// The image a loop device is attached to; nothing when it is detached.
std::optional<std::string> backingFileOf(const fs::path& sysEntry)
{
    std::ifstream in(sysEntry / "loop" / "backing_file");
    std::string path;
    if (!std::getline(in, path) || path.empty()) return std::nullopt;
    return path;
}

bool canOpen(const fs::path& path)
{
    return std::ifstream(path, std::ios::binary).is_open();
}

// Loop devices over an ISO 9660 or UDF image, which count as drives holding a disc: this is
// how an image is reported from the window on a machine without an optical drive. A user who
// may not read the device (it belongs to root) reads the image file itself.
std::vector<LoopDevice> loopDevicesWithImages(const fs::path& root)
{
    std::vector<LoopDevice> loops;
    const auto anyDevice = [](const fs::path&, const std::string&) { return true; };
    const fs::path sysBlock = root / "sys" / "block";
    for (const DriveName& device : numberedDevices(sysBlock, kLoopPrefix, anyDevice)) {
        const auto backingFile = backingFileOf(sysBlock / device.name);
        if (!backingFile) continue;
        const fs::path node = root / "dev" / device.name;
        if (holdsIsoImage(node))
            loops.push_back({device.name, *backingFile, false});
        else if (!canOpen(node) && holdsIsoImage(*backingFile))
            loops.push_back({device.name, *backingFile, true});
    }
    return loops;
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
    std::string text = devicePath;
    if (!backingFile.empty()) text += " (" + fs::path(backingFile).filename().string() + ")";
    return label ? text + "  [" + *label + "]" : text;
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
    for (const LoopDevice& loop : loopDevicesWithImages(root)) {
        OpticalDrive found{"/dev/" + loop.name, std::nullopt, loop.backingFile,
                           loop.readsBackingFile};
        found.label = readableLabel(found.source(), volumes);
        drives.push_back(std::move(found));
    }
    return drives;
}

HostDriveFinder::HostDriveFinder(fs::path root, const DiscProbe& probe, const VolumeOpener& volumes)
    : m_root(std::move(root)), m_probe(probe), m_volumes(volumes)
{
}

std::vector<OpticalDrive> HostDriveFinder::findDrives() const
{
    return findOpticalDrives(m_root, m_probe, m_volumes);
}

bool HostDriveFinder::holdsDisc(const std::string& source) const
{
    const fs::path path(source);
    const std::string name = path.filename().string();
    if (path.parent_path() != "/dev" || !driveNumber(name, kDrivePrefix)) return true;
    return m_probe.discPresent(m_root / "dev" / name);
}

} // namespace tarvelo::platform
