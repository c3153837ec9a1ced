// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/stop_check.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tarvelo::archive {

// Reads an archive in large chunks: on an optical drive every read is a seek, and the
// headers a reader looks for lie close together whenever the data between them is small.
// The buffer is reused and never zero-filled: the read overwrites it anyway.
class ReadWindow
{
public:
    // Small enough that a header behind a large file costs little more than its seek.
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // Every read of a new chunk first asks stop, so a long walk can be stopped.
    ReadWindow(const platform::ByteSource& source, common::StopCheck& stop,
               std::size_t chunkSize = kChunkSize);

    std::uint64_t size() const noexcept { return m_size; }

    // The count bytes at offset, valid until the next call; nothing when they pass the
    // end of the file.
    // Inline where the window holds them: a directory walk asks for every header.
    std::optional<std::span<const std::uint8_t>> bytesAt(std::uint64_t offset, std::size_t count)
    {
        if (holds(offset, count))
            return std::span<const std::uint8_t>(m_buffer.get() + (offset - m_start), count);
        return fetch(offset, count);
    }

    // The same for a small record looked at once (a signature, an end record): read alone,
    // it costs no chunk, and it leaves the window where it was.
    std::optional<std::span<const std::uint8_t>> peek(std::uint64_t offset, std::size_t count);

private:
    bool holds(std::uint64_t offset, std::size_t count) const noexcept
    {
        return offset >= m_start && offset - m_start <= m_filled &&
               count <= m_filled - (offset - m_start);
    }

    // bytesAt for bytes the window does not hold: reads a chunk that starts with them.
    std::optional<std::span<const std::uint8_t>> fetch(std::uint64_t offset, std::size_t count);
    void reserve(std::size_t count);

    const platform::ByteSource& m_source;
    common::StopPoll m_stop;
    std::size_t m_chunkSize;
    std::uint64_t m_size;
    std::uint64_t m_start = 0;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_filled = 0;
    std::vector<std::uint8_t> m_peeked;
};

} // namespace tarvelo::archive
