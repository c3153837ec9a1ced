#include "archive/zip_reader.h"

#include <algorithm>
#include <limits>

#include "archive/zip_descriptions.h"
#include "archive/zip_directory.h"
#include "archive/zip_names.h"
#include "archive/zip_records.h"

namespace tarvelo::archive {
namespace {

std::string rawText(zip::Bytes bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The archive's bits of a 16-bit field in the record's signed field.
std::int16_t bits16(std::uint16_t value)
{
    return static_cast<std::int16_t>(value);
}

std::int32_t bits32(std::uint64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

ZipEntry makeEntry(const zip::CentralHeader& header, zip::Bytes variable,
                   const common::CodePage& oemCodePage)
{
    const zip::Bytes name = variable.first(header.nameLength);
    const zip::Bytes extra = variable.subspan(header.nameLength, header.extraLength);
    const zip::Bytes comment = variable.subspan(std::size_t{header.nameLength} + header.extraLength,
                                                header.commentLength);
    const zip::TextOrigin origin{header.flags, header.versionMadeBy, extra};
    const zip::Zip64Values real = zip::realValues(header, extra);

    ZipEntry entry;
    entry.VersionMadeBy = bits16(header.versionMadeBy);
    entry.VersionNeeded = bits16(header.versionNeeded);
    entry.Flags = bits16(header.flags);
    entry.Method = bits16(header.method);
    entry.ModificationTime = bits16(header.modificationTime);
    entry.ModificationDate = bits16(header.modificationDate);
    entry.CRC32 = bits32(header.crc32);
    entry.CompressedSize = real.compressedSize;
    entry.UncompressedSize = real.uncompressedSize;
    entry.DiskNumberStart = bits16(header.diskNumberStart);
    entry.InternalAttributes = bits16(header.internalAttributes);
    entry.ExternalAttributes = bits32(header.externalAttributes);
    entry.LocalHeaderOffset = real.localHeaderOffset;
    entry.FileName = zip::decodeEntryText(name, zip::kExtraUnicodePath, origin, oemCodePage);
    entry.ExtraField = rawText(extra);
    entry.FileComment =
        zip::decodeEntryText(comment, zip::kExtraUnicodeComment, origin, oemCodePage);
    return entry;
}

// The complete headers of the directory, up to the promised count; a header with a wrong
// signature or one cut off ends the table. No more entries than the bytes can hold.
std::vector<ZipEntry> readEntries(const zip::CentralDirectory& directory,
                                  const common::CodePage& oemCodePage)
{
    const zip::Bytes bytes = directory.headers;
    const std::uint64_t limit = std::min<std::uint64_t>(
        {directory.entryCount, bytes.size() / zip::kCentralHeaderSize,
         static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())});
    std::vector<ZipEntry> entries;
    entries.reserve(static_cast<std::size_t>(limit));
    std::size_t at = 0;
    while (entries.size() < limit && bytes.size() - at >= zip::kCentralHeaderSize &&
           zip::hasSignature(bytes, at, zip::kCentralHeaderSignature)) {
        const zip::CentralHeader header =
            zip::decodeCentralHeader(bytes.subspan(at).first<zip::kCentralHeaderSize>());
        if (bytes.size() - at < header.totalSize()) break;
        const zip::Bytes record = bytes.subspan(at, header.totalSize());
        entries.push_back(makeEntry(header, record.subspan(zip::kCentralHeaderSize), oemCodePage));
        at += record.size();
    }
    return entries;
}

std::uint8_t highByte(std::int16_t value)
{
    return static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8);
}

std::uint8_t lowByte(std::int16_t value)
{
    return static_cast<std::uint8_t>(value);
}

} // namespace

Cls_Zip::Cls_Zip(ReaderState& state, const common::CodePage& oemCodePage)
    : ArchiveReader(state), m_oemCodePage(oemCodePage)
{
}

std::int16_t Cls_Zip::Get_Contents(const std::string& ZipName, const ReadContext& context)
{
    m_state.ArchivePath = ZipName;
    m_state.ZipComment.clear();
    m_state.ReadStatus = 0;

    const zip::CentralDirectory directory = [&] {
        const auto source = context.files.openFile(ZipName);
        return zip::readCentralDirectory(*source, context.notices);
    }();
    m_entries = readEntries(directory, m_oemCodePage);
    m_state.EntryCount = static_cast<std::int32_t>(m_entries.size());
    m_state.ReadStatus = 1;
    m_state.ZipComment = zip::decodeArchiveComment(directory.comment, m_oemCodePage);
    return 0;
}

const ZipEntry* Cls_Zip::entry(std::int32_t FileNum) const
{
    if (InvalidFileNum(FileNum)) return nullptr;
    if (FileNum < 0) throwSubscriptOutOfRange();
    return &slot(m_entries, FileNum - 1);
}

std::string Cls_Zip::FileName(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? e->FileName : std::string();
}

std::string Cls_Zip::CommentsFile(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? e->FileComment : std::string();
}

bool Cls_Zip::IsDir(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e && e->CompressedSize == 0 && !e->FileName.empty() && e->FileName.back() == '/';
}

std::string Cls_Zip::Method(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? std::string(zip::MethodName(e->Method)) : std::string();
}

std::int32_t Cls_Zip::CRC32(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? e->CRC32 : 0;
}

std::int32_t Cls_Zip::Compressed_Size(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? bits32(e->CompressedSize) : 0;
}

std::int32_t Cls_Zip::UnCompressed_Size(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? bits32(e->UncompressedSize) : 0;
}

bool Cls_Zip::Encrypted(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e && (static_cast<std::uint16_t>(e->Flags) & zip::kFlagEncrypted) != 0;
}

std::string Cls_Zip::SystemMadeBy(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? std::string(zip::SystemName(highByte(e->VersionMadeBy))) : std::string();
}

std::string Cls_Zip::VersionMadeBy(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? zip::VersionText(lowByte(e->VersionMadeBy)) : std::string();
}

std::string Cls_Zip::SystemNeeded(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? std::string(zip::SystemName(highByte(e->VersionNeeded))) : std::string();
}

std::string Cls_Zip::VersionNeeded(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? zip::VersionText(lowByte(e->VersionNeeded)) : std::string();
}

} // namespace tarvelo::archive
