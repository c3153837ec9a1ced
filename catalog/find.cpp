// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/find.h"

#include "catalog/folder_table.h"
#include "catalog/name_index.h"
#include "catalog/pattern.h"
#include "catalog/schema.h"
#include "catalog/search_key.h"
#include "common/error.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace tarvelo::catalog {
namespace {

constexpr std::string_view kSelectEntries =
    "SELECT e.id, e.disc, e.parent, e.kind, e.name, e.size, e.modified FROM entry e WHERE ";

// The entries with ids from ?1 to ?2, in report order.
Statement entriesBetween(Database& db)
{
    return db.prepare(std::string(kSelectEntries) + "e.id BETWEEN ? AND ? ORDER BY e.id");
}

struct Row
{
    std::int64_t id = 0;
    std::int64_t disc = 0;
    std::int64_t parent = 0; // 0 for the root folder
    StoredKind kind = StoredKind::File;
    bool exact = true;
    std::string_view name;
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;
};

Row rowOf(const Statement& statement)
{
    const std::int64_t kind = statement.integer(3);
    return {statement.integer(0),
            statement.integer(1),
            statement.integer(2),
            static_cast<StoredKind>(kind & kKindMask),
            (kind & kInexact) == 0,
            statement.text(4),
            static_cast<std::uint64_t>(statement.integer(5)),
            statement.isNull(6) ? std::nullopt : std::optional(statement.integer(6))};
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

bool wanted(const FindQuery& query, const Row& row)
{
    if (row.name.empty()) return false; // the root folder has no name to find
    if (query.only == FindQuery::Only::Files && isFolderKind(row.kind)) return false;
    if (query.only == FindQuery::Only::Folders && !isFolderKind(row.kind)) return false;
    if (!query.archiveEntries && hitKindOf(row.kind) == HitKind::ArchiveEntry) return false;
    if (query.minSize && row.size < *query.minSize) return false;
    return !query.maxSize || row.size <= *query.maxSize;
}

// Turns rows into hits: the disc they are on and their path from the disc's root, made
// from the disc's folder table.
class HitMaker
{
public:
    HitMaker(Catalog& catalog, std::vector<DiscRecord> discs)
        : m_discs(std::move(discs)), m_folders(catalog.db())
    {
    }

    const std::vector<DiscRecord>& discs() const noexcept { return m_discs; }
    FolderPaths& folders() noexcept { return m_folders; }

    Hit make(const Row& row)
    {
        const DiscRecord& disc = discOf(row.disc);
        if (row.parent < disc.firstEntry || row.parent > disc.lastEntry)
            throw Error(ErrorNumber::InvalidFileFormat, "an entry whose folder is not there");
        const auto offset = static_cast<std::uint32_t>(row.parent - disc.firstEntry);
        return {&disc, joined(m_folders.pathOf(disc, offset), row.name), row.size, row.exact,
                hitKindOf(row.kind), row.modified};
    }

    static std::string joined(std::string_view folder, std::string_view name)
    {
        std::string path;
        path.reserve(folder.size() + 1 + name.size());
        if (!folder.empty()) path.append(folder).append(1, '/');
        return path.append(name);
    }

private:
    // Discs are in number order; hits come disc by disc.
    const DiscRecord& discOf(std::int64_t id)
    {
        if (m_last == m_discs.end() || m_last->id != id)
            m_last = std::lower_bound(
                m_discs.begin(), m_discs.end(), id,
                [](const DiscRecord& disc, std::int64_t wanted) { return disc.id < wanted; });
        if (m_last == m_discs.end() || m_last->id != id)
            throw Error(ErrorNumber::InvalidFileFormat, "an entry of a disc that is not there");
        return *m_last;
    }

    std::vector<DiscRecord> m_discs;
    std::vector<DiscRecord>::const_iterator m_last = m_discs.end();
    FolderPaths m_folders;
};

// The ids a query reads: one disc's range, or every id.
std::pair<std::int64_t, std::int64_t> idRange(Catalog& catalog, const FindQuery& query)
{
    if (!query.disc) return {0, std::numeric_limits<std::int64_t>::max()};
    const DiscRecord disc = catalog.disc(std::to_string(*query.disc));
    return {disc.firstEntry, disc.lastEntry};
}

class Search
{
public:
    Search(Catalog& catalog, const FindQuery& query, const std::function<void(const Hit&)>& onHit)
        : m_catalog(catalog), m_query(query), m_pattern(query.pattern, query.glob),
          m_hits(catalog, catalog.discs()), m_onHit(onHit)
    {
    }

    void run()
    {
        const std::vector<std::string_view> trigrams = m_pattern.indexTrigrams();
        if (trigrams.empty() || (m_query.wholePath && !m_pattern.liesWithinOneName()))
            readEveryEntry();
        else if (m_query.wholePath)
            lookUpPaths(trigrams);
        else
            lookUp(trigrams);
    }

private:
    bool limitReached() const { return m_query.limit && m_found >= *m_query.limit; }

    void readEveryEntry()
    {
        const auto [first, last] = idRange(m_catalog, m_query);
        Statement rows = entriesBetween(m_catalog.db());
        rows.bind(1, first).bind(2, last);
        while (!limitReached() && rows.step())
            consider(rowOf(rows));
    }

    // Only the entries the name index gives are read, disc by disc in report order.
    void lookUp(const std::vector<std::string_view>& trigrams)
    {
        NameIndexLookup index(m_catalog.db(), trigrams);
        Statement entry = m_catalog.db().prepare(std::string(kSelectEntries) + "e.id = ?");
        for (const DiscRecord& disc : m_hits.discs()) {
            if (m_query.disc && disc.id != *m_query.disc) continue;
            for (const std::uint32_t offset : index.candidates(disc.id)) {
                if (limitReached()) return;
                const std::int64_t id = disc.firstEntry + offset;
                if (id > disc.lastEntry || !entry.bind(1, id).step())
                    throw Error(ErrorNumber::InvalidFileFormat,
                                "the catalogue's name index names an entry that is not there");
                consider(rowOf(entry));
                entry.reset();
            }
        }
    }

    // A path match that lies within one name is in the entry's own name (the name index
    // gives those) or in a folder's or archive's above it. A container's entries are the
    // rows after it up to the next container, with those of its archives among them.
    void lookUpPaths(const std::vector<std::string_view>& trigrams)
    {
        NameIndexLookup index(m_catalog.db(), trigrams);
        Statement rows = entriesBetween(m_catalog.db());
        for (const DiscRecord& disc : m_hits.discs()) {
            if (m_query.disc && disc.id != *m_query.disc) continue;
            const std::vector<std::uint32_t>& named = index.candidates(disc.id);
            if (named.empty()) continue; // no name holds it, so no path does
            const std::vector<std::uint32_t> under = containersMatching(disc, named);
            for (const auto& [first, last] : spansToRead(disc, named, under)) {
                rows.bind(1, disc.firstEntry + first).bind(2, disc.firstEntry + last);
                while (!limitReached() && rows.step()) {
                    const Row row = rowOf(rows);
                    const auto parent = static_cast<std::uint32_t>(row.parent - disc.firstEntry);
                    const bool below =
                        row.parent != 0 && std::binary_search(under.begin(), under.end(), parent);
                    if (wanted(m_query, row) && (below || m_pattern.matches(searchKey(row.name))))
                        found(row);
                }
                rows.reset();
                if (limitReached()) return;
            }
        }
    }

    // The offsets of the disc's folders and archives whose path holds the pattern, in order.
    std::vector<std::uint32_t> containersMatching(const DiscRecord& disc,
                                                  const std::vector<std::uint32_t>& named)
    {
        const std::vector<FolderPaths::Container>& containers = m_hits.folders().containersOf(disc);
        std::vector<bool> matching(containers.size());
        std::vector<std::uint32_t> offsets;
        for (std::size_t i = 0; i < containers.size(); ++i) {
            const FolderPaths::Container& container = containers[i];
            matching[i] = (container.parent != 0 && matching[container.parent - 1]) ||
                          (std::binary_search(named.begin(), named.end(), container.offset) &&
                           m_pattern.matches(searchKey(container.name)));
            if (matching[i]) offsets.push_back(container.offset);
        }
        return offsets;
    }

    // Ranges of offsets, in order and apart: each candidate, and each matching container
    // with the rows after it up to the next container.
    using Spans = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    Spans spansToRead(const DiscRecord& disc, const std::vector<std::uint32_t>& named,
                      const std::vector<std::uint32_t>& under)
    {
        const std::vector<FolderPaths::Container>& containers = m_hits.folders().containersOf(disc);
        const auto lastOffset = static_cast<std::uint32_t>(disc.lastEntry - disc.firstEntry);
        Spans spans;
        for (const std::uint32_t offset : named)
            spans.emplace_back(offset, offset);
        for (const std::uint32_t offset : under) {
            const auto next = std::upper_bound(
                containers.begin(), containers.end(), offset,
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

    void consider(const Row& row)
    {
        // Every path key is kept on the way, wanted or not, for the entries below it.
        const std::string path = m_query.wholePath ? pathKey(row) : std::string();
        if (!wanted(m_query, row)) return;
        if (m_pattern.matches(m_query.wholePath ? path : searchKey(row.name))) found(row);
    }

    void found(const Row& row)
    {
        m_onHit(m_hits.make(row));
        ++m_found;
    }

    // Rows come in report order, so a folder's or archive's path key is known before
    // the entries in it are read.
    std::string pathKey(const Row& row)
    {
        const auto parent = m_pathKeys.find(row.parent);
        std::string key = HitMaker::joined(parent == m_pathKeys.end() ? std::string() : parent->second,
                                           searchKey(row.name));
        if (isContainer(row.kind)) m_pathKeys[row.id] = key;
        return key;
    }

    Catalog& m_catalog;
    const FindQuery& m_query;
    Pattern m_pattern;
    HitMaker m_hits;
    const std::function<void(const Hit&)>& m_onHit;
    std::unordered_map<std::int64_t, std::string> m_pathKeys;
    std::uint64_t m_found = 0;
};

} // namespace

void find(Catalog& catalog, const FindQuery& query, const std::function<void(const Hit&)>& onHit)
{
    const ReadTransaction snapshot(catalog.db());
    Search(catalog, query, onHit).run();
}

void listEntries(Catalog& catalog, const std::vector<DiscRecord>& discs,
                 const std::function<void(const Hit&)>& onHit)
{
    HitMaker hits(catalog, discs);
    Statement rows = entriesBetween(catalog.db());
    const FindQuery everything;
    for (const DiscRecord& disc : hits.discs()) {
        rows.bind(1, disc.firstEntry).bind(2, disc.lastEntry);
        while (rows.step()) {
            const Row row = rowOf(rows);
            if (wanted(everything, row)) onHit(hits.make(row));
        }
        rows.reset();
    }
}

} // namespace tarvelo::catalog
