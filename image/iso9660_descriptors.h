// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/byte_source.h"
#include "image/iso9660_records.h"

#include <cstdint>

namespace tarvelo::image::iso9660 {

// The descriptor set of one session is read this far at most, in one read.
constexpr std::size_t kMaxDescriptors = 32;

// The descriptor whose tree a disc is shown by, as Windows chooses it: the session's
// first usable Joliet descriptor, else its primary descriptor. A disc with neither
// (no ISO 9660 file system) raises an error that names the reason.
VolumeDescriptor chooseVolumeDescriptor(const platform::ByteSource& disc, std::uint64_t sessionStartSector);

} // namespace tarvelo::image::iso9660
