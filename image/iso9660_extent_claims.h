// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_directory.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <span>

namespace tarvelo::image::iso9660 {

// The byte ranges of the directories handed out so far. A directory that overlaps one
// of them is a loop or a forgery: refusing it bounds the whole walk by the disc's size.
class ExtentClaims
{
public:
    // True, and the range is recorded, when it overlaps no earlier claim.
    bool claim(Extent extent)
    {
        const std::uint64_t start = extent.offset;
        const std::uint64_t end = start + std::max<std::uint64_t>(extent.length, 1);
        const auto after = m_ranges.upper_bound(start);
        if (after != m_ranges.end() && after->first < end) return false;
        if (after != m_ranges.begin() && std::prev(after)->second > start) return false;
        m_ranges.emplace_hint(after, start, end);
        return true;
    }

private:
    std::map<std::uint64_t, std::uint64_t> m_ranges; // start to end
};

// The bytes of file data opened so far. Files may share data (hard links do), but records
// that point at the same bytes again and again must not make one disc read as many: the
// bytes opened a second time may add up to the disc's size, no more.
class SharedDataBudget
{
public:
    explicit SharedDataBudget(std::uint64_t discSize) : m_budget(discSize) {}

    // False when the file's extents overlap data opened before (or each other) and the
    // budget is spent; the extents count as opened either way.
    bool admit(std::span<const Extent> extents)
    {
        std::uint64_t shared = 0;
        for (const Extent& extent : extents)
            shared += addRange(extent.offset, extent.offset + extent.length);
        m_shared += shared;
        return shared == 0 || m_shared <= m_budget;
    }

private:
    // Adds the range, merged with those it touches; gives how much of it was there.
    std::uint64_t addRange(std::uint64_t start, std::uint64_t end)
    {
        if (start == end) return 0;
        std::uint64_t overlap = 0;
        auto at = m_ranges.upper_bound(start);
        if (at != m_ranges.begin() && std::prev(at)->second >= start) --at;
        std::uint64_t mergedStart = start, mergedEnd = end;
        while (at != m_ranges.end() && at->first <= end) {
            overlap += std::min(end, at->second) - std::max(start, std::min(at->first, end));
            mergedStart = std::min(mergedStart, at->first);
            mergedEnd = std::max(mergedEnd, at->second);
            at = m_ranges.erase(at);
        }
        m_ranges.emplace(mergedStart, mergedEnd);
        return overlap;
    }

    std::map<std::uint64_t, std::uint64_t> m_ranges; // start to end, none touching
    std::uint64_t m_shared = 0;
    std::uint64_t m_budget;
};

} // namespace tarvelo::image::iso9660
