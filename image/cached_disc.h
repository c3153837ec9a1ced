// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/kept_runs.h"
#include "platform/byte_source.h"

#include <functional>
#include <memory>
#include <vector>

namespace tarvelo::image {

// A disc whose runs read ahead are kept: a read that a kept run holds whole comes from
// memory, any other from the disc. Only readAhead() keeps anything, so the files read
// through it (archives) never push out what is yet to be listed.
class CachedDisc final : public platform::ByteSource
{
public:
    CachedDisc(std::shared_ptr<const platform::ByteSource> disc, std::size_t limit)
        : m_disc(std::move(disc)), m_kept(limit)
    {
    }

    std::uint64_t size() const override { return m_disc->size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

    bool holds(iso9660::Extent piece) const { return m_kept.find(piece).has_value(); }
    // Reads the pieces on the disc that no kept run holds, in ascending order of offset,
    // in runs that planReads() makes of them (up to kDirectoryReadSize), and keeps each
    // run; afterRun is told of each once it is kept.
    void readAhead(std::vector<iso9660::Extent> pieces, std::uint64_t maxGap,
                   const std::function<void(iso9660::Extent)>& afterRun = nullptr) const;

private:
    std::shared_ptr<const platform::ByteSource> m_disc;
    mutable KeptRuns m_kept;
};

} // namespace tarvelo::image
