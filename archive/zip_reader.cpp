// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_reader.h"

#include "archive/read_window.h"
#include "archive/zip_descriptions.h"
#include "archive/zip_directory.h"
#include "archive/zip_names.h"
#include "archive/zip_records.h"

#include <algorithm>
#include <limits>

namespace tarvelo::archive {
namespace {

// The directory is read in chunks this large: few reads, and memory that stays small.
constexpr std::size_t kDirectoryChunkSize = 256 * 1024;

std::uint32_t low32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(value);
}

// Turns each central header into a compact record and its texts.
class EntryCollector
{
public:
    EntryCollector(RecordTable<ZipRecord>& entries, TextArena& texts,
                   const common::CodePage& oemCodePage, common::StopCheck& stop)
        : m_entries(entries), m_texts(texts), m_oemCodePage(oemCodePage), m_stop(stop)
    {
    }

    void centralHeader(const zip::CentralHeader& header, zip::Bytes variable)
    {
        m_stop.tick();
        const zip::Bytes name = variable.first(header.nameLength);
        const zip::Bytes extra = variable.subspan(header.nameLength, header.extraLength);
        const zip::Bytes comment = variable.subspan(
            std::size_t{header.nameLength} + header.extraLength, header.commentLength);
        const zip::TextOrigin origin{header.flags, header.versionMadeBy, extra};
        const zip::Zip64Values real = zip::realValues(header, extra);

        const DecodedText nameText = zip::decodeEntryText(name, zip::kExtraUnicodePath, origin,
                                                          m_oemCodePage, m_nameScratch);
        const std::string_view commentText =
            comment.empty() ? std::string_view()
                            : zip::decodeEntryText(comment, zip::kExtraUnicodeComment, origin,
                                                   m_oemCodePage, m_commentScratch)
                                  .text;
        std::uint16_t traits = 0;
        if (header.flags & zip::kFlagEncrypted) traits |= ZipRecord::kEncrypted;
        if (real.compressedSize == 0) traits |= ZipRecord::kNoData;
        if (nameText.lineSafe) traits |= ZipRecord::kLineSafeName;
        m_entries.push_back({header.versionMadeBy, header.versionNeeded, header.method, traits,
                             header.crc32, low32(real.compressedSize), low32(real.uncompressedSize),
                             m_texts.add(nameText.text, commentText)});
    }

private:
    RecordTable<ZipRecord>& m_entries;
    TextArena& m_texts;
    const common::CodePage& m_oemCodePage;
    common::StopPoll m_stop;
    std::string m_nameScratch;
    std::string m_commentScratch;
};

// A folder entry holds no data and its name ends in a slash.
bool namesFolder(const ZipRecord& e, std::string_view name)
{
    return (e.traits & ZipRecord::kNoData) != 0 && !name.empty() && name.back() == '/';
}

std::uint8_t highByte(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t lowByte(std::uint16_t value)
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
    m_entries.clear();
    m_texts.clear();

    const auto source = context.files.openFile(ZipName);
    ReadWindow window(*source, context.stop, kDirectoryChunkSize);
    const zip::DirectoryPlace place = zip::locateCentralDirectory(window, context.notices);
    EntryCollector collector(m_entries, m_texts, m_oemCodePage, context.stop);
    zip::visitCentralHeaders(window, place, std::numeric_limits<std::int32_t>::max(), collector,
                             context.notices);
    m_state.EntryCount = static_cast<std::int32_t>(m_entries.size());
    m_state.ReadStatus = 1;
    m_state.ZipComment = zip::decodeArchiveComment(place.comment, m_oemCodePage);
    return 0;
}

const ZipRecord* Cls_Zip::entry(std::int32_t FileNum) const
{
    if (InvalidFileNum(FileNum)) return nullptr;
    if (FileNum < 0) throwSubscriptOutOfRange();
    return &slot(m_entries, FileNum - 1);
}

std::string Cls_Zip::FileName(std::int32_t FileNum) const
{
    return std::string(fileNameView(FileNum));
}

std::string_view Cls_Zip::fileNameView(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? m_texts.name(e->texts) : std::string_view();
}

std::string Cls_Zip::CommentsFile(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? std::string(m_texts.comment(e->texts)) : std::string();
}

ListedEntry Cls_Zip::listedEntry(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    if (!e) return {};
    const std::string_view name = m_texts.name(e->texts);
    return {name, namesFolder(*e, name), (e->traits & ZipRecord::kLineSafeName) != 0};
}

bool Cls_Zip::IsDir(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e && namesFolder(*e, m_texts.name(e->texts));
}

std::string Cls_Zip::Method(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? std::string(zip::MethodName(static_cast<std::int16_t>(e->method))) : std::string();
}

std::int32_t Cls_Zip::CRC32(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->crc32) : 0;
}

std::int32_t Cls_Zip::Compressed_Size(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->compressedSize) : 0;
}

std::int32_t Cls_Zip::UnCompressed_Size(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->uncompressedSize) : 0;
}

bool Cls_Zip::Encrypted(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e && (e->traits & ZipRecord::kEncrypted) != 0;
}

std::string Cls_Zip::SystemMadeBy(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? std::string(zip::SystemName(highByte(e->versionMadeBy))) : std::string();
}

std::string Cls_Zip::VersionMadeBy(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? zip::VersionText(lowByte(e->versionMadeBy)) : std::string();
}

std::string Cls_Zip::SystemNeeded(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? std::string(zip::SystemName(highByte(e->versionNeeded))) : std::string();
}

std::string Cls_Zip::VersionNeeded(std::int32_t FileNum) const
{
    const ZipRecord* e = entry(FileNum);
    return e ? zip::VersionText(lowByte(e->versionNeeded)) : std::string();
}

} // namespace tarvelo::archive
