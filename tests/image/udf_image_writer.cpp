// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/udf_image_writer.h"

#include <algorithm>
#include <stdexcept>

namespace tarvelo::test {

using namespace udf_fields;

UdfImageWriter::UdfImageWriter(const UdfImageBuilder& tree, const UdfImageOptions& options)
    : m_tree(tree), m_options(options), m_placed(tree.m_nodes.size())
{
}

std::uint32_t UdfImageWriter::metaToPartition(std::uint32_t m) const
{
    switch (m_options.layout) {
    case UdfLayout::Physical: return m;
    case UdfLayout::Metadata: return 2 + m;
    case UdfLayout::Virtual: return m_metaCount - 1 - m; // reversed, so the table matters
    }
    return m;
}

// Takes the blocks for bytes from next on, in reverse order when fragmenting.
std::uint32_t UdfImageWriter::allocate(std::uint32_t& next, std::uint64_t bytes,
                                       std::vector<std::uint32_t>& into) const
{
    const auto count = static_cast<std::uint32_t>((bytes + kBlock - 1) / kBlock);
    for (std::uint32_t i = 0; i < count; ++i) into.push_back(next + i);
    if (m_options.fragment) std::reverse(into.begin(), into.end());
    next += count;
    return count;
}

Block UdfImageWriter::folderIdentifiers(std::size_t folder) const
{
    Block data;
    const auto add = [&](std::size_t node, std::uint8_t characteristics, std::string_view name) {
        const Block chars = name.empty() ? Block{} : dchars(name);
        Block fid((38 + chars.size() + 3) / 4 * 4, 0);
        put16(fid, 16, 1);
        fid[18] = characteristics;
        fid[19] = static_cast<std::uint8_t>(chars.size());
        put32(fid, 20, kBlock);
        put32(fid, 24, m_placed[node].entry);
        put16(fid, 28, metaRef());
        std::copy(chars.begin(), chars.end(), fid.begin() + 38);
        putTag(fid, 257, 0, fid.size());
        data.insert(data.end(), fid.begin(), fid.end());
    };
    add(m_placed[folder].parent, 0x0A, "");
    for (const std::size_t child : m_tree.m_nodes[folder].children) {
        const auto& node = m_tree.m_nodes[child];
        add(child, static_cast<std::uint8_t>(node.characteristics | (node.isFolder ? 2 : 0)), node.name);
    }
    return data;
}

bool UdfImageWriter::longAds(std::size_t node) const
{
    // File data lies in the physical partition, which only a long descriptor can name
    // from an entry kept in another partition.
    return m_options.longAds || (!m_tree.m_nodes[node].isFolder && isMetaFile());
}

std::vector<Ad> UdfImageWriter::adsOf(std::size_t node) const
{
    const auto& placed = m_placed[node];
    const auto& tree = m_tree.m_nodes[node];
    const std::uint16_t ref = tree.isFolder ? metaRef() : 0;
    const std::uint64_t recorded = tree.isFolder ? placed.folderData.size() : tree.contents.size();
    std::vector<Ad> ads;
    std::uint64_t left = recorded;
    for (std::size_t i = 0; i < placed.blocks.size(); ++i) {
        const bool joined = !m_options.fragment;
        const std::uint64_t length = joined ? left : std::min<std::uint64_t>(left, kBlock);
        const std::uint32_t block = joined ? placed.blocks.front() : placed.blocks[i];
        ads.push_back({0, length, block, ref});
        left -= length;
        if (joined) break;
    }
    if (!tree.isFolder) {
        // Recorded extents but the last are whole blocks: the sparse rest starts after them.
        std::uint64_t sparse = tree.size - std::min<std::uint64_t>(tree.size, placed.blocks.size() * std::uint64_t{kBlock});
        if (!ads.empty() && sparse > 0) ads.back().length = (ads.back().length + kBlock - 1) / kBlock * kBlock;
        for (; sparse > 0; sparse -= std::min(sparse, kLargestExtent))
            ads.push_back({2, std::min(sparse, kLargestExtent), 0, 0});
    }
    return ads;
}

void UdfImageWriter::layOut()
{
    const auto& nodes = m_tree.m_nodes;
    std::uint32_t meta = 1; // block 0 holds the file set descriptor
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!isAlias(i)) m_placed[i].entry = meta++;
        for (const std::size_t child : nodes[i].children) m_placed[child].parent = i;
    }
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (isAlias(i)) m_placed[i].entry = m_placed[nodes[i].aliasOf].entry;
    const std::uint32_t room = kBlock - fixedSize();
    std::uint32_t data = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        auto& placed = m_placed[i];
        if (isAlias(i)) continue;
        if (nodes[i].isFolder) {
            placed.folderData = folderIdentifiers(i);
            placed.embedded = m_options.embedSmallFiles && placed.folderData.size() <= room;
            if (!placed.embedded) allocate(meta, placed.folderData.size(), placed.blocks);
        } else {
            placed.embedded = m_options.embedSmallFiles && nodes[i].size <= room;
            if (!placed.embedded) allocate(data, nodes[i].contents.size(), placed.blocks);
        }
        if (!m_options.fragment) continue;
        // Two descriptors in the entry, the rest in a chain of allocation extents.
        const std::size_t capacity = (kBlock - 24) / (longAds(i) ? 16 : 8) - 1;
        for (std::size_t left = adsOf(i).size(); left > 2; left -= std::min(left - 2, capacity))
            placed.continuations.push_back(meta++);
    }
    m_metaCount = meta;
    const std::uint32_t dataStart = m_options.layout == UdfLayout::Metadata ? 2 + meta : meta;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!nodes[i].isFolder)
            for (auto& block : m_placed[i].blocks) block += dataStart;
    m_dataEnd = dataStart + data;
    m_partitionLength = m_dataEnd;
    if (m_options.layout == UdfLayout::Virtual) m_partitionLength += vatBlocks() + 1;
}

