// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_entry_batch.h"

#include "common/error.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace tarvelo::image::udf {
namespace {

struct Wanted
{
    std::uint64_t offset = 0;
    std::size_t index = 0;

    auto operator<=>(const Wanted&) const = default;
};

// The first error by index of the entries tried, kept until all are done.
class FirstFailure
{
public:
    template <typename Work> void attempt(std::size_t index, Work&& work)
    {
        if (m_index && *m_index < index) return; // its error could not be the one raised
        try {
            work();
        } catch (const Error&) {
            m_index = index;
            m_error = std::current_exception();
        }
    }
    void raise() const
    {
        if (m_error) std::rethrow_exception(m_error);
    }

private:
    std::optional<std::size_t> m_index;
    std::exception_ptr m_error;
};

} // namespace

void readEntriesInDiscOrder(const CachedDisc& disc, const Partitions& partitions,
                            std::span<const BlockAddress> addresses,
                            const std::function<std::string(std::size_t)>& what,
                            const std::function<void(std::size_t, EntryBlock)>& take)
{
    const std::uint64_t blockSize = partitions.blockSize();
    std::vector<Wanted> wanted;
    std::vector<std::size_t> elsewhere; // not on the disc: read alone, to raise its error
    for (std::size_t index = 0; index < addresses.size(); ++index) {
        try {
            const std::uint64_t offset = partitions.offsetOf(addresses[index]);
            if (offset <= disc.size() && blockSize <= disc.size() - offset) {
                wanted.push_back({offset, index});
                continue;
            }
        } catch (const Error&) {
        }
        elsewhere.push_back(index);
    }
    std::sort(wanted.begin(), wanted.end());

    FirstFailure failure;
    const auto decode = [&](const Wanted& entry) {
        failure.attempt(entry.index, [&] {
            take(entry.index,
                 entryFromBlock(partitions,
                                disc.read(entry.offset, static_cast<std::size_t>(blockSize)),
                                addresses[entry.index], what(entry.index)));
        });
    };
    // Those a run kept holds first, before reading anything can drop that run.
    std::erase_if(wanted, [&](const Wanted& entry) {
        if (!disc.holds({entry.offset, blockSize})) return false;
        decode(entry);
        return true;
    });
    std::vector<iso9660::Extent> pieces;
    pieces.reserve(wanted.size());
    for (const Wanted& entry : wanted)
        pieces.push_back({entry.offset, blockSize});
    auto next = wanted.begin();
    disc.readAhead(std::move(pieces), kMaxEntryGap, [&](const iso9660::Extent& run) {
        for (; next != wanted.end() && next->offset < run.end(); ++next)
            decode(*next);
    });
    for (const std::size_t index : elsewhere)
        failure.attempt(index,
                        [&] { take(index, readEntry(partitions, addresses[index], what(index))); });
    failure.raise();
}

} // namespace tarvelo::image::udf
