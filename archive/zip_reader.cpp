#include "archive/zip_reader.h"

#include "common/error.h"

namespace tarvelo::archive {

Cls_Zip::Cls_Zip(ReaderState& state, const common::CodePage& oemCodePage)
    : ArchiveReader(state), m_oemCodePage(oemCodePage)
{
}

std::int16_t Cls_Zip::Get_Contents(const std::string& ZipName, const ReadContext& context)
{
    m_state.ArchivePath = ZipName;
    m_state.ZipComment.clear();
    m_state.ReadStatus = 0;
    const auto source = context.files.openFile(ZipName);
    throw Error(ErrorNumber::InvalidFileFormat, "ZIP reading is not finished yet");
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
    return e ? std::string() : std::string();
}

std::int32_t Cls_Zip::CRC32(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? e->CRC32 : 0;
}

std::int32_t Cls_Zip::Compressed_Size(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(static_cast<std::uint32_t>(e->CompressedSize)) : 0;
}

std::int32_t Cls_Zip::UnCompressed_Size(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e ? static_cast<std::int32_t>(static_cast<std::uint32_t>(e->UncompressedSize)) : 0;
}

bool Cls_Zip::Encrypted(std::int32_t FileNum) const
{
    const ZipEntry* e = entry(FileNum);
    return e && (e->Flags & 1) != 0;
}

std::string Cls_Zip::SystemMadeBy(std::int32_t FileNum) const
{
    return entry(FileNum) ? std::string() : std::string();
}

std::string Cls_Zip::VersionMadeBy(std::int32_t FileNum) const
{
    return entry(FileNum) ? std::string() : std::string();
}

std::string Cls_Zip::SystemNeeded(std::int32_t FileNum) const
{
    return entry(FileNum) ? std::string() : std::string();
}

std::string Cls_Zip::VersionNeeded(std::int32_t FileNum) const
{
    return entry(FileNum) ? std::string() : std::string();
}

} // namespace tarvelo::archive
