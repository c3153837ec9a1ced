#pragma once

#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvelo::platform {

// A disc read from its sectors, shown as Windows shows it: from its UDF volume when it has
// one (bridge discs included), else from its ISO 9660 tree. A UDF volume too damaged to
// read gives way to the disc's ISO 9660 tree when it has one, as Windows mounts that
// instead; without one, the UDF damage is the error.
std::unique_ptr<Volume> openDisc(std::shared_ptr<const ByteSource> disc, const std::string& path,
                                 std::uint64_t sessionStartSector = 0,
                                 std::optional<std::uint64_t> lastWrittenSector = std::nullopt);

// A disc image file read as a disc: its paths begin with the image's path.
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
