// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_reader.h"
#include "archive/entry_store.h"
#include "archive/rar_records.h"
#include "archive/rar_walk.h"
#include "common/code_page.h"

namespace tarvelo::archive {

// One file header as the reader keeps it: what the properties need, sizes as their low
// 32 bits (what the properties hand out), the name and comment in the arena.
struct RarRecord
{
    static constexpr std::uint8_t kDirectory = 0x01;
    static constexpr std::uint8_t kPassword = 0x02;
    static constexpr std::uint8_t kLineSafeName = 0x04; // see ListedEntry::lineSafe

    std::uint32_t packSize;
    std::uint32_t unpSize;
    std::uint32_t fileCrc;
    TextArena::Handle texts;
    std::uint8_t traits;
    std::uint8_t hostOs;
    std::uint8_t unpVer;
    std::uint8_t method;
};

// Reads the block headers of a RAR archive (RAR 1.5 to 4.x, and RAR 5) into memory and
// answers by entry number. Nothing is ever extracted.
class Cls_Rar final : public ArchiveReader, private rar::WalkListener
{
public:
    // oemCodePage decodes names whose writer left no sign of UTF-8.
    Cls_Rar(ReaderState& state, const common::CodePage& oemCodePage);

    std::int16_t Get_Contents(const std::string& ZipName, const ReadContext& context) override;

    // Extraction is not part of this program: nothing is written.
    std::int16_t UnPack(const std::string& ZippedFile, const std::string& ToPath);

    bool CanUnpack() const override { return false; }
    std::string FileName(std::int32_t FileNum) const override;
    std::string_view fileNameView(std::int32_t FileNum) const override;
    ListedEntry listedEntry(std::int32_t FileNum) const override;
    std::string CommentsFile(std::int32_t FileNum) const override;
    std::string CommentsPack() const override { return m_archiveHeader.ArcComment; }
    bool IsDir(std::int32_t FileNum) const override;
    std::string Method(std::int32_t FileNum) const override;
    std::int32_t CRC32(std::int32_t FileNum) const override;
    std::int32_t Compressed_Size(std::int32_t FileNum) const override;
    std::int32_t UnCompressed_Size(std::int32_t FileNum) const override;
    bool Encrypted(std::int32_t FileNum) const override;
    DateTime FileDateTime(std::int32_t FileNum) const;
    std::string SystemMadeBy(std::int32_t FileNum) const override;
    std::string VersionMadeBy(std::int32_t FileNum) const override;
    std::string SystemNeeded(std::int32_t FileNum) const override;
    std::string VersionNeeded(std::int32_t FileNum) const override;

private:
    void archiveHeader(RarArchiveHeader header) override;
    void fileEntry(const RarEntry& entry) override;

    // Record FileNum, or nothing when the number names no entry (error 9 when negative).
    const RarRecord* entry(std::int32_t FileNum) const;

    // A guarded text: the default for a number that names no entry, else "Unknown".
    std::string unknownText(std::int32_t FileNum) const;

    const common::CodePage& m_oemCodePage;
    // Slot 0 is never filled: entry number i lives at index i. The table is cut back
    // by the first file header of a read, not when the read starts.
    RecordTable<RarRecord> m_entries;
    TextArena m_texts;
    RarArchiveHeader m_archiveHeader;
};

} // namespace tarvelo::archive
