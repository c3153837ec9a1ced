// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_records.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarvelo::image::udf {

// A volume descriptor sequence is read this far at most, pointers and integrity
// extents followed this many times at most: more is a forgery.
constexpr std::uint32_t kMaxSequenceBlocks = 64;
constexpr int kMaxSequenceHops = 8;

// What the volume's descriptors say: the block size, the logical volume with its
// partition maps, the partitions, and the latest integrity descriptor if it has one.
struct VolumeLayout
{
    std::uint32_t blockSize = 0;
    LogicalVolumeDescriptor logicalVolume;
    std::vector<PartitionDescriptor> partitions;
    std::optional<IntegrityDescriptor> integrity;

    // The partition that a partition map names; nothing when the volume has no such one.
    const PartitionDescriptor* partition(std::uint16_t number) const;
};

// Whether the session's volume recognition sequence names a UDF volume.
bool hasUdfRecognition(const platform::ByteSource& disc, std::uint64_t sessionStartSector);

// The one block of blockSize bytes at block; a block past the end of the disc is a
// damaged volume, the error naming what was to be read there.
std::vector<std::uint8_t> readBlock(const platform::ByteSource& disc, std::uint32_t blockSize,
                                    std::uint64_t block, std::string_view what);

// Finds the anchor, reads the main volume descriptor sequence (the reserve one when the
// main one is damaged) and the integrity sequence. A damaged volume raises an error
// naming the descriptor.
VolumeLayout readVolumeLayout(const platform::ByteSource& disc, std::uint64_t sessionStartSector);

} // namespace tarvelo::image::udf
