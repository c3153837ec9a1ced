// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/disc_search.h"

#include "catalog/schema.h"
#include "catalog/search_key.h"
#include "common/error.h"

#include <algorithm>

namespace tarvelo::catalog {
namespace {

constexpr std::string_view kSelectEntries =
    "SELECT e.id, e.disc, e.parent, e.kind, e.name, e.size, e.modified FROM entry e WHERE ";

// The entries with ids from ?1 to ?2, in report order.
Statement entriesBetween(Database& db)
{
    return db.prepare(std::string(kSelectEntries) + "e.id BETWEEN ? AND ? ORDER BY e.id");
}

bool isContainer(StoredKind kind)
{
    return kind == StoredKind::Folder || kind == StoredKind::File || kind == StoredKind::OtherFile;
}

HitKind hitKindOf(StoredKind kind)
{
    switch (kind) {
    case StoredKind::Folder:
        return HitKind::Folder;
    case StoredKind::File:
    case StoredKind::OtherFile:
        return HitKind::File;
    case StoredKind::ArchiveFolder:
    case StoredKind::ArchiveFile:
        break;
    }
    return HitKind::ArchiveEntry;
}

bool isFolderKind(StoredKind kind)
{
    return kind == StoredKind::Folder || kind == StoredKind::ArchiveFolder;
}

StoredKind storedKindOf(std::int64_t kind)
{
    return static_cast<StoredKind>(kind & kKindMask);
}

} // namespace

Hit HitMaker::make(std::int64_t disc, std::int64_t parent, std::int64_t kind, std::string_view name,
                   std::uint64_t size, std::optional<std::int64_t> modified)
{
    const DiscRecord& on = discOf(disc);
    if (parent < on.firstEntry || parent > on.lastEntry)
        throw Error(ErrorNumber::InvalidFileFormat, "an entry whose folder is not there");
    const auto offset = static_cast<std::uint32_t>(parent - on.firstEntry);
    return {&on,
            joined(m_folders.pathOf(on, offset), name),
            size,
            (kind & kInexact) == 0,
            hitKindOf(storedKindOf(kind)),
            modified};
}

std::string HitMaker::joined(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    if (!folder.empty()) path.append(folder).append(1, '/');
    return path.append(name);
}

// Hits come disc by disc.
const DiscRecord& HitMaker::discOf(std::int64_t id)
{
    if (m_last == m_discs.end() || m_last->id != id)
        m_last = std::lower_bound(
            m_discs.begin(), m_discs.end(), id,
            [](const DiscRecord& disc, std::int64_t wanted) { return disc.id < wanted; });
    if (m_last == m_discs.end() || m_last->id != id)
        throw Error(ErrorNumber::InvalidFileFormat, "an entry of a disc that is not there");
    return *m_last;
}

struct DiscSearch::Row
{
    std::int64_t id = 0;
    std::int64_t disc = 0;
    std::int64_t parent = 0; // 0 for the root folder
    std::int64_t kind = 0;   // a StoredKind, kInexact added or not
    std::string_view name;
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;

    StoredKind storedKind() const { return storedKindOf(kind); }
};

DiscSearch::Row DiscSearch::rowOf(const Statement& statement)
{
    return {statement.integer(0),
            statement.integer(1),
            statement.integer(2),
            statement.integer(3),
            statement.text(4),
            static_cast<std::uint64_t>(statement.integer(5)),
            statement.isNull(6) ? std::nullopt : std::optional(statement.integer(6))};
}

DiscSearch::DiscSearch(Database& db, const FindQuery& query, const std::vector<DiscRecord>& discs)
    : m_query(query), m_pattern(query.pattern, query.glob), m_trigrams(m_pattern.indexTrigrams()),
      m_entriesBetween(entriesBetween(db)),
      m_entry(db.prepare(std::string(kSelectEntries) + "e.id = ?")), m_hits(db, discs)
{
    if (!m_trigrams.empty()) m_index.emplace(db, m_trigrams);
}

bool DiscSearch::search(const DiscRecord& disc, const Emit& emit)
{
    if (!m_index || (m_query.wholePath && !m_pattern.liesWithinOneName()))
        return readEveryEntry(disc, emit);
    return m_query.wholePath ? lookUpPaths(disc, emit) : lookUpNames(disc, emit);
}

bool DiscSearch::readEveryEntry(const DiscRecord& disc, const Emit& emit)
{
    m_pathKeys.clear();
    m_entriesBetween.bind(1, disc.firstEntry).bind(2, disc.lastEntry);
    bool more = true;
    while (more && m_entriesBetween.step()) {
        const Row row = rowOf(m_entriesBetween);
        // Every path key is kept on the way, wanted or not, for the entries below it.
        const std::string path = m_query.wholePath ? pathKey(row) : std::string();
        if (wanted(row) && (m_query.wholePath ? m_pattern.matches(path) : nameMatches(row.name)))
            more = give(row, emit);
    }
    m_entriesBetween.reset();
    return more;
}

// Only the entries the name index gives are read, in report order.
bool DiscSearch::lookUpNames(const DiscRecord& disc, const Emit& emit)
{
    for (const std::uint32_t offset : m_index->candidates(disc.id)) {
        const std::int64_t id = disc.firstEntry + offset;
        if (id > disc.lastEntry || !m_entry.bind(1, id).step())
            throw Error(ErrorNumber::InvalidFileFormat,
                        "the catalogue's name index names an entry that is not there");
        const Row row = rowOf(m_entry);
        const bool more = !wanted(row) || !nameMatches(row.name) || give(row, emit);
        m_entry.reset();
        if (!more) return false;
    }
    return true;
}

// A path match that lies within one name is in the entry's own name (the name index
// gives those) or in a folder's or archive's above it. A container's entries are the
// rows after it up to the next container, with those of its archives among them.
bool DiscSearch::lookUpPaths(const DiscRecord& disc, const Emit& emit)
{
    const std::vector<std::uint32_t>& named = m_index->candidates(disc.id);
    if (named.empty()) return true; // no name holds it, so no path does
    const std::vector<std::uint32_t> under = containersMatching(disc, named);
    for (const auto& [first, last] : spansToRead(disc, named, under)) {
        m_entriesBetween.bind(1, disc.firstEntry + first).bind(2, disc.firstEntry + last);
        bool more = true;
        while (more && m_entriesBetween.step()) {
            const Row row = rowOf(m_entriesBetween);
            const auto parent = static_cast<std::uint32_t>(row.parent - disc.firstEntry);
            const bool below =
                row.parent != 0 && std::binary_search(under.begin(), under.end(), parent);
            if (wanted(row) && (below || nameMatches(row.name))) more = give(row, emit);
        }
        m_entriesBetween.reset();
        if (!more) return false;
    }
    return true;
}

// The offsets of the disc's folders and archives whose path holds the pattern, in order.
std::vector<std::uint32_t> DiscSearch::containersMatching(const DiscRecord& disc,
                                                          const std::vector<std::uint32_t>& named)
{
    const std::vector<FolderPaths::Container>& containers = m_hits.folders().containersOf(disc);
    std::vector<bool> matching(containers.size());
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < containers.size(); ++i) {
        const FolderPaths::Container& container = containers[i];
        matching[i] = (container.parent != 0 && matching[container.parent - 1]) ||
                      (std::binary_search(named.begin(), named.end(), container.offset) &&
                       nameMatches(container.name));
        if (matching[i]) offsets.push_back(container.offset);
    }
    return offsets;
}

