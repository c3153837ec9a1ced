// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/name_arena.h"

#include "common/error.h"

#include <algorithm>

namespace tarvelo::report {

NameRef NameArena::add(std::string_view name, std::string_view trailer)
{
    const std::size_t length = name.size() + trailer.size();
    if (length == 0) return {};
    if (length > kLongestName) throw Error(ErrorNumber::BadFileName, "File name too long");
    if (kBlockBytes - m_used < length) {
        if (m_blocks.size() >= (std::uint64_t{1} << NameRef::kPositionBits) / kBlockBytes)
            throw Error(ErrorNumber::Overflow, "too many names to keep");
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        m_used = 0;
    }
    char* at = m_blocks.back().get() + m_used;
    std::copy(trailer.begin(), trailer.end(), std::copy(name.begin(), name.end(), at));
    const std::uint64_t position = (m_blocks.size() - 1) * kBlockBytes + m_used;
    m_used += length;
    return {position, length};
}

std::string_view NameArena::view(NameRef ref) const noexcept
{
    if (ref.length() == 0) return {};
    const char* block = m_blocks[static_cast<std::size_t>(ref.position() / kBlockBytes)].get();
    return {block + ref.position() % kBlockBytes, ref.length()};
}

} // namespace tarvelo::report
