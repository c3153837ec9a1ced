// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar_reader.h"

#include "archive/rar_descriptions.h"
#include "archive/read_window.h"
#include "common/checked.h"
#include "common/error.h"

#include <algorithm>

namespace tarvelo::archive {
namespace {

constexpr std::uint8_t kReadStatusRar = 6;

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool hasFlags(const RarEntry& e, std::uint16_t flags)
{
    return (static_cast<std::uint16_t>(e.HeadFlags) & flags) == flags;
}

std::uint8_t traitsOf(const RarEntry& e)
{
    std::uint8_t traits = 0;
    if (hasFlags(e, rar::kFileHeadDirectory)) traits |= RarRecord::kDirectory;
    if (hasFlags(e, rar::kFileHeadPassword)) traits |= RarRecord::kPassword;
    if (e.FileNameLineSafe) traits |= RarRecord::kLineSafeName;
    return traits;
}

std::uint32_t bits(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

} // namespace

Cls_Rar::Cls_Rar(ReaderState& state, const common::CodePage& oemCodePage)
    : ArchiveReader(state), m_oemCodePage(oemCodePage)
{
}

std::int16_t Cls_Rar::Get_Contents(const std::string& ZipName, const ReadContext& context)
{
    m_state.ArchivePath = ZipName;
    m_state.EntryCount = 0;
    m_state.ReadStatus = 0;
    const auto source = context.files.openFile(ZipName);
    ReadWindow window(*source, context.stop);
    const auto start =
        window.bytesAt(0, std::min<std::uint64_t>(window.size(), rar::kRar5Signature.size()));
    if (!start) return 0;
    const bool rar4 = startsWith(*start, rar::kMarkBlock);
    if (!rar4 && !startsWith(*start, rar::kRar5Signature)) return 0;
    m_state.ReadStatus = kReadStatusRar;
    try {
        if (rar4)
            rar::walkBlocks(window, m_oemCodePage, *this);
        else
            rar::walkRar5Blocks(window, m_oemCodePage, *this);
    } catch (const Error& error) {
        // Damage ends the listing, like the end of the file does; what came before it stays.
        if (m_state.EntryCount == 0) throw;
        context.notices.notice(
            damagedListingNotice(static_cast<std::uint64_t>(m_state.EntryCount), error.what()));
    }
    return 0;
}

std::int16_t Cls_Rar::UnPack(const std::string& /*ZippedFile*/, const std::string& /*ToPath*/)
{
    return 0;
}

void Cls_Rar::archiveHeader(RarArchiveHeader header)
{
    m_archiveHeader = std::move(header);
}

void Cls_Rar::fileEntry(const RarEntry& entry)
{
    const std::int32_t count = common::checkedAdd(m_state.EntryCount, std::int32_t{1});
    if (count == 1) {
        m_entries.clear();
        m_texts.clear();
        m_entries.push_back({0, 0, 0, m_texts.add({}, {}), 0, 0, 0, 0});
    }
    m_entries.push_back({bits(entry.PackSize), bits(entry.UnpSize), bits(entry.FileCrc),
                         m_texts.add(entry.FileName, entry.FileComment), traitsOf(entry),
                         entry.HostOs, entry.UnpVer, entry.Method});
    m_state.EntryCount = count;
}

const RarRecord* Cls_Rar::entry(std::int32_t FileNum) const
{
    if (InvalidFileNum(FileNum)) return nullptr;
    return &slot(m_entries, FileNum);
}

std::string Cls_Rar::unknownText(std::int32_t FileNum) const
{
    return entry(FileNum) ? "Unknown" : "";
}

std::string Cls_Rar::FileName(std::int32_t FileNum) const
{
    return std::string(fileNameView(FileNum));
}

std::string_view Cls_Rar::fileNameView(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? m_texts.name(e->texts) : std::string_view();
}

ListedEntry Cls_Rar::listedEntry(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    if (!e) return {};
    return {m_texts.name(e->texts), (e->traits & RarRecord::kDirectory) != 0,
            (e->traits & RarRecord::kLineSafeName) != 0};
}

std::string Cls_Rar::CommentsFile(std::int32_t FileNum) const
{
    return std::string(m_texts.comment(slot(m_entries, FileNum).texts));
}

bool Cls_Rar::IsDir(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e && (e->traits & RarRecord::kDirectory) != 0;
}

std::string Cls_Rar::Method(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? std::string(rar::MethodName(e->method)) : std::string();
}

std::int32_t Cls_Rar::CRC32(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->fileCrc) : 0;
}

std::int32_t Cls_Rar::Compressed_Size(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->packSize) : 0;
}

std::int32_t Cls_Rar::UnCompressed_Size(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(e->unpSize) : 0;
}

bool Cls_Rar::Encrypted(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e && (e->traits & RarRecord::kPassword) != 0;
}

DateTime Cls_Rar::FileDateTime(std::int32_t /*FileNum*/) const
{
    return 0;
}

std::string Cls_Rar::SystemMadeBy(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? std::string(rar::SystemName(e->hostOs)) : std::string();
}

std::string Cls_Rar::VersionMadeBy(std::int32_t FileNum) const
{
    return unknownText(FileNum);
}

std::string Cls_Rar::SystemNeeded(std::int32_t FileNum) const
{
    return unknownText(FileNum);
}

std::string Cls_Rar::VersionNeeded(std::int32_t FileNum) const
{
    const RarRecord* e = entry(FileNum);
    return e ? rar::VersionText(e->unpVer) : std::string();
}

} // namespace tarvelo::archive