Span UdfImageWriter::sector(std::uint64_t s)
{
    if (s >= m_sectors) throw std::logic_error("UDF test image: sector past the end");
    return Span(m_image).subspan(static_cast<std::size_t>(s * kBlock), kBlock);
}


void UdfImageWriter::writeEntryBlock(Span b, std::uint32_t location, std::uint8_t type,
                                     std::uint64_t size, const std::vector<Ad>& ads, bool useLong,
                                     const Block* embedded)
{
    const bool extended = m_options.extendedEntries;
    const std::size_t fixed = fixedSize();
    put16(b, 20, 4);
    put16(b, 24, 1);
    b[27] = type;
    put16(b, 34, embedded ? 3 : useLong ? 1 : 0);
    put32(b, 36, 0xFFFFFFFF);
    put32(b, 40, 0xFFFFFFFF);
    put32(b, 44, 0x14A5);
    put16(b, 48, 1);
    put64(b, 56, size);
    std::uint64_t recorded = 0;
    for (const Ad& ad : ads) recorded += ad.kind == 0 ? (ad.length + kBlock - 1) / kBlock : 0;
    put64(b, extended ? 72 : 64, recorded);
    if (extended) put64(b, 64, size);
    // Only the modification time is at 02:00, so a reader that takes another time shows it.
    const std::size_t modifiedAt = extended ? 92 : 84;
    for (const std::size_t time : extended ? std::vector<std::size_t>{80, 92, 104, 116}
                                           : std::vector<std::size_t>{72, 84, 96})
        putTime(b, time, time == modifiedAt ? 2 : 1);
    put32(b, extended ? 128 : 108, 1);
    putRegid(b, extended ? 168 : 128, "*Tarvelo tests");
    std::size_t at = fixed;
    if (embedded) {
        std::copy(embedded->begin(), embedded->end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        at += embedded->size();
    }
    for (const Ad& ad : ads) {
        put32(b, at, ad.length | std::uint64_t{ad.kind} << 30);
        put32(b, at + 4, ad.block);
        if (useLong) put16(b, at + 8, ad.ref);
        at += useLong ? 16 : 8;
    }
    put32(b, extended ? 212 : 172, at - fixed);
    putTag(b, extended ? 266 : 261, location, at);
}

void UdfImageWriter::writeEntry(std::size_t node)
{
    const auto& tree = m_tree.m_nodes[node];
    const auto& placed = m_placed[node];
    const std::uint8_t type = tree.isFolder ? 4 : 5;
    const std::uint64_t size = tree.isFolder ? placed.folderData.size() : tree.size;
    auto entry = sector(sectorOf(metaToPartition(placed.entry)));
    const Block& data =
        tree.isFolder ? placed.folderData : Block(tree.contents.begin(), tree.contents.end());
    if (placed.embedded) {
        Block held = data;
        held.resize(static_cast<std::size_t>(size));
        writeEntryBlock(entry, placed.entry, type, size, {}, false, &held);
        return;
    }
    for (std::size_t k = 0; k < placed.blocks.size(); ++k) {
        const std::uint32_t block = tree.isFolder ? metaToPartition(placed.blocks[k]) : placed.blocks[k];
        const auto from = data.begin() + static_cast<std::ptrdiff_t>(k * kBlock);
        std::copy(from, from + std::min<std::ptrdiff_t>(kBlock, data.end() - from),
                  sector(sectorOf(block)).begin());
    }
    auto ads = adsOf(node);
    const bool useLong = longAds(node);
    if (!placed.continuations.empty()) {
        std::vector<Ad> rest(ads.begin() + 2, ads.end());
        ads.resize(2);
        ads.push_back({3, kBlock, placed.continuations.front(), metaRef()});
        writeContinuations(placed.continuations, rest, useLong);
    }
    writeEntryBlock(entry, placed.entry, type, size, ads, useLong, nullptr);
}

void UdfImageWriter::writeContinuations(const std::vector<std::uint32_t>& blocks,
                                        const std::vector<Ad>& ads, bool useLong)
{
    const std::size_t capacity = (kBlock - 24) / (useLong ? 16 : 8) - 1;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        auto b = sector(sectorOf(metaToPartition(blocks[k])));
        std::size_t at = 24;
        const auto put = [&](const Ad& ad) {
            put32(b, at, ad.length | std::uint64_t{ad.kind} << 30);
            put32(b, at + 4, ad.block);
            if (useLong) put16(b, at + 8, ad.ref);
            at += useLong ? 16 : 8;
        };
        for (std::size_t i = k * capacity; i < std::min(ads.size(), (k + 1) * capacity); ++i) put(ads[i]);
        if (k + 1 < blocks.size()) put({3, kBlock, blocks[k + 1], metaRef()});
        put32(b, 20, at - 24);
        putTag(b, 258, blocks[k], at);
    }
}

