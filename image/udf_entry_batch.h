// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/cached_disc.h"
#include "image/udf_file_entry.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace tarvelo::image::udf {

// Reads the file entries at the addresses (a folder's items) in ascending order on the
// disc, neighbours together in requests of up to kDirectoryReadSize, each block once, and
// hands each entry to take with its index in addresses. Writers put a folder's entries
// side by side, so a folder of thousands of files costs a few sequential reads, not a
// seek each. The runs read are kept in the disc's cache for the folders listed next, whose
// entries a run often holds too; an entry a kept run holds is not read again.
//
// what(index) names the file for a damaged-volume error. An entry that cannot be read
// does not stop the others; once all are done, the error of the lowest index is raised,
// the one that reading them in the order given would have raised first.
// Entries this close are read in one request, the bytes between them read through: on a
// DVD drive reading at 8x (11 MB/s) 1 MiB passes in about the time of one seek (100 ms),
// and what is read through is kept, as it mostly holds the entries of the folders listed
// next.
constexpr std::uint64_t kMaxEntryGap = std::uint64_t{1} << 20;

void readEntriesInDiscOrder(const CachedDisc& disc, const Partitions& partitions,
                            std::span<const BlockAddress> addresses,
                            const std::function<std::string(std::size_t)>& what,
                            const std::function<void(std::size_t, EntryBlock)>& take);

} // namespace tarvelo::image::udf
