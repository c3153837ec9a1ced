// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/stored_archive_reader.h"

#include "common/error.h"

namespace tarvelo::catalog {

StoredArchiveReader::StoredArchiveReader(const StoredDisc& disc)
    : NamesOnlyReader(m_ownState), m_disc(disc)
{
}

std::int16_t StoredArchiveReader::Get_Contents(const std::string& ZipName,
                                               const archive::ReadContext&)
{
    const auto found = m_disc.archives.find(ZipName);
    m_current = found == m_disc.archives.end() ? nullptr : &found->second;
    m_state.ArchivePath = ZipName;
    m_state.EntryCount = m_current ? m_current->count : 0;
    m_state.ReadStatus = m_current ? 1 : 0;
    return 0;
}

const StoredArchiveEntry* StoredArchiveReader::entry(std::int32_t FileNum) const
{
    if (FileNum < 0) archive::throwSubscriptOutOfRange();
    if (InvalidFileNum(FileNum) || m_current == nullptr) return nullptr;
    const auto index = static_cast<std::size_t>(FileNum - 1);
    if (index >= m_current->entries.size())
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the archive's listing ended here when the disc was catalogued");
    return &m_current->entries[index];
}

std::string StoredArchiveReader::FileName(std::int32_t FileNum) const
{
    const StoredArchiveEntry* found = entry(FileNum);
    return found ? found->name : std::string();
}

bool StoredArchiveReader::IsDir(std::int32_t FileNum) const
{
    const StoredArchiveEntry* found = entry(FileNum);
    return found && found->isFolder;
}

std::int32_t StoredArchiveReader::Compressed_Size(std::int32_t FileNum) const
{
    const StoredArchiveEntry* found = entry(FileNum);
    return found ? static_cast<std::int32_t>(static_cast<std::uint32_t>(found->packedSize)) : 0;
}

std::int32_t StoredArchiveReader::UnCompressed_Size(std::int32_t FileNum) const
{
    const StoredArchiveEntry* found = entry(FileNum);
    return found ? static_cast<std::int32_t>(static_cast<std::uint32_t>(found->size)) : 0;
}

} // namespace tarvelo::catalog