void UdfImageWriter::writeTables()
{
    if (m_options.layout == UdfLayout::Metadata) {
        const std::vector<Ad> content{{0, std::uint64_t{m_metaCount} * kBlock, 2, 0}};
        writeEntryBlock(sector(sectorOf(0)), 0, 250, content[0].length, content, false, nullptr);
        writeEntryBlock(sector(sectorOf(1)), 1, 251, content[0].length, content, false, nullptr);
    }
    if (m_options.layout != UdfLayout::Virtual) return;
    Block table;
    const bool typed = m_options.revision >= 0x200;
    if (typed) {
        table.assign(152, 0);
        put16(table, 0, 152);
        putDstring(table, 4, 128, m_options.label);
        put32(table, 132, 0xFFFFFFFF);
        put16(table, 144, m_options.revision);
        put16(table, 146, m_options.revision);
        put16(table, 148, m_options.revision);
    }
    for (std::uint32_t m = 0; m < m_metaCount; ++m) {
        table.resize(table.size() + 4);
        put32(table, table.size() - 4, metaToPartition(m));
    }
    if (!typed) {
        Block trailer(36, 0);
        putRegid(trailer, 0, "*UDF Virtual Alloc Tbl", m_options.revision);
        put32(trailer, 32, 0xFFFFFFFF);
        table.insert(table.end(), trailer.begin(), trailer.end());
    }
    for (std::size_t k = 0; k * kBlock < table.size(); ++k)
        std::copy(table.begin() + static_cast<std::ptrdiff_t>(k * kBlock),
                  table.begin() + static_cast<std::ptrdiff_t>(std::min(table.size(), (k + 1) * kBlock)),
                  sector(sectorOf(m_dataEnd + static_cast<std::uint32_t>(k))).begin());
    const std::uint32_t at = m_dataEnd + vatBlocks();
    writeEntryBlock(sector(sectorOf(at)), at, typed ? 248 : 0, table.size(),
                    {{0, table.size(), m_dataEnd, 0}}, false, nullptr);
}

std::vector<std::uint8_t> UdfImageWriter::write()
{
    layOut();
    const std::uint64_t sectors =
        kPartitionStart + m_partitionLength + (m_options.layout == UdfLayout::Virtual ? 0 : 1);
    m_sectors = sectors;
    m_image.assign(static_cast<std::size_t>(sectors * kBlock), 0);
    writeVolumeDescriptors();
    writeFileSet();
    for (std::size_t node = 0; node < m_placed.size(); ++node)
        if (!isAlias(node)) writeEntry(node);
    writeTables();

    auto& landmarks = m_tree.m_landmarks;
    landmarks["anchor"] = 256 * kBlock;
    landmarks["logical volume"] = (kMainSequence + 2) * kBlock;
    landmarks["file set"] = sectorOf(metaToPartition(0)) * kBlock;
    landmarks["root entry"] = sectorOf(metaToPartition(m_placed[0].entry)) * kBlock;
    landmarks["root folder data"] =
        m_placed[0].embedded ? landmarks["root entry"] + fixedSize()
                             : sectorOf(metaToPartition(m_placed[0].blocks.front())) * kBlock;
    return std::move(m_image);
}

std::vector<std::uint8_t> writeUdfImage(const UdfImageBuilder& tree, const UdfImageOptions& options)
{
    return UdfImageWriter(tree, options).write();
}

} // namespace tarvelo::test
