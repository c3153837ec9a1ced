// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_partitions.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarvelo::image::udf {

// Indirect entries are followed this many times at most.
constexpr int kMaxIndirections = 8;
// A file of more runs than this is a forgery: no writer fragments a file so far.
constexpr std::size_t kMaxRuns = std::size_t{1} << 22;

// A file or extended file entry with the block it was read from, which its
// descriptors point into.
class EntryBlock
{
public:
    EntryBlock(std::vector<std::uint8_t> block, BlockAddress address);
    // The entry points into the block it owns: it moves with it and is never copied.
    EntryBlock(EntryBlock&&) = default;
    EntryBlock(const EntryBlock&) = delete;
    EntryBlock& operator=(const EntryBlock&) = delete;

    const FileEntry& entry() const { return m_entry; }
    BlockAddress address() const { return m_address; }
    bool isDirectory() const { return m_entry.fileType == kFileTypeDirectory; }

private:
    std::vector<std::uint8_t> m_block;
    BlockAddress m_address;
    FileEntry m_entry;
};

// Reads the entry at the address, following indirect entries; what names the file for
// the damaged-volume error that a wrong tag raises.
EntryBlock readEntry(const Partitions& partitions, BlockAddress address, std::string_view what);
// The same from the entry's block, read already from address.
EntryBlock entryFromBlock(const Partitions& partitions, std::vector<std::uint8_t> block,
                          BlockAddress address, std::string_view what);

// A file's bytes: held in its entry, or in runs on the disc covering its whole size.
struct FileData
{
    std::uint64_t size = 0;
    bool embedded = false;
    std::vector<std::uint8_t> bytes; // embedded data
    std::vector<Run> runs;           // otherwise; their lengths add up to size
};

// Gathers the entry's data, following allocation extent continuations.
FileData readFileData(const Partitions& partitions, const EntryBlock& entry, std::string_view what);

// The entry's data when they are one run on the disc that its own descriptors give (none
// when they are embedded, partly sparse, continued in an allocation extent or damaged).
// Reads nothing and raises nothing: opening the file without it reports any damage.
std::optional<Run> soleRun(const Partitions& partitions, const EntryBlock& entry);

// Where the entry's data begin on the disc, from its first allocation descriptor (its own
// block for embedded data); 0 when that descriptor records nothing or points outside its
// partition. Reads nothing and raises nothing: it only orders reads, and opening the file
// reports any damage.
std::uint64_t dataPosition(const Partitions& partitions, const EntryBlock& entry);

} // namespace tarvelo::image::udf
