// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/image/udf_image_builder.h"
#include "tests/image/udf_image_fields.h"

#include <cstdint>
#include <vector>

namespace tarvelo::test {

// The image of the builder's tree, laid out as the options say.
std::vector<std::uint8_t> writeUdfImage(const UdfImageBuilder& tree, const UdfImageOptions& options);

using udf_fields::Block;
using udf_fields::kBlock;
using udf_fields::Span;

// Where the writer puts the volume's structures, in sectors.
constexpr std::uint32_t kPartitionStart = 272; // partition block 0
constexpr std::uint32_t kMainSequence = 32;
constexpr std::uint32_t kReserveSequence = 48;
constexpr std::uint32_t kIntegrity = 64;
// The longest extent whose length a descriptor can hold, in whole blocks.
constexpr std::uint64_t kLargestExtent = (std::uint64_t{1} << 30) - kBlock;

struct Ad
{
    std::uint8_t kind = 0; // 0 recorded, 2 sparse, 3 continuation
    std::uint64_t length = 0;
    std::uint32_t block = 0; // in the partition of ref
    std::uint16_t ref = 0;
};

// Lays the tree out (entries and folders in the metadata space, file data in the
// physical partition) and writes every descriptor.
class UdfImageWriter
{
public:
    UdfImageWriter(const UdfImageBuilder& tree, const UdfImageOptions& options);
    std::vector<std::uint8_t> write();

private:
    struct Placed
    {
        std::uint32_t entry = 0;
        std::size_t parent = 0;
        Block folderData;
        bool embedded = false;
        std::vector<std::uint32_t> blocks; // metadata blocks of a folder, partition blocks of a file
        std::vector<std::uint32_t> continuations; // allocation extents, in order
    };

    std::uint32_t vatBlocks() const { return (152 + 4 * m_metaCount + kBlock - 1) / kBlock; }
    bool isAlias(std::size_t node) const
    {
        return m_tree.m_nodes[node].aliasOf != UdfImageBuilder::kNoAlias;
    }
    bool isMetaFile() const { return m_options.layout != UdfLayout::Physical; }
    std::uint16_t metaRef() const { return isMetaFile() ? 1 : 0; }
    std::uint32_t fixedSize() const { return m_options.extendedEntries ? 216 : 176; }
    std::uint32_t metaToPartition(std::uint32_t m) const;
    std::uint64_t sectorOf(std::uint32_t partitionBlock) const { return kPartitionStart + partitionBlock; }
    std::uint32_t allocate(std::uint32_t& next, std::uint64_t bytes, std::vector<std::uint32_t>& into) const;
    Block folderIdentifiers(std::size_t folder) const;
    std::vector<Ad> adsOf(std::size_t node) const;
    bool longAds(std::size_t node) const;
    void layOut();
    Span sector(std::uint64_t s);
    void writeVolumeDescriptors();
    void writeSequence(std::uint32_t start);
    void writeIntegrity();
    void writeFileSet();
    void writeEntry(std::size_t node);
    void writeEntryBlock(Span b, std::uint32_t location, std::uint8_t type, std::uint64_t size,
                         const std::vector<Ad>& ads, bool useLong, const Block* embedded);
    void writeContinuations(const std::vector<std::uint32_t>& blocks, const std::vector<Ad>& ads,
                            bool useLong);
    void writeTables();

    const UdfImageBuilder& m_tree;
    const UdfImageOptions& m_options;
    std::vector<Placed> m_placed;
    std::uint32_t m_metaCount = 0;
    std::uint32_t m_dataEnd = 0;
    std::uint32_t m_partitionLength = 0;
    std::uint64_t m_sectors = 0;
    std::vector<std::uint8_t> m_image;
};

} // namespace tarvelo::test
