#pragma once

// What every reader fuzz target needs: the input as the one file there is, a sink for
// notices, and a walk over every property of every entry.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "archive/archive_reader.h"

namespace tarvelo::fuzz {

class InputOpener final : public platform::FileOpener
{
public:
    explicit InputOpener(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::unique_ptr<platform::ByteSource> openFile(const std::string&) const override
    {
        return std::make_unique<platform::MemoryByteSource>(m_bytes);
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
