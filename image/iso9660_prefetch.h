#pragma once

#include "image/iso9660_directory.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarvelo::image::iso9660 {

// Bytes between two folders that a request reads rather than seek past them.
constexpr std::uint64_t kMaxReadGap = std::uint64_t{64} << 10;
// Records read ahead and not yet listed never hold more memory than this.
constexpr std::size_t kMaxPrefetchedBytes = std::size_t{32} << 20;

// Reads folders' records ahead of their listing. Every folder read is looked into for
// its subfolders, which become expected; a folder that is not in memory when its turn
// comes is read in one request together with the expected folders that follow it on
// the disc. Writers put a disc's folders side by side, so its tree is read in a few
// large sequential requests, and each folder once.
class DirectoryPrefetch
{
  public:
    DirectoryPrefetch(const platform::ByteSource& disc, const TreeFormat& format)
        : m_disc(disc), m_format(format)
    {
    }

    // A folder that is going to be listed.
    void expect(Extent folder);

    // The records of a folder of at most kDirectoryReadSize bytes that lies on the disc.
    std::vector<std::uint8_t> take(Extent folder);

  private:
    std::vector<std::uint8_t> readRun(Extent folder);
    void expectSubfolders(Bytes records);

    const platform::ByteSource& m_disc;
    const TreeFormat& m_format;
    std::map<std::uint64_t, std::uint64_t> m_expected; // offset to length, not read yet
    std::unordered_set<std::uint64_t> m_read;          // offsets of the folders read
    std::unordered_map<std::uint64_t, std::vector<std::uint8_t>> m_kept; // read ahead
    std::size_t m_keptBytes = 0;
};

} // namespace tarvelo::image::iso9660