// Ranges of offsets, in order and apart: each candidate, and each matching container
// with the rows after it up to the next container.
DiscSearch::Spans DiscSearch::spansToRead(const DiscRecord& disc,
                                          const std::vector<std::uint32_t>& named,
                                          const std::vector<std::uint32_t>& under)
{
    const std::vector<FolderPaths::Container>& containers = m_hits.folders().containersOf(disc);
    const auto lastOffset = static_cast<std::uint32_t>(disc.lastEntry - disc.firstEntry);
    Spans spans;
    for (const std::uint32_t offset : named)
        spans.emplace_back(offset, offset);
    for (const std::uint32_t offset : under) {
        const auto next =
            std::upper_bound(containers.begin(), containers.end(), offset,
                             [](std::uint32_t wanted, const FolderPaths::Container& container) {
                                 return wanted < container.offset;
                             });
        spans.emplace_back(offset, next == containers.end() ? lastOffset : next->offset - 1);
    }
    std::sort(spans.begin(), spans.end());
    Spans merged;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    return merged;
}

// Rows come in report order, so a folder's or archive's path key is known before the
// entries in it are read.
std::string DiscSearch::pathKey(const Row& row)
{
    const auto parent = m_pathKeys.find(row.parent);
    std::string key = HitMaker::joined(parent == m_pathKeys.end() ? std::string() : parent->second,
                                       searchKey(row.name));
    if (isContainer(row.storedKind())) m_pathKeys[row.id] = key;
    return key;
}

bool DiscSearch::nameMatches(std::string_view name)
{
    m_key.clear();
    appendSearchKey(m_key, name);
    return m_pattern.matches(m_key);
}

// Whether the query's conditions other than the pattern take the row.
bool DiscSearch::wanted(const Row& row) const
{
    const StoredKind kind = row.storedKind();
    if (row.name.empty()) return false; // the root folder has no name to find
    if (m_query.only == FindQuery::Only::Files && isFolderKind(kind)) return false;
    if (m_query.only == FindQuery::Only::Folders && !isFolderKind(kind)) return false;
    if (!m_query.archiveEntries && hitKindOf(kind) == HitKind::ArchiveEntry) return false;
    if (m_query.minSize && row.size < *m_query.minSize) return false;
    return !m_query.maxSize || row.size <= *m_query.maxSize;
}

bool DiscSearch::give(const Row& row, const Emit& emit)
{
    return emit(m_hits.make(row.disc, row.parent, row.kind, row.name, row.size, row.modified));
}

void listEntries(Catalog& catalog, const std::vector<DiscRecord>& discs,
                 const std::function<void(const Hit&)>& onHit)
{
    HitMaker hits(catalog.db(), discs);
    Statement rows = entriesBetween(catalog.db());
    for (const DiscRecord& disc : discs) {
        rows.bind(1, disc.firstEntry).bind(2, disc.lastEntry);
        while (rows.step()) {
            if (rows.text(4).empty()) continue; // the root folder
            onHit(hits.make(rows.integer(1), rows.integer(2), rows.integer(3), rows.text(4),
                            static_cast<std::uint64_t>(rows.integer(5)),
                            rows.isNull(6) ? std::nullopt : std::optional(rows.integer(6))));
        }
        rows.reset();
    }
}

} // namespace tarvelo::catalog
