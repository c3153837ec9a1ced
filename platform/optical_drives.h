// SPDX-License-Identifier: GPL-3.0-or-later
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
    std::string devicePath;           // such as /dev/sr0
    std::optional<std::string> label; // the disc's label, when the disc can be read
    // A loop device's image file, and whether a run reads it in place of the device,
    // which the user may not be allowed to read.
    std::string backingFile{};
    bool readsBackingFile = false;

    // The drive list's entry: the device path (with a loop device's image file name in
    // parentheses), then two spaces and the label in brackets when the disc can be read.
    std::string entryText() const;
    // What a report run reads.
    const std::string& source() const noexcept
    {
        return readsBackingFile ? backingFile : devicePath;
    }
};

// The optical drives the kernel knows: block devices srN whose SCSI device type is 5
// (CD/DVD) or 4 (write-once), in numeric order, each with its node under dev/, then the
// loop devices that hold an ISO 9660 or UDF image (always holding their disc), read
// through the device, or through the image file when only that can be read. sysfs and
// /dev are read below root ("/" on a running system, a fake tree in tests). A drive gets
// its label when the probe finds a disc and the volume opener can open its source.
std::vector<OpticalDrive> findOpticalDrives(const std::filesystem::path& root,
                                            const DiscProbe& probe,
                                            const VolumeOpener& volumes);

// The drives as they are now, asked for again whenever the list is shown or a run starts.
class DriveFinder
{
public:
    virtual ~DriveFinder() = default;
    virtual std::vector<OpticalDrive> findDrives() const = 0;
    // False only for an optical drive that holds no disc now; any other source is taken
    // to be there, and reading it says why when it cannot be read.
    virtual bool holdsDisc(const std::string& source) const = 0;
};

// The host's drives below root, with the kernel's answer about discs.
class HostDriveFinder final : public DriveFinder
{
public:
    HostDriveFinder(std::filesystem::path root, const DiscProbe& probe,
                    const VolumeOpener& volumes);
    std::vector<OpticalDrive> findDrives() const override;
    bool holdsDisc(const std::string& source) const override;

private:
    std::filesystem::path m_root;
    const DiscProbe& m_probe;
    const VolumeOpener& m_volumes;
};

} // namespace tarvelo::platform
