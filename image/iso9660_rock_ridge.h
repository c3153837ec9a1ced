// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_records.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::image::iso9660 {

// Where a record's system use entries go on: a "CE" entry's block, offset and length.
struct ContinuationArea
{
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// Fetches a continuation area; empty when it cannot be had (beyond the disc, say).
using ContinuationReader = std::function<std::vector<std::uint8_t>(const ContinuationArea&)>;

// A continuation area never spans more than one block; longer claims are cut.
constexpr std::uint32_t kMaxContinuationLength = kSectorSize;
// Continuation areas may chain; a chain longer than this is taken as a loop.
constexpr int kMaxContinuations = 16;
// The longest name a host file system keeps; a longer "NM" name is cut to it, so names
// joined from shared continuation areas cannot grow past it.
constexpr std::size_t kMaxNameBytes = 255;

// The bytes to skip at the start of every record's system use field, from the "SP"
// entry of the root's "." record; nothing when the disc has no system use entries.
std::optional<std::size_t> suspSkipLength(Bytes rootSelfSystemUse);

// What a record's Rock Ridge entries say of it. A writer that keeps folders at most eight
// deep moves deeper ones elsewhere: where a folder was, a file record with a "CL" entry
// points at it; where it is, its record carries "RE".
struct RockRidgeEntries
{
    std::optional<std::string> name;        // joined from the "NM" entries; never empty
    std::optional<std::uint32_t> childLink; // the block of the folder moved from here
    bool relocated = false;                 // the folder shows where its "CL" points
    std::optional<std::int64_t> modified;   // the "TF" entry's modify time, when sound
};

RockRidgeEntries readRockRidge(Bytes systemUse, std::size_t skip,
                               const ContinuationReader& readArea);

} // namespace tarvelo::image::iso9660
