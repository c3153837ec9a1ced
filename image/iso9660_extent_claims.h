#pragma once

#include "image/iso9660_directory.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>

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

} // namespace tarvelo::image::iso9660
