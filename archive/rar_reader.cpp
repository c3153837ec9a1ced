#include "archive/rar_reader.h"

namespace tarvelo::archive {

Cls_Rar::Cls_Rar(ReaderState& state, const common::CodePage& oemCodePage)
    : ArchiveReader(state), m_oemCodePage(oemCodePage)
{
}

std::int16_t Cls_Rar::Get_Contents(const std::string& ZipName, const ReadContext& /*context*/)
{
    m_state.ArchivePath = ZipName;
    m_state.EntryCount = 0;
    m_state.ReadStatus = 0;
    return 0;
}

std::int16_t Cls_Rar::UnPack(const std::string& /*ZippedFile*/, const std::string& /*ToPath*/)
{
    return 0;
}

const RarEntry* Cls_Rar::entry(std::int32_t FileNum) const
{
    if (InvalidFileNum(FileNum)) return nullptr;
    return &slot(m_entries, FileNum);
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
    return e && (e->HeadFlags & 0xE0) == 0xE0;
}

std::string Cls_Rar::Method(std::int32_t FileNum) const
{
    return entry(FileNum) ? "Unknown" : "";
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
    return e && (e->HeadFlags & 0x04) != 0;
}

DateTime Cls_Rar::FileDateTime(std::int32_t /*FileNum*/) const
{
    return 0;
}

std::string Cls_Rar::SystemMadeBy(std::int32_t FileNum) const
{
    return entry(FileNum) ? "unKnown" : "";
}

std::string Cls_Rar::VersionMadeBy(std::int32_t FileNum) const
{
    return entry(FileNum) ? "Unknown" : "";
}

std::string Cls_Rar::SystemNeeded(std::int32_t FileNum) const
{
    return entry(FileNum) ? "Unknown" : "";
}

std::string Cls_Rar::VersionNeeded(std::int32_t FileNum) const
{
    return entry(FileNum) ? "0.0" : "";
}

} // namespace tarvelo::archive
