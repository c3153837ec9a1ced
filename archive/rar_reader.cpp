#include "archive/rar_reader.h"

#include <algorithm>

#include "archive/rar_descriptions.h"
#include "archive/read_window.h"
#include "common/checked.h"

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
    ReadWindow window(*source);
    const auto start =
        window.bytesAt(0, std::min<std::uint64_t>(window.size(), rar::kRar5Signature.size()));
    if (!start) return 0;
    if (startsWith(*start, rar::kMarkBlock)) {
        m_state.ReadStatus = kReadStatusRar;
        rar::walkBlocks(window, m_oemCodePage, *this);
    } else if (startsWith(*start, rar::kRar5Signature)) {
        m_state.ReadStatus = kReadStatusRar;
        rar::walkRar5Blocks(window, m_oemCodePage, *this);
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

void Cls_Rar::fileEntry(RarEntry entry)
{
    const std::int32_t count = common::checkedAdd(m_state.EntryCount, std::int32_t{1});
    if (count == 1) m_entries.assign(1, RarEntry{});
    m_entries.push_back(std::move(entry));
    m_state.EntryCount = count;
}

const RarEntry* Cls_Rar::entry(std::int32_t FileNum) const
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
    const RarEntry* e = entry(FileNum);
    return e ? e->FileName : std::string();
}

std::string Cls_Rar::CommentsFile(std::int32_t FileNum) const
{
    return slot(m_entries, FileNum).FileComment;
}

bool Cls_Rar::IsDir(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e && hasFlags(*e, rar::kFileHeadDirectory);
}

std::string Cls_Rar::Method(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e ? std::string(rar::MethodName(e->Method)) : std::string();
}

std::int32_t Cls_Rar::CRC32(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e ? e->FileCrc : 0;
}

std::int32_t Cls_Rar::Compressed_Size(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e ? e->PackSize : 0;
}

std::int32_t Cls_Rar::UnCompressed_Size(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e ? e->UnpSize : 0;
}

bool Cls_Rar::Encrypted(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e && hasFlags(*e, rar::kFileHeadPassword);
}

DateTime Cls_Rar::FileDateTime(std::int32_t /*FileNum*/) const
{
    return 0;
}

std::string Cls_Rar::SystemMadeBy(std::int32_t FileNum) const
{
    const RarEntry* e = entry(FileNum);
    return e ? std::string(rar::SystemName(e->HostOs)) : std::string();
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
    const RarEntry* e = entry(FileNum);
    return e ? rar::VersionText(e->UnpVer) : std::string();
}

} // namespace tarvelo::archive
