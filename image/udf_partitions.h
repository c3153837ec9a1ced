// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_descriptors.h"
#include "platform/byte_source.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace tarvelo::image::udf {

// A run of a file's bytes on the disc, or a sparse run that reads as zeros.
struct Run
{
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool sparse = false;
};

// Appends a run, joined to the last one when it continues it on the disc.
void appendRun(std::vector<Run>& runs, Run run);

// The logical volume's partitions as its maps number them, turning their blocks into
// bytes on the disc: physical and sparable partitions directly, virtual ones through
// their allocation table, metadata ones through the metadata file's runs (the last two
// are filled in once read, as they are files of the partitions below them).
class Partitions
{
public:
    Partitions(const platform::ByteSource& disc, const VolumeLayout& layout);

    std::uint32_t blockSize() const { return m_blockSize; }
    std::size_t count() const { return m_maps.size(); }
    const PartitionMap& map(std::uint16_t reference) const { return mapping(reference).map; }
    MapKind kind(std::uint16_t reference) const { return map(reference).kind; }
    const PartitionDescriptor& descriptor(std::uint16_t reference) const
    {
        return mapping(reference).partition;
    }
    // The physical or sparable map under a virtual or metadata one.
    std::uint16_t physicalReference(std::uint16_t reference) const
    {
        return mapping(reference).physical;
    }
    void setVirtualTable(std::uint16_t reference, std::vector<std::uint32_t> table);
    void setMetadataRuns(std::uint16_t reference, std::vector<Run> runs);

    // The runs on the disc of length bytes from the block on. A block outside its
    // partition raises the damaged-volume error.
    void appendRuns(BlockAddress where, std::uint64_t length, std::vector<Run>& runs) const;
    std::uint64_t offsetOf(BlockAddress where) const;
    std::vector<std::uint8_t> readBlock(BlockAddress where, std::string_view what) const;

private:
    struct Mapping
    {
        PartitionMap map;
        PartitionDescriptor partition;
        std::uint16_t physical = 0;
        std::map<std::uint32_t, std::uint32_t> spared; // packet start to sector
        std::vector<std::uint32_t> virtualTable;
        std::map<std::uint64_t, Run> metadataRuns; // by offset in the metadata file
    };
    // A piece of blocks from block on that lies contiguous on the disc.
    struct Piece
    {
        std::uint64_t offset = 0;
        std::uint64_t blocks = 0;
    };

    const Mapping& mapping(std::uint16_t reference) const;
    Piece piece(const Mapping& map, std::uint32_t block, std::uint64_t wanted) const;
    Piece physicalPiece(const Mapping& map, std::uint32_t block, std::uint64_t wanted) const;
    Piece metadataPiece(const Mapping& map, std::uint32_t block, std::uint64_t wanted) const;
    void readSparingTable(Mapping& into) const;

    const platform::ByteSource& m_disc;
    std::uint32_t m_blockSize = 0;
    std::vector<Mapping> m_maps;
};

} // namespace tarvelo::image::udf
