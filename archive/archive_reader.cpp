// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archive_reader.h"

#include "common/error.h"

namespace tarvelo::archive {

std::int16_t ArchiveReader::Pack(const std::string& /*ZipName*/,
                                 const std::vector<std::string>& /*Files*/,
                                 std::int16_t /*CompType*/, std::int16_t /*CompLevel*/,
                                 bool /*IncludeDir*/)
{
    return 0;
}

std::string_view ArchiveReader::fileNameView(std::int32_t FileNum) const
{
    m_nameCopy = FileName(FileNum);
    return m_nameCopy;
}

ListedEntry ArchiveReader::listedEntry(std::int32_t FileNum) const
{
    const std::string_view name = fileNameView(FileNum);
    return {name, IsDir(FileNum), false};
}

bool ArchiveReader::InvalidFileNum(std::int32_t FileNum) const
{
    return FileNum == 0 || FileNum > m_state.EntryCount || m_state.ReadStatus == 0;
}

std::int32_t WordToLong(std::int16_t value) noexcept
{
    return value >= 0 ? value : value + 65536;
}

void throwSubscriptOutOfRange()
{
    throw Error(ErrorNumber::SubscriptOutOfRange, "subscript out of range");
}

std::string damagedListingNotice(std::uint64_t listed, std::string_view reason)
{
    return "damaged archive (" + std::string(reason) + "): listing the " +
           std::to_string(listed) + (listed == 1 ? " entry" : " entries") + " before the damage";
}

} // namespace tarvelo::archive
