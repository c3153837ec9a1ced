#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/byte_source.h"

namespace tarvelo::archive {

// Reads an archive in large chunks: on an optical drive every read is a seek, and the
// headers a reader looks for lie close together whenever the data between them is small.
class ReadWindow
{
public:
    static constexpr std::size_t kChunkSize = 64 * 1024;

    explicit ReadWindow(const platform::ByteSource& source);

    std::uint64_t size() const noexcept { return m_size; }

    // The count bytes at offset, valid until the next call; nothing when they pass the
    // end of the file.
    std::optional<std::span<const std::uint8_t>> bytesAt(std::uint64_t offset, std::size_t count);

private:
    bool holds(std::uint64_t offset, std::size_t count) const noexcept;

    const platform::ByteSource& m_source;
    std::uint64_t m_size;
    std::uint64_t m_start = 0;
    std::vector<std::uint8_t> m_buffer;
};

} // namespace tarvelo::archive
