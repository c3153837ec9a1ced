// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvelo::test {

// Builds binary records field by field, little-endian, for hand-made archives and images.
class ByteBuilder
{
public:
    ByteBuilder& u8(std::uint8_t value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    ByteBuilder& u16(std::uint16_t value) { return little(value, 2); }
    ByteBuilder& u32(std::uint32_t value) { return little(value, 4); }
    ByteBuilder& u64(std::uint64_t value) { return little(value, 8); }
    ByteBuilder& text(std::string_view bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ByteBuilder& bytes(const std::vector<std::uint8_t>& more)
    {
        m_bytes.insert(m_bytes.end(), more.begin(), more.end());
        return *this;
    }
    ByteBuilder& zeros(std::size_t count)
    {
        m_bytes.insert(m_bytes.end(), count, 0);
        return *this;
    }

    std::size_t size() const noexcept { return m_bytes.size(); }
    const std::vector<std::uint8_t>& data() const noexcept { return m_bytes; }

private:
    ByteBuilder& little(std::uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i) m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }

    std::vector<std::uint8_t> m_bytes;
};

} // namespace tarvelo::test
