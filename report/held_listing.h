// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archive_reader.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::report {

// An archive's listing read before its turn in the report, kept as the reader gave it:
// the notices it showed, its entries, and the failure that ended the read, if one did.
// An entry costs 16 bytes and its name.
class HeldListing
{
public:
    // Reads the archive with reader from files and holds what it gave, entry sizes only
    // when withSizes. Nothing when the listing would take more than roomBytes; a stop
    // inside the read raises common::Stopped, as the reader does.
    static std::optional<HeldListing> read(archive::ArchiveReader& reader, const std::string& path,
                                           const platform::FileOpener& files,
                                           common::StopCheck& stop, bool withSizes,
                                           std::size_t roomBytes);

    std::size_t bytes() const noexcept;

private:
    friend class HeldListingReader;

    struct Entry
    {
        std::uint32_t nameEnd = 0; // in m_names; the name begins where the last one ended
        std::int32_t compressedSize = 0;
        std::int32_t uncompressedSize = 0;
        bool isDir = false;
        bool lineSafe = false; // as the reader found the name
    };

    // False when the entry would pass roomBytes.
    bool add(const archive::ArchiveReader& reader, std::int32_t number, bool withSizes,
             std::size_t roomBytes);

    std::vector<std::string> m_notices;
    std::int32_t m_count = 0;
    std::vector<Entry> m_entries;
    std::string m_names;
    std::exception_ptr m_failure;
    std::int32_t m_failedAt = 0; // the entry whose read failed; 0: the directory's read
};

// Lists a held listing through the readers' surface, as the reader it was read with did:
// its notices again, the same entries, and the same failure at the same place.
class HeldListingReader final : public archive::NamesOnlyReader
{
public:
    explicit HeldListingReader(HeldListing listing)
        : NamesOnlyReader(m_ownState), m_listing(std::move(listing))
    {
    }

    std::int16_t Get_Contents(const std::string& ZipName,
                              const archive::ReadContext& context) override;
    std::string FileName(std::int32_t FileNum) const override;
    std::string_view fileNameView(std::int32_t FileNum) const override;
    archive::ListedEntry listedEntry(std::int32_t FileNum) const override;
    bool IsDir(std::int32_t FileNum) const override;
    std::int32_t Compressed_Size(std::int32_t FileNum) const override;
    std::int32_t UnCompressed_Size(std::int32_t FileNum) const override;

private:
    // The held entry of a valid number, or null for a number that names nothing; the
    // held failure is raised again at the entry it ended.
    const HeldListing::Entry* entry(std::int32_t FileNum) const;

    archive::ReaderState m_ownState;
    HeldListing m_listing;
};

} // namespace tarvelo::report
