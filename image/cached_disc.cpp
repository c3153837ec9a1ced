// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/cached_disc.h"

#include "image/read_plan.h"

#include <algorithm>

namespace tarvelo::image {

void CachedDisc::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (const auto kept = m_kept.find({offset, out.size()}))
        std::copy(kept->begin(), kept->end(), out.begin());
    else
        m_disc->readAt(offset, out);
}

void CachedDisc::readAhead(std::vector<iso9660::Extent> pieces, std::uint64_t maxGap,
                           const std::function<void(iso9660::Extent)>& afterRun) const
{
    std::erase_if(pieces, [this](const iso9660::Extent& piece) {
        return piece.offset > size() || piece.length > size() - piece.offset || holds(piece);
    });
    std::sort(pieces.begin(), pieces.end(), [](const iso9660::Extent& a, const iso9660::Extent& b) {
        return a.offset < b.offset;
    });
    for (const iso9660::Extent& run : planReads(pieces, maxGap, iso9660::kDirectoryReadSize)) {
        m_kept.keep(run.offset, m_disc->read(run.offset, static_cast<std::size_t>(run.length)));
        if (afterRun) afterRun(run);
    }
}

} // namespace tarvelo::image
