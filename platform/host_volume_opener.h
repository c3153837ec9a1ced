// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/volume.h"

namespace tarvelo::platform {

// What the user may choose on this host: a folder (normally where a disc is mounted), a
// disc image file, or a drive by its device path (such as /dev/sr0), read from the device.
class HostVolumeOpener final : public VolumeOpener
{
public:
    static constexpr const char* kMountTable = "/proc/self/mountinfo";

    explicit HostVolumeOpener(std::filesystem::path mountTable = kMountTable);

    // A source that names nothing usable raises an error saying why.
    std::unique_ptr<Volume> openVolume(const std::string& source) const override;

private:
    std::unique_ptr<Volume> openDrive(const std::string& path, dev_t drive) const;
    // Nothing when the drive is not mounted.
    std::unique_ptr<Volume> openMountedDrive(dev_t drive) const;

    std::filesystem::path m_mountTable;
};

} // namespace tarvelo::platform
