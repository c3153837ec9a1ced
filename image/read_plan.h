// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_directory.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarvelo::image {

// The runs to read for pieces of a disc, so that neighbours come in one request: each
// run starts at a piece and ends at a piece's end; a piece joins the run before it when
// the gap between them is at most maxGap (reading through the gap costs less than a
// seek) and the run stays within maxRun bytes. A piece longer than maxRun is a run of its
// own. pieces must be in ascending order of offset; overlapping ones share their run.
std::vector<iso9660::Extent> planReads(std::span<const iso9660::Extent> pieces,
                                       std::uint64_t maxGap, std::uint64_t maxRun);

} // namespace tarvelo::image
