// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/disc_writer.h"

#include "catalog/schema.h"
#include "catalog/entry_rows.h"
#include "common/civil_time.h"
#include "common/text.h"

#include <ctime>

namespace tarvelo::catalog {
namespace {

std::int64_t storedKind(platform::EntryKind kind)
{
    switch (kind) {
    case platform::EntryKind::Folder:
        return static_cast<std::int64_t>(StoredKind::Folder);
    case platform::EntryKind::RegularFile:
        return static_cast<std::int64_t>(StoredKind::File);
    case platform::EntryKind::OtherFile:
        break;
    }
    return static_cast<std::int64_t>(StoredKind::OtherFile);
}

} // namespace

// The transaction is taken before the check for the same disc, so two adds of one disc
// cannot both pass it, and ends last.
struct DiscWriter::Rows
{
    explicit Rows(Database& db) : transaction(db) {}

    Transaction transaction;
    std::optional<EntryRows> entries;
};

DiscWriter::DiscWriter(Catalog& catalog, DiscDescription description)
    : m_catalog(catalog), m_description(std::move(description))
{
}

DiscWriter::~DiscWriter() = default;

template <typename Action>
void DiscWriter::guarded(Action&& action)
{
    if (m_failure) return;
    try {
        action();
    } catch (const Error& error) {
        m_failure = error;
        m_rows.reset(); // rolls back now, so other writers need not wait for the walk
    }
}

void DiscWriter::volume(const platform::VolumeFacts& facts, std::int32_t totalFiles,
                        std::int32_t totalFolders, const std::string& rootPath, char)
{
    guarded([&] {
        DiscRecord disc;
        disc.label = common::lineSafe(facts.label);
        disc.name = m_description.name;
        disc.note = m_description.note;
        disc.serial = facts.serialNumber;
        disc.totalBytes = facts.totalBytes;
        disc.freeBytes = facts.freeBytes;
        disc.files = totalFiles;
        disc.folders = totalFolders;
        disc.source = m_description.source;
        disc.sourceKind = m_description.sourceKind;
        disc.rootPath = rootPath;
        disc.decimalSeparator = m_description.decimalSeparator;
        disc.added = isoTimeNow();
        m_rows = std::make_unique<Rows>(m_catalog.db());
        refuseSameDisc(disc);
        m_discId = insertDisc(m_catalog.db(), disc);
        // The root, and what the scan counted below it: all but archives' entries.
        const auto entries = std::size_t{1} + static_cast<std::size_t>(totalFiles) +
                             static_cast<std::size_t>(totalFolders);
        m_rows->entries.emplace(m_catalog.db(), m_discId, entries);
    });
}
void DiscWriter::refuseSameDisc(const DiscRecord& candidate)
{
    for (const DiscRecord& same : m_catalog.sameDiscs(candidate)) {
        if (!m_description.replace)
            throw Error(ErrorNumber::PathFileAccess,
                        "the catalogue already holds this disc as number " +
                            std::to_string(same.id) + " ('" + same.label +
                            "'); tarvelo-catalog add --replace puts it in its place");
        removeRows(m_catalog.db(), same);
    }
}

void DiscWriter::folder(std::size_t index, std::size_t parent, std::string_view name,
                        std::uint64_t totalSize)
{
    guarded([&] {
        const auto parentId =
            index == 0 ? std::nullopt : std::optional<std::int64_t>(m_folderIds.at(parent));
        m_folderIds.push_back(m_rows->entries->insert(
            parentId, static_cast<std::int64_t>(StoredKind::Folder), name, totalSize));
    });
}

void DiscWriter::file(std::string_view name, std::uint64_t size, platform::EntryKind kind,
                      platform::ModifiedTime modified)
{
    guarded([&] {
        m_lastFile = m_rows->entries->insert(m_folderIds.back(), storedKind(kind), name, size,
                                             std::nullopt, modified);
    });
}

void DiscWriter::archiveListed(std::int32_t count)
{
    guarded([&] { m_rows->entries->setListed(m_lastFile, count); });
}

void DiscWriter::archiveEntry(std::string_view name, bool isFolder, std::uint64_t size,
                              std::uint64_t packedSize)
{
    guarded([&] {
        const StoredKind kind = isFolder ? StoredKind::ArchiveFolder : StoredKind::ArchiveFile;
        m_rows->entries->insert(m_lastFile, static_cast<std::int64_t>(kind), name, size,
                                packedSize);
    });
}

std::int64_t DiscWriter::commit()
{
    if (m_failure) throw *m_failure;
    if (!m_rows) throw Error(ErrorNumber::PathFileAccess, "no disc was read");
    m_rows->entries->finish();
    m_rows->transaction.commit();
    m_rows.reset();
    return m_discId;
}

std::string isoTimeNow()
{
    return common::isoUtcText(std::time(nullptr));
}

} // namespace tarvelo::catalog
