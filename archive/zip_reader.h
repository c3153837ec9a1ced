// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_reader.h"
#include "archive/entry_store.h"
#include "common/code_page.h"

namespace tarvelo::archive {

// One central directory entry as the reader keeps it: the fields the properties need,
// sizes as their low 32 bits (what the properties hand out), texts in the arena.
struct ZipRecord
{
    static constexpr std::uint16_t kEncrypted = 0x0001;
    static constexpr std::uint16_t kNoData = 0x0002; // compressed size 0, ZIP64 included
    static constexpr std::uint16_t kLineSafeName = 0x0004; // see ListedEntry::lineSafe

    std::uint16_t versionMadeBy;
    std::uint16_t versionNeeded;
    std::uint16_t method;
    std::uint16_t traits;
    std::uint32_t crc32;
    std::uint32_t compressedSize;
    std::uint32_t uncompressedSize;
    TextArena::Handle texts;
};

// Reads the central directory of a ZIP archive into memory and answers by entry number.
class Cls_Zip final : public ArchiveReader
{
public:
    // oemCodePage decodes names and comments whose writer left no sign of UTF-8.
    Cls_Zip(ReaderState& state, const common::CodePage& oemCodePage);

    std::int16_t Get_Contents(const std::string& ZipName, const ReadContext& context) override;

    bool CanUnpack() const override { return true; }
    std::string FileName(std::int32_t FileNum) const override;
    std::string_view fileNameView(std::int32_t FileNum) const override;
    ListedEntry listedEntry(std::int32_t FileNum) const override;
    std::string CommentsFile(std::int32_t FileNum) const override;
    std::string CommentsPack() const override { return m_state.ZipComment; }
    bool IsDir(std::int32_t FileNum) const override;
    std::string Method(std::int32_t FileNum) const override;
    std::int32_t CRC32(std::int32_t FileNum) const override;
    std::int32_t Compressed_Size(std::int32_t FileNum) const override;
    std::int32_t UnCompressed_Size(std::int32_t FileNum) const override;
    bool Encrypted(std::int32_t FileNum) const override;
    std::string SystemMadeBy(std::int32_t FileNum) const override;
    std::string VersionMadeBy(std::int32_t FileNum) const override;
    std::string SystemNeeded(std::int32_t FileNum) const override;
    std::string VersionNeeded(std::int32_t FileNum) const override;

private:
    // Record FileNum, or nothing when the number names no entry (error 9 when negative).
    const ZipRecord* entry(std::int32_t FileNum) const;

    const common::CodePage& m_oemCodePage;
    RecordTable<ZipRecord> m_entries; // entry number i lives at index i - 1
    TextArena m_texts;
};

} // namespace tarvelo::archive
