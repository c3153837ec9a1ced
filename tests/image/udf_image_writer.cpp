#include "tests/image/udf_image_writer.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace tarvelo::test {

namespace {

using Block = std::vector<std::uint8_t>;

constexpr std::uint32_t kBlock = 2048;
constexpr std::uint32_t kPartitionStart = 272; // sector of partition block 0
constexpr std::uint32_t kMainSequence = 32;
constexpr std::uint32_t kReserveSequence = 48;
constexpr std::uint32_t kIntegrity = 64;
constexpr std::uint64_t kLargestExtent = (std::uint64_t{1} << 30) - kBlock;

void put16(Block& b, std::size_t at, std::uint64_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Block& b, std::size_t at, std::uint64_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void put64(Block& b, std::size_t at, std::uint64_t v)
{
    put32(b, at, v & 0xFFFFFFFF);
    put32(b, at + 4, v >> 32);
}
void putText(Block& b, std::size_t at, std::string_view text)
{
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

std::uint16_t crc(const Block& b, std::size_t from, std::size_t length)
{
    unsigned value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
        value ^= unsigned{b[i]} << 8;
        for (int bit = 0; bit < 8; ++bit) value = (value & 0x8000) ? (value << 1) ^ 0x1021 : value << 1;
    }
    return static_cast<std::uint16_t>(value);
}

// The tag of the descriptor of length bytes at the block's start, written last.
void putTag(Block& b, std::uint16_t identifier, std::uint32_t location, std::size_t length)
{
    put16(b, 0, identifier);
    put16(b, 2, 2);
    put16(b, 6, 1);
    put16(b, 8, crc(b, 16, length - 16));
    put16(b, 10, length - 16);
    put32(b, 12, location);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) sum += i == 4 ? 0 : b[i];
    b[4] = static_cast<std::uint8_t>(sum);
}

std::vector<char32_t> codePoints(std::string_view utf8)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) point = point << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.push_back(point);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return points;
}

// OSTA compressed Unicode: 8 bits a character when every one fits, else UTF-16 big-endian.
Block dchars(std::string_view utf8)
{
    const auto points = codePoints(utf8);
    const bool narrow = std::all_of(points.begin(), points.end(), [](char32_t c) { return c < 256; });
    Block out{static_cast<std::uint8_t>(narrow ? 8 : 16)};
    for (char32_t c : points) {
        if (narrow) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        std::vector<char32_t> units{c};
        if (c >= 0x10000) units = {0xD800 + ((c - 0x10000) >> 10), 0xDC00 + ((c - 0x10000) & 0x3FF)};
        for (char32_t u : units) {
            out.push_back(static_cast<std::uint8_t>(u >> 8));
            out.push_back(static_cast<std::uint8_t>(u));
        }
    }
    return out;
}

void putDstring(Block& b, std::size_t at, std::size_t size, std::string_view text)
{
    const Block chars = dchars(text);
    std::copy(chars.begin(), chars.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    b[at + size - 1] = static_cast<std::uint8_t>(chars.size());
}

void putRegid(Block& b, std::size_t at, std::string_view identifier, std::uint16_t revision = 0)
{
    putText(b, at + 1, identifier);
    put16(b, at + 24, revision);
}

void putCharspec(Block& b, std::size_t at)
{
    putText(b, at + 1, "OSTA Compressed Unicode");
}

void putTime(Block& b, std::size_t at)
{
    put16(b, at, 0x1000);
    put16(b, at + 2, 2020);
    b[at + 4] = 1;
    b[at + 5] = 2;
}

struct Ad
{
    std::uint8_t kind = 0; // 0 recorded, 2 sparse, 3 continuation
    std::uint64_t length = 0;
    std::uint32_t block = 0; // in the partition of ref
    std::uint16_t ref = 0;
};

} // namespace

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
    Block& sector(std::uint64_t s);
    void writeVolumeDescriptors();
    void writeSequence(std::uint32_t start);
    void writeIntegrity();
    void writeFileSet();
    void writeEntry(std::size_t node);
    void writeEntryBlock(Block& b, std::uint32_t location, std::uint8_t type, std::uint64_t size,
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
    std::vector<Block> m_sectors;
};

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

Block& UdfImageWriter::sector(std::uint64_t s)
{
    if (s >= m_sectors.size()) throw std::logic_error("UDF test image: sector past the end");
    return m_sectors[s];
}

