// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archive_reader.h"
#include "catalog/stored_disc.h"

namespace tarvelo::catalog {

// Hands out a catalogued disc's archive listings through the readers' surface, so the
// report walk lists them as it did when the disc was read. The catalogue keeps names,
// folder flags and sizes; the other properties read as the defaults of an entry number
// that names nothing. Past the entries read when the disc was catalogued (the listing
// stopped at damage), a name fails as the archive did.
class StoredArchiveReader final : public archive::NamesOnlyReader
{
public:
    explicit StoredArchiveReader(const StoredDisc& disc);

    std::int16_t Get_Contents(const std::string& ZipName, const archive::ReadContext& context) override;
    std::string FileName(std::int32_t FileNum) const override;
    bool IsDir(std::int32_t FileNum) const override;
    std::int32_t Compressed_Size(std::int32_t FileNum) const override;
    std::int32_t UnCompressed_Size(std::int32_t FileNum) const override;

private:
    // The entry of a valid number, or null for a number that names nothing.
    const StoredArchiveEntry* entry(std::int32_t FileNum) const;

    archive::ReaderState m_ownState;
    const StoredDisc& m_disc;
    const StoredArchive* m_current = nullptr;
};

} // namespace tarvelo::catalog
