#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/volume.h"

namespace tarvelo::platform {

// Whether a drive holds a disc: the one question only the drive itself can answer.
class DiscProbe
{
public:
    virtual ~DiscProbe() = default;
    virtual bool discPresent(const std::filesystem::path& deviceNode) const = 0;
};

// Asks the kernel's CD-ROM driver for the drive status; a drive that cannot be opened
// holds no disc as far as the drive list is concerned.
class CdromDiscProbe final : public DiscProbe
{
public:
    bool discPresent(const std::filesystem::path& deviceNode) const override;
};

struct OpticalDrive
{
    std::string devicePath;           // such as /dev/sr0: what a report run reads
    std::optional<std::string> label; // the disc's label, when the disc can be read

    // The drive list's entry: the device path, then two spaces and the label in
    // brackets when the disc can be read.
    std::string entryText() const;
};

// The optical drives the kernel knows: block devices srN whose SCSI device type is 5
// (CD/DVD) or 4 (write-once), in numeric order, each with its node under dev/, then the
// loop devices whose backing file is an ISO 9660 image (always holding their disc). sysfs and
// /dev are read below root ("/" on a running system, a fake tree in tests). A drive
// gets its label when the probe finds a disc and the volume opener can open it by its
// device path.
std::vector<OpticalDrive> findOpticalDrives(const std::filesystem::path& root,
                                            const DiscProbe& probe,
                                            const VolumeOpener& volumes);

} // namespace tarvelo::platform
