// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/find.h"

#include "catalog/disc_search.h"
#include "common/error.h"
#include "common/ordered_work.h"

#include <algorithm>
#include <deque>
#include <thread>

namespace tarvelo::catalog {
namespace {

// A search waits on a page read for nearly every hit, which a second core nearly halves;
// past a few threads, the one thread that takes the hits in order is what limits it.
constexpr std::size_t kMostThreads = 4;
// Units of a few discs each: enough of them that threads finish together, few enough
// that handing them over costs nothing beside the reads.
constexpr std::size_t kUnitsPerThread = 16;
constexpr std::size_t kUnitsAhead = 4; // per thread, beyond the unit whose hits are taken
constexpr std::size_t kHitsPerBatch = 4096;

// The discs to search, split into units of consecutive discs.
struct DiscUnits
{
    const std::vector<DiscRecord>& discs;
    std::size_t perUnit;

    std::size_t count() const { return (discs.size() + perUnit - 1) / perUnit; }
    std::size_t begin(std::size_t unit) const { return unit * perUnit; }
    std::size_t end(std::size_t unit) const
    {
        return std::min(discs.size(), begin(unit) + perUnit);
    }
};

// A connection of its own, for a thread that searches units of discs.
class SearchThread
{
public:
    SearchThread(const std::string& path, const FindQuery& query,
                 const std::vector<DiscRecord>& discs, const DiscUnits& units)
        : m_db(path, Database::Access::ReadOnly), m_snapshot(m_db), m_search(m_db, query, discs),
          m_units(units)
    {
    }

    // Whether its read transaction sees the discs that the first connection sees: when
    // another program changed the catalogue between the two, it does not.
    bool seesTheSame(const std::vector<DiscRecord>& discs)
    {
        Statement rows = m_db.prepare("SELECT id, first_entry, last_entry FROM disc ORDER BY id");
        for (const DiscRecord& disc : discs) {
            if (!rows.step() || rows.integer(0) != disc.id || rows.integer(1) != disc.firstEntry ||
                rows.integer(2) != disc.lastEntry)
                return false;
        }
        return !rows.step();
    }

    void operator()(std::size_t unit, common::OrderedWork<Hit>::Output& output)
    {
        const DiscSearch::Emit emit = [&output](Hit&& hit) { return output.put(std::move(hit)); };
        for (std::size_t at = m_units.begin(unit); at < m_units.end(unit); ++at)
            if (!m_search.search(m_units.discs[at], emit)) return;
    }

private:
    Database m_db;
    ReadTransaction m_snapshot;
    DiscSearch m_search;
    const DiscUnits& m_units;
};

std::size_t threadsToUse(std::size_t discs)
{
    return discs < 2 ? 1 : std::min<std::size_t>(std::thread::hardware_concurrency(), kMostThreads);
}

// The threads' connections, each seeing what the catalogue's own does; none when one
// thread is all there is to use, or a connection cannot be had as it should.
std::deque<SearchThread> searchThreads(Catalog& catalog, const FindQuery& query,
                                       const std::vector<DiscRecord>& discs, const DiscUnits& units,
                                       std::size_t count)
{
    std::deque<SearchThread> threads;
    if (count < 2) return threads;
    try {
        while (threads.size() < count) {
            threads.emplace_back(catalog.db().path(), query, discs, units);
            if (!threads.back().seesTheSame(discs)) return {};
        }
    } catch (const Error&) {
        return {}; // the catalogue's own connection does it alone
    }
    return threads;
}

} // namespace

void find(Catalog& catalog, const FindQuery& query, const std::function<void(const Hit&)>& onHit)
{
    if (query.limit == 0u) return;
    const ReadTransaction snapshot(catalog.db());
    const std::vector<DiscRecord> discs = catalog.discs();
    const std::vector<DiscRecord> searched =
        query.disc ? std::vector{catalog.disc(std::to_string(*query.disc))} : discs;
    std::uint64_t found = 0;
    const DiscSearch::Emit take = [&](Hit&& hit) {
        onHit(hit);
        return !query.limit || ++found < *query.limit;
    };

    const std::size_t threadCount = threadsToUse(searched.size());
    const DiscUnits units{
        searched, std::max<std::size_t>(1, searched.size() / (threadCount * kUnitsPerThread))};
    std::deque<SearchThread> threads = searchThreads(catalog, query, discs, units, threadCount);
    if (threads.empty()) {
        DiscSearch search(catalog.db(), query, discs);
        for (const DiscRecord& disc : searched)
            if (!search.search(disc, take)) return;
        return;
    }
    common::OrderedWork<Hit>(units.count(), kUnitsAhead * threads.size(), kHitsPerBatch)
        .run(threads, take);
}

} // namespace tarvelo::catalog
