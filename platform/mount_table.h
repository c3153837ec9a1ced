// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::platform {

// One line of the kernel's mount table (the mountinfo format of /proc/self/mountinfo).
struct MountEntry
{
    unsigned major = 0; // the mounted file system's device number
    unsigned minor = 0;
    std::string mountPoint;
    std::string fsType;
    std::string source; // the device path, or what the file system names instead
};

// Reads a mountinfo file; a missing or unreadable file gives an empty table.
std::vector<MountEntry> readMountTable(const std::filesystem::path& mountInfoFile);

// Parses one line; nothing when the line is not in the mountinfo format.
std::optional<MountEntry> parseMountInfoLine(const std::string& line);

} // namespace tarvelo::platform
