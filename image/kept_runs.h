// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/little_endian.h"
#include "image/iso9660_directory.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace tarvelo::image {

// Runs of a disc read in one request each and kept for the pieces in them that are
// still to come, so none is read twice; the oldest runs are dropped while the ones kept
// would hold more than the limit of bytes.
class KeptRuns
{
public:
    explicit KeptRuns(std::size_t limit) : m_limit(limit) {}

    // The piece's bytes, when a run kept holds all of them; valid until the next keep().
    std::optional<common::Bytes> find(iso9660::Extent piece) const;
    // Keeps the bytes read from offset on, in place of a run kept from there before.
    common::Bytes keep(std::uint64_t offset, std::vector<std::uint8_t> run);

private:
    std::size_t m_limit;
    std::map<std::uint64_t, std::vector<std::uint8_t>> m_runs; // by offset
    std::deque<std::uint64_t> m_order;                         // oldest first
    std::size_t m_bytes = 0;
};

} // namespace tarvelo::image