void UdfImageWriter::writeSequence(std::uint32_t start)
{
    const std::string_view nsr = m_options.revision < 0x200 ? "+NSR02" : "+NSR03";
    Block& pvd = sector(start);
    put32(pvd, 16, 1);
    putDstring(pvd, 24, 32, m_options.label);
    put16(pvd, 56, 1);
    put16(pvd, 58, 1);
    put16(pvd, 60, 2);
    put16(pvd, 62, 3);
    put32(pvd, 64, 1);
    put32(pvd, 68, 1);
    putDstring(pvd, 72, 128, "0123456789ABCDEFTarvelo");
    putCharspec(pvd, 200);
    putCharspec(pvd, 264);
    putRegid(pvd, 388, "*Tarvelo tests");
    putTag(pvd, 1, start, 512);

    Block& pd = sector(start + 1);
    put32(pd, 16, 2);
    put16(pd, 20, 1);
    putRegid(pd, 24, nsr);
    put32(pd, 184, m_options.layout == UdfLayout::Virtual ? 2 : 1);
    put32(pd, 188, kPartitionStart);
    put32(pd, 192, m_partitionLength);
    putRegid(pd, 196, "*Tarvelo tests");
    putTag(pd, 5, start + 1, 512);

    Block& lvd = sector(start + 2);
    put32(lvd, 16, 3);
    putCharspec(lvd, 20);
    putDstring(lvd, 84, 128, m_options.label);
    put32(lvd, 212, kBlock);
    putRegid(lvd, 216, "*OSTA UDF Compliant", m_options.revision);
    put32(lvd, 248, kBlock);
    put32(lvd, 252, 0);
    put16(lvd, 256, metaRef());
    putRegid(lvd, 272, "*Tarvelo tests");
    put32(lvd, 432, 2 * kBlock);
    put32(lvd, 436, kIntegrity);
    lvd[440] = 1;
    lvd[441] = 6;
    put16(lvd, 442, 1);
    std::uint32_t tableLength = 6;
    if (isMetaFile()) {
        const std::size_t map = 446;
        lvd[map] = 2;
        lvd[map + 1] = 64;
        const bool metadata = m_options.layout == UdfLayout::Metadata;
        putRegid(lvd, map + 4, metadata ? "*UDF Metadata Partition" : "*UDF Virtual Partition",
                 m_options.revision);
        put16(lvd, map + 36, 1);
        if (metadata) {
            put32(lvd, map + 40, 0);
            put32(lvd, map + 44, 1);
            put32(lvd, map + 48, 0xFFFFFFFF);
            put32(lvd, map + 52, 32);
            put16(lvd, map + 56, 1);
        }
        tableLength += 64;
    }
    put32(lvd, 264, tableLength);
    put32(lvd, 268, isMetaFile() ? 2 : 1);
    putTag(lvd, 6, start + 2, 440 + tableLength);

    Block& usd = sector(start + 3);
    put32(usd, 16, 4);
    putTag(usd, 7, start + 3, 24);
    putTag(sector(start + 4), 8, start + 4, 512);
}

void UdfImageWriter::writeVolumeDescriptors()
{
    const std::string_view nsr = m_options.revision < 0x200 ? "NSR02" : "NSR03";
    for (const auto& [at, identifier] : {std::pair<std::uint32_t, std::string_view>{16, "BEA01"},
                                         {17, nsr}, {18, "TEA01"}}) {
        putText(sector(at), 1, identifier);
        sector(at)[6] = 1;
    }
    writeSequence(kMainSequence);
    writeSequence(kReserveSequence);
    writeIntegrity();
    const auto anchor = [this](std::uint64_t at) {
        Block& b = sector(at);
        put32(b, 16, 16 * kBlock);
        put32(b, 20, kMainSequence);
        put32(b, 24, 16 * kBlock);
        put32(b, 28, kReserveSequence);
        putTag(b, 2, static_cast<std::uint32_t>(at), 512);
    };
    anchor(256);
    if (m_options.layout != UdfLayout::Virtual) anchor(m_sectors.size() - 1);
}

void UdfImageWriter::writeIntegrity()
{
    Block& b = sector(kIntegrity);
    putTime(b, 16);
    put32(b, 28, 1); // closed
    put64(b, 40, 16 + m_tree.m_nodes.size());
    const std::uint32_t maps = isMetaFile() ? 2 : 1;
    put32(b, 72, maps);
    put32(b, 76, 46);
    put32(b, 80, 10); // free blocks of the physical partition
    if (isMetaFile()) put32(b, 84, 0xFFFFFFFF);
    put32(b, 80 + 4 * maps, m_partitionLength);
    if (isMetaFile()) put32(b, 84 + 4 * maps, m_metaCount);
    const std::size_t use = 80 + 8 * maps;
    putRegid(b, use, "*Tarvelo tests");
    put32(b, use + 32, 1);
    put32(b, use + 36, 1);
    put16(b, use + 40, m_options.revision);
    put16(b, use + 42, m_options.revision);
    put16(b, use + 44, m_options.revision);
    putTag(b, 9, kIntegrity, use + 46);
    putTag(sector(kIntegrity + 1), 8, kIntegrity + 1, 512);
}

void UdfImageWriter::writeFileSet()
{
    Block& b = sector(sectorOf(metaToPartition(0)));
    putTime(b, 16);
    put16(b, 28, 3);
    put16(b, 30, 3);
    put32(b, 32, 1);
    put32(b, 36, 1);
    putCharspec(b, 48);
    putDstring(b, 112, 128, m_options.label);
    putCharspec(b, 240);
    putDstring(b, 304, 32, m_options.label);
    put32(b, 400, kBlock);
    put32(b, 404, m_placed[0].entry);
    put16(b, 408, metaRef());
    putRegid(b, 416, "*OSTA UDF Compliant", m_options.revision);
    putTag(b, 256, 0, 512);
}

void UdfImageWriter::writeEntryBlock(Block& b, std::uint32_t location, std::uint8_t type,
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
    for (const std::size_t time : extended ? std::vector<std::size_t>{80, 92, 104, 116}
                                           : std::vector<std::size_t>{72, 84, 96})
        putTime(b, time);
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
    Block& entry = sector(sectorOf(metaToPartition(placed.entry)));
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
        Block& b = sector(sectorOf(metaToPartition(blocks[k])));
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
    m_sectors.assign(static_cast<std::size_t>(sectors), Block(kBlock, 0));
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
    std::vector<std::uint8_t> image;
    image.reserve(static_cast<std::size_t>(sectors * kBlock));
    for (const Block& block : m_sectors) image.insert(image.end(), block.begin(), block.end());
    return image;
}

std::vector<std::uint8_t> writeUdfImage(const UdfImageBuilder& tree, const UdfImageOptions& options)
{
    return UdfImageWriter(tree, options).write();
}

} // namespace tarvelo::test
