// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/read_plan.h"

#include <algorithm>

namespace tarvelo::image {

std::vector<iso9660::Extent> planReads(std::span<const iso9660::Extent> pieces,
                                       std::uint64_t maxGap, std::uint64_t maxRun)
{
    std::vector<iso9660::Extent> runs;
    for (const iso9660::Extent& piece : pieces) {
        if (!runs.empty()) {
            iso9660::Extent& run = runs.back();
            const std::uint64_t end = std::max(run.end(), piece.end());
            const bool near = piece.offset <= run.end() || piece.offset - run.end() <= maxGap;
            if (near && end - run.offset <= maxRun) {
                run.length = end - run.offset;
                continue;
            }
        }
        runs.push_back(piece);
    }
    return runs;
}

} // namespace tarvelo::image
