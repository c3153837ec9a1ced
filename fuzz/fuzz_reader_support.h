// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every reader fuzz target needs: the input as the one file there is, a sink for
// notices, and a walk over every property of every entry.
#include "archive/archive_reader.h"
#include "common/error.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tarvelo::fuzz {

// A file that claims far more bytes than it holds, as a sparse file does: the held bytes
// lie at its start and again at its end, zeros between, so records at either end can
// point gigabytes away and counts can claim what no memory holds.
class TwoEndedSparseSource final : public platform::ByteSource
{
public:
    TwoEndedSparseSource(std::span<const std::uint8_t> held, std::uint64_t size)
        : m_held(held), m_size(std::max<std::uint64_t>(size, held.size()))
    {
    }

    std::uint64_t size() const override { return m_size; }

    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        if (offset > m_size || out.size() > m_size - offset)
            throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        copyFrom(0, offset, out);
        copyFrom(m_size - m_held.size(), offset, out);
    }

private:
    // Copies the held bytes, placed at `at`, where they overlap out (placed at offset).
    void copyFrom(std::uint64_t at, std::uint64_t offset, std::span<std::uint8_t> out) const
    {
        const std::uint64_t first = std::max(at, offset);
        const std::uint64_t last = std::min(at + m_held.size(), offset + out.size());
        for (std::uint64_t i = first; i < last; ++i)
            out[i - offset] = m_held[i - at];
    }

    std::span<const std::uint8_t> m_held;
    std::uint64_t m_size;
};

// The input as a file: plain, or, when it starts with the tag, sparse with the size the
// five bytes after the tag give (little-endian, up to 1 TiB) and the rest as held bytes.
class InputOpener final : public platform::FileOpener
{
public:
    // One byte that no archive starts with, so mutation reaches sparse files often.
    static constexpr std::string_view kSparseTag = "~";
    static constexpr std::size_t kSizeBytes = 5;

    explicit InputOpener(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::unique_ptr<platform::ByteSource> openFile(const std::string&) const override
    {
        const std::size_t headSize = kSparseTag.size() + kSizeBytes;
        if (m_bytes.size() < headSize ||
            !std::equal(kSparseTag.begin(), kSparseTag.end(), m_bytes.begin()))
            return std::make_unique<platform::MemoryByteSource>(m_bytes);
        std::uint64_t size = 0;
        for (std::size_t i = headSize; i-- > kSparseTag.size();)
            size = size << 8 | m_bytes[i];
        return std::make_unique<TwoEndedSparseSource>(m_bytes.subspan(headSize), size);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

class IgnoredNotices final : public common::NoticeSink
{
public:
    void notice(std::string_view) override {}
};

inline void askEveryProperty(const archive::ArchiveReader& reader)
{
    for (std::int32_t i = 1; i <= reader.FileCount(); ++i) {
        (void)reader.FileName(i);
        (void)reader.CommentsFile(i);
        (void)reader.IsDir(i);
        (void)reader.Method(i);
        (void)reader.CRC32(i);
        (void)reader.Compressed_Size(i);
        (void)reader.UnCompressed_Size(i);
        (void)reader.Encrypted(i);
        (void)reader.SystemMadeBy(i);
        (void)reader.VersionMadeBy(i);
        (void)reader.SystemNeeded(i);
        (void)reader.VersionNeeded(i);
    }
    (void)reader.CommentsPack();
}

} // namespace tarvelo::fuzz
