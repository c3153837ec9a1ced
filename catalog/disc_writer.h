// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "common/error.h"
#include "report/inventory_sink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::catalog {

// What the user says about a disc being added, beside what the walk finds on it.
struct DiscDescription
{
    std::string name;
    std::string note;
    std::string source;
    std::string sourceKind;
    char decimalSeparator = '.';
    bool replace = false; // take the place of the same disc added before
};

// Stores one disc as the walk tells it, inside one transaction that only commit() ends:
// anything else (a stop, a failed report, a crash) leaves the catalogue as it was. The
// walk must not fail for the catalogue's sake, so the first failure (the same disc
// already there, a full disk) is kept for the caller and later calls do nothing.
class DiscWriter final : public report::InventorySink
{
public:
    DiscWriter(Catalog& catalog, DiscDescription description);
    ~DiscWriter() override;

    void volume(const platform::VolumeFacts& facts, std::int32_t totalFiles,
                std::int32_t totalFolders, const std::string& rootPath, char separator) override;
    void folder(std::size_t index, std::size_t parent, std::string_view name,
                std::uint64_t totalSize) override;
    void file(std::string_view name, std::uint64_t size, platform::EntryKind kind,
              platform::ModifiedTime modified) override;
    void archiveListed(std::int32_t count) override;
    void archiveEntry(std::string_view name, bool isFolder, std::uint64_t size,
                      std::uint64_t packedSize) override;

    const std::optional<Error>& failure() const noexcept { return m_failure; }

    // Ends the transaction and gives the disc's number; raises the kept failure, if any.
    std::int64_t commit();

private:
    struct Rows;

    template <typename Action>
    void guarded(Action&& action);
    void refuseSameDisc(const DiscRecord& candidate);

    Catalog& m_catalog;
    DiscDescription m_description;
    std::unique_ptr<Rows> m_rows;
    std::optional<Error> m_failure;
    std::vector<std::int64_t> m_folderIds; // by folder index
    std::int64_t m_discId = 0;
    std::int64_t m_lastFile = 0;
};

// The time now as ISO 8601 in UTC, as discs are dated.
std::string isoTimeNow();

} // namespace tarvelo::catalog
