// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_directory.h"
#include "image/kept_runs.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <map>
#include <unordered_set>
#include <vector>

namespace tarvelo::image::iso9660 {

// Bytes between two folders that a request reads rather than seek past them.
constexpr std::uint64_t kMaxReadGap = std::uint64_t{64} << 10;
// The runs read and kept for the folders in them never hold more memory than this.
constexpr std::size_t kMaxPrefetchedBytes = std::size_t{32} << 20;
// A path table is read this far at most, in one request like any other: it only tells
// where to read ahead.
constexpr std::size_t kMaxPathTableBytes = kDirectoryReadSize;

// Reads folders' records ahead of their listing. The folders to come are known from the
// path table and from every folder read, which is looked into for its subfolders; a
// folder that is not in memory when its turn comes is read in one request together with
// the folders to come near it on the disc, and the whole run is kept for them. Writers
// put a disc's folders side by side, so its tree is read in a few large sequential
// requests, and each folder once while the runs kept fit in kMaxPrefetchedBytes.
class DirectoryPrefetch
{
public:
    DirectoryPrefetch(const platform::ByteSource& disc, const TreeFormat& format)
        : m_disc(disc), m_format(format)
    {
    }

    // A folder that is going to be listed.
    void expect(Extent folder);
    // The folders a path table names, each expected from its first block on.
    void expectPathTable(Bytes table);

    // The records of a folder of at most kDirectoryReadSize bytes that lies on the disc.
    std::vector<std::uint8_t> take(Extent folder);

private:
    Bytes readRun(Extent folder); // the folder's records in the run kept
    void expectSubfolders(Bytes records);

    const platform::ByteSource& m_disc;
    const TreeFormat& m_format;
    std::map<std::uint64_t, std::uint64_t> m_expected; // offset to length, not read yet
    std::unordered_set<std::uint64_t> m_read;          // offsets of the folders read
    KeptRuns m_kept{kMaxPrefetchedBytes};
};

} // namespace tarvelo::image::iso9660
