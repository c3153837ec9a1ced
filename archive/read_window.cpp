// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/read_window.h"

#include <algorithm>

namespace tarvelo::archive {

ReadWindow::ReadWindow(const platform::ByteSource& source, common::StopCheck& stop,
                       std::size_t chunkSize)
    : m_source(source), m_stop(stop), m_chunkSize(chunkSize), m_size(source.size())
{
}

void ReadWindow::reserve(std::size_t count)
{
    if (count <= m_capacity) return;
    m_filled = 0;
    m_buffer.reset();
    m_buffer.reset(new std::uint8_t[count]); // default-initialised: not zero-filled
    m_capacity = count;
}

std::optional<std::span<const std::uint8_t>> ReadWindow::fetch(std::uint64_t offset,
                                                               std::size_t count)
{
    if (offset > m_size || count > m_size - offset) return std::nullopt;
    m_stop.now();
    // count fits in the file, so no chunk is ever larger than the file or a header.
    const auto fill = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(count, m_chunkSize), m_size - offset));
    reserve(fill);
    m_filled = 0;
    m_source.readAt(offset, {m_buffer.get(), fill});
    m_start = offset;
    m_filled = fill;
    return std::span<const std::uint8_t>(m_buffer.get(), count);
}

std::optional<std::span<const std::uint8_t>> ReadWindow::peek(std::uint64_t offset,
                                                              std::size_t count)
{
    if (offset > m_size || count > m_size - offset) return std::nullopt;
    if (holds(offset, count))
        return std::span<const std::uint8_t>(m_buffer.get() + (offset - m_start), count);
    m_peeked.resize(count);
    m_source.readAt(offset, m_peeked);
    return std::span<const std::uint8_t>(m_peeked);
}

} // namespace tarvelo::archive
