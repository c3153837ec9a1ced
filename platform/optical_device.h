// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvelo::platform {

// A disc image file read as a disc (see image::openDiscVolume): its paths begin with the
// image's path.
std::unique_ptr<Volume> openDiscImage(const std::string& imagePath);

// The disc in an optical drive (or any block device holding a disc image), read
// read-only straight from the device, mounted or not, from its last session on.
std::unique_ptr<Volume> openDiscDevice(const std::string& devicePath);

// The first sector of the last session, as the drive's multisession query gives it; 0
// for a single-session disc or a device that cannot say.
std::uint64_t lastSessionStart(const std::string& devicePath);

// The last sector the drive has written on the disc, where a packet-written disc keeps
// its allocation table; nothing when the device cannot say.
std::optional<std::uint64_t> lastWrittenSector(const std::string& devicePath);

} // namespace tarvelo::platform
