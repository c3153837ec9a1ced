// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_records.h"
#include "platform/byte_source.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::image::iso9660 {

// A run of bytes on the disc.
struct Extent
{
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    std::uint64_t end() const { return offset + length; }
};

// Which names a tree's records give.
enum class NameSet
{
    Primary,   // the 8.3-style identifiers, without their version
    Joliet,    // UCS-2 identifiers of a Joliet descriptor's tree
    RockRidge, // the NM entries of the system use fields, where a record has them
};

struct TreeFormat
{
    NameSet names = NameSet::Primary;
    std::uint32_t blockSize = kSectorSize;
    std::size_t suspSkip = 0; // bytes before the system use entries of each record

    Extent extentOf(std::uint64_t block, std::uint32_t length) const
    {
        return {block * blockSize, length};
    }
};

// One file or folder of a directory, as a listing shows it.
struct DirectoryItem
{
    std::string name;
    bool isFolder = false;
    bool interleaved = false; // data spread in units with gaps, which is not read
    std::uint64_t size = 0;
    std::vector<Extent> extents; // a folder: its records; a file: its data, in order
    // Rock Ridge's modify time, else the record's date; none where neither is sound.
    std::optional<std::int64_t> modified = std::nullopt;
};

// A request for records never reads more than this, so it ends soon even on a slow
// drive and a forged length cannot make one huge buffer: folders that lie together are
// read this much at a time, and a larger folder in pieces of this size.
constexpr std::size_t kDirectoryReadSize = std::size_t{1} << 20;

class DirectoryPrefetch;

// The items of a directory: "." and "..", associated files and malformed records left
// out, the extents of a multi-extent file joined. Its records come through prefetch
// when given, else straight from the disc. Records beyond the end of the disc raise an
// error.
std::vector<DirectoryItem> readDirectory(const platform::ByteSource& disc, const TreeFormat& format,
                                         Extent directory, DirectoryPrefetch* prefetch = nullptr);

// Calls visit with every well-formed record of whole sectors of records. Records never
// cross a sector: a zero length byte pads the rest of the sector, and a length that would
// cross it means the rest of the sector is unreadable.
template <typename Visit> void forEachRecordIn(Bytes records, Visit&& visit)
{
    for (std::size_t sector = 0; sector < records.size(); sector += kSectorSize) {
        const Bytes bytes = records.subspan(sector, std::min(kSectorSize, records.size() - sector));
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t length = bytes[at];
            if (length == 0 || length > bytes.size() - at) break;
            if (const auto record = decodeDirectoryRecord(bytes.subspan(at, length)))
                visit(*record);
            at += length;
        }
    }
}

// The system use skip length that the root's "." record declares, if it has one.
std::optional<std::size_t> readSuspSkip(const platform::ByteSource& disc, Extent root);

} // namespace tarvelo::image::iso9660
