#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "common/code_page.h"

namespace tarvelo::archive {

// One central directory entry as the reader keeps it. Numbers keep the archive's bits in
// signed fields of the record's width; sizes and the offset are the real 64-bit values
// (ZIP64), handed out as their low 32 bits.
struct ZipEntry
{
    std::int16_t VersionMadeBy = 0;
    std::int16_t VersionNeeded = 0;
    std::int16_t Flags = 0;
    std::int16_t Method = 0;
    std::int16_t ModificationTime = 0;
    std::int16_t ModificationDate = 0;
    std::int32_t CRC32 = 0;
    std::uint64_t CompressedSize = 0;
    std::uint64_t UncompressedSize = 0;
    std::int16_t DiskNumberStart = 0;
    std::int16_t InternalAttributes = 0;
    std::int32_t ExternalAttributes = 0;
    std::uint64_t LocalHeaderOffset = 0;
    std::string FileName;
    std::string ExtraField; // raw bytes
    std::string FileComment;
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
    const ZipEntry* entry(std::int32_t FileNum) const;

    const common::CodePage& m_oemCodePage;
    std::vector<ZipEntry> m_entries; // entry number i lives at index i - 1
};

} // namespace tarvelo::archive
