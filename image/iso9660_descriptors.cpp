// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_descriptors.h"

#include "common/error.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tarvelo::image::iso9660 {
namespace {

bool isUsable(const VolumeDescriptor& descriptor)
{
    const auto blockSize = descriptor.logicalBlockSize;
    return descriptor.root && (blockSize == 512 || blockSize == 1024 || blockSize == 2048);
}

std::vector<std::uint8_t> readDescriptorSectors(const platform::ByteSource& disc,
                                                std::uint64_t sessionStartSector)
{
    const std::uint64_t sectors = disc.size() / kSectorSize;
    if (sessionStartSector >= sectors || sectors - sessionStartSector <= kFirstDescriptorSector)
        return {};
    const std::uint64_t first = sessionStartSector + kFirstDescriptorSector;
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kMaxDescriptors, sectors - first));
    return disc.read(first * kSectorSize, count * kSectorSize);
}

} // namespace

VolumeDescriptor chooseVolumeDescriptor(const platform::ByteSource& disc, std::uint64_t sessionStartSector)
{
    const auto sectors = readDescriptorSectors(disc, sessionStartSector);
    std::optional<VolumeDescriptor> primary;
    for (std::size_t at = 0; at < sectors.size(); at += kSectorSize) {
        const Sector sector(sectors.data() + at, kSectorSize);
        if (!hasStandardIdentifier(sector)) break;
        const auto type = descriptorType(sector);
        if (type == kDescriptorSetTerminator) break;
        if (type != kPrimaryDescriptor && !isJolietDescriptor(sector)) continue;
        auto descriptor = decodeVolumeDescriptor(sector);
        if (!isUsable(descriptor)) continue;
        if (descriptor.joliet) return descriptor;
        if (!primary) primary = std::move(descriptor);
    }
    if (primary) return std::move(*primary);
    throw Error(ErrorNumber::InvalidFileFormat, "no ISO 9660 file system was found on the disc");
}

} // namespace tarvelo::image::iso9660
