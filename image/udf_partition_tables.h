// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_partitions.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <optional>

namespace tarvelo::image::udf {

// The virtual allocation table is looked for in this many blocks back from the last
// written one, as writers may pad the track after it.
constexpr std::uint64_t kVatSearchBlocks = 160;
// A larger table would map more blocks than any disc written by packets holds entries
// and folders in.
constexpr std::uint64_t kMaxVatSize = std::uint64_t{64} << 20;

// Reads the tables of the volume's virtual and metadata partitions into partitions: the
// allocation table recorded last (at lastBlock, the last written block of the disc,
// else the image's last block that is not blank), the metadata file (its mirror when it
// is damaged).
void loadPartitionTables(const platform::ByteSource& disc, Partitions& partitions,
                         std::optional<std::uint64_t> lastBlock);

} // namespace tarvelo::image::udf
