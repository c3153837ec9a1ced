// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvelo::image {

// A disc read from its sectors, shown as Windows shows it: from its UDF volume when it has
// one (bridge discs included), else from its ISO 9660 tree. A UDF volume too damaged to
// read gives way to the disc's ISO 9660 tree when it has one, as Windows mounts that
// instead; without one, the UDF damage is the error.
std::unique_ptr<platform::Volume> openDiscVolume(
    std::shared_ptr<const platform::ByteSource> disc, const std::string& path,
    std::uint64_t sessionStartSector = 0,
    std::optional<std::uint64_t> lastWrittenSector = std::nullopt);

} // namespace tarvelo::image
