// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the disc fuzz targets share: the input as a disc that may claim to be far larger
// than the bytes it holds, as a sparse image file does, so huge offsets and counts are
// read as well as small ones.
#include <algorithm>
#include <cstdint>
#include <span>

#include "common/error.h"
#include "platform/byte_source.h"

namespace tarvelo::fuzz {

// The input's bytes, then zeros up to the size claimed.
class SparseByteSource final : public platform::ByteSource
{
public:
    SparseByteSource(std::span<const std::uint8_t> bytes, std::uint64_t claimedSize)
        : m_bytes(bytes), m_size(std::max<std::uint64_t>(claimedSize, bytes.size()))
    {
    }

    std::uint64_t size() const override { return m_size; }

    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        if (offset > m_size || out.size() > m_size - offset)
            throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        if (offset >= m_bytes.size()) return;
        const auto held = std::min<std::uint64_t>(out.size(), m_bytes.size() - offset);
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    static_cast<std::size_t>(held), out.begin());
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::uint64_t m_size;
};

// The size a disc made of the input claims: its last byte picks a power of two, up to
// 2 to the maxShift, added to the input's own size.
inline std::uint64_t claimedDiscSize(std::span<const std::uint8_t> input, unsigned maxShift)
{
    if (input.empty()) return 0;
    return input.size() + (std::uint64_t{1} << (input.back() % (maxShift + 1)));
}

} // namespace tarvelo::fuzz
