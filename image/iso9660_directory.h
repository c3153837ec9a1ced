#pragma once

#include "platform/byte_source.h"
#include "image/iso9660_records.h"

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
};

// A directory that is read in one go when it is no larger than this, in pieces of this
// size when it is, so a forged length cannot make one huge buffer.
constexpr std::size_t kDirectoryReadSize = std::size_t{4} << 20;

// The items of a directory, read in large sequential reads: "." and "..", associated
// files and malformed records left out, the extents of a multi-extent file joined.
// Records beyond the end of the disc raise an error.
std::vector<DirectoryItem> readDirectory(const platform::ByteSource& disc, const TreeFormat& format,
                                         Extent directory);

// The system use skip length that the root's "." record declares, if it has one.
std::optional<std::size_t> readSuspSkip(const platform::ByteSource& disc, Extent root);

} // namespace tarvelo::image::iso9660
