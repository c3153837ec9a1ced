#include "archive/read_window.h"

#include <algorithm>

namespace tarvelo::archive {

ReadWindow::ReadWindow(const platform::ByteSource& source) : m_source(source), m_size(source.size())
{
}

bool ReadWindow::holds(std::uint64_t offset, std::size_t count) const noexcept
{
    return offset >= m_start && offset - m_start <= m_buffer.size() &&
           count <= m_buffer.size() - (offset - m_start);
}

std::optional<std::span<const std::uint8_t>> ReadWindow::bytesAt(std::uint64_t offset,
                                                                std::size_t count)
{
    if (offset > m_size || count > m_size - offset) return std::nullopt;
    if (!holds(offset, count)) {
        const std::uint64_t fill =
            std::min<std::uint64_t>(std::max(count, kChunkSize), m_size - offset);
        m_buffer.resize(static_cast<std::size_t>(fill));
        m_source.readAt(offset, m_buffer);
        m_start = offset;
    }
    return std::span<const std::uint8_t>(m_buffer).subspan(
        static_cast<std::size_t>(offset - m_start), count);
}

} // namespace tarvelo::archive
