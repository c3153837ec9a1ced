// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tarvelo::archive {

// An append-only table of small records in fixed blocks: growing never copies the
// records already there, so an archive of a million entries costs what its records need
// and no second table while a vector would reallocate.
template <typename Record> class RecordTable
{
public:
    using value_type = Record;
    static constexpr std::size_t kBlockRecords = 4096;

    std::size_t size() const noexcept { return m_size; }

    void clear() noexcept
    {
        m_blocks.clear();
        m_size = 0;
    }

    void push_back(const Record& record)
    {
        if (m_size % kBlockRecords == 0)
            m_blocks.push_back(std::make_unique_for_overwrite<Record[]>(kBlockRecords));
        m_blocks.back()[m_size % kBlockRecords] = record;
        ++m_size;
    }

    const Record& operator[](std::size_t index) const noexcept
    {
        return m_blocks[index / kBlockRecords][index % kBlockRecords];
    }

private:
    std::vector<std::unique_ptr<Record[]>> m_blocks;
    std::size_t m_size = 0;
};

// The names and comments of one archive's entries, stored once each, one after another
// in a few large blocks. An entry keeps a 32-bit handle to its pair of texts.
class TextArena
{
public:
    using Handle = std::uint32_t;
    // A handle is a block number and an offset in it; a block holds at most 1 MiB unless
    // one pair of texts alone is larger, and then it has a block of its own at offset 0.
    static constexpr unsigned kOffsetBits = 20;
    static constexpr std::size_t kLargestBlock = std::size_t{1} << kOffsetBits;

    // Stores a name and a comment; fails with the overflow error past 4 GiB of text.
    Handle add(std::string_view name, std::string_view comment);
    std::string_view name(Handle handle) const noexcept;
    std::string_view comment(Handle handle) const noexcept;
    void clear() noexcept;

private:
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    // Where size bytes fit in the last block, starting a new block when they do not.
    char* room(std::size_t size)
    {
        if (!m_blocks.empty()) {
            const Block& last = m_blocks.back();
            if (last.used < kLargestBlock && last.capacity - last.used >= size)
                return last.bytes.get() + last.used;
        }
        return newBlock(size);
    }
    char* newBlock(std::size_t size);
    const char* at(Handle handle) const noexcept;

    std::vector<Block> m_blocks;
};

} // namespace tarvelo::archive
