// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/disc_scan.h"
#include "report/held_listing.h"
#include "report/report_run.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tarvelo::report {

// Reads a disc's archives in the order they lie on it, so that a drive's head only moves
// forward, while the report still lists them in its own order. When the walk comes to an
// archive, the archives that lie before it on the disc and have not been read yet are
// read first and their listings held until their turn, within a bound of memory; what
// does not fit is read at its turn. Archives whose place the volume cannot tell (a host
// folder's) are always read at their turn.
class ArchiveReadAhead
{
public:
    static constexpr std::size_t kHeldBytes = std::size_t{64} << 20;

    ArchiveReadAhead(const platform::Volume& volume, const RunRequest& request,
                     ArchiveReaders readers, RunUi& ui, bool withSizes,
                     std::size_t heldBytes = kHeldBytes);

    // Notes the archives of the scan that the request lists, in the order they lie.
    void plan(const DiscScan& scan);

    // Called when the walk comes to the archive that is file number `file` of the scan:
    // its listing if it was read ahead, else nothing once the archives before it on the
    // disc are read and held.
    std::optional<HeldListing> turnOf(const DiscScan& scan, std::size_t file);

private:
    struct Planned
    {
        std::uint64_t position = 0;
        std::size_t file = 0;
        std::size_t folder = 0;

        bool operator<(const Planned& other) const noexcept
        {
            return position != other.position ? position < other.position : file < other.file;
        }
    };

    bool hold(const DiscScan& scan, const Planned& archive);
    std::string pathOf(const DiscScan& scan, const Planned& archive) const;

    const platform::Volume& m_volume;
    const RunRequest& m_request;
    ArchiveReaders m_readers;
    RunUi& m_ui;
    bool m_withSizes;
    std::size_t m_heldLimit;
    std::vector<Planned> m_planned; // by position
    std::size_t m_next = 0;         // the first planned archive not read yet
    std::unordered_map<std::size_t, HeldListing> m_held; // by file number
    std::size_t m_heldBytes = 0;
};

} // namespace tarvelo::report
