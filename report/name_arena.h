// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tarvelo::report {

// Where a name lies in a NameArena, in eight bytes: its position and its length.
class NameRef
{
public:
    static constexpr std::size_t kLengthBits = 16;
    static constexpr std::size_t kPositionBits = 45; // leaves three bits for a record's own use

    constexpr NameRef() = default;
    constexpr NameRef(std::uint64_t position, std::size_t length)
        : m_bits(position << kLengthBits | length)
    {
    }

    constexpr std::uint64_t position() const noexcept { return m_bits >> kLengthBits; }
    constexpr std::size_t length() const noexcept
    {
        return static_cast<std::size_t>(m_bits & ((std::uint64_t{1} << kLengthBits) - 1));
    }
    constexpr std::uint64_t bits() const noexcept { return m_bits; }
    static constexpr NameRef fromBits(std::uint64_t bits) noexcept
    {
        NameRef ref;
        ref.m_bits = bits;
        return ref;
    }

private:
    std::uint64_t m_bits = 0;
};

// Names kept for a whole run, side by side in large blocks that never move, so a name
// costs its bytes and a NameRef, and the arena never copies itself as it grows. Blocks
// are not zero-filled: a page is only taken when names are written into it.
class NameArena
{
public:
    static constexpr std::size_t kLongestName = (std::size_t{1} << NameRef::kLengthBits) - 1;

    // The name and the trailer after it, as one; longer than kLongestName together, they
    // raise the bad-file-name error.
    NameRef add(std::string_view name, std::string_view trailer = {});
    std::string_view view(NameRef ref) const noexcept;

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = kBlockBytes; // in the last block
};

} // namespace tarvelo::report
