// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/udf_image_writer.h"

#include <utility>

// The volume's descriptors: recognition, the two volume descriptor sequences, the
// integrity sequence, the anchors and the file set.
namespace tarvelo::test {

using namespace udf_fields;

void UdfImageWriter::writeSequence(std::uint32_t start)
{
    const std::string_view nsr = m_options.revision < 0x200 ? "+NSR02" : "+NSR03";
    auto pvd = sector(start);
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

    auto pd = sector(start + 1);
    put32(pd, 16, 2);
    put16(pd, 20, 1);
    putRegid(pd, 24, nsr);
    put32(pd, 184, m_options.layout == UdfLayout::Virtual ? 2 : 1);
    put32(pd, 188, kPartitionStart);
    put32(pd, 192, m_partitionLength);
    putRegid(pd, 196, "*Tarvelo tests");
    putTag(pd, 5, start + 1, 512);

    auto lvd = sector(start + 2);
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

    auto usd = sector(start + 3);
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
        auto b = sector(at);
        put32(b, 16, 16 * kBlock);
        put32(b, 20, kMainSequence);
        put32(b, 24, 16 * kBlock);
        put32(b, 28, kReserveSequence);
        putTag(b, 2, static_cast<std::uint32_t>(at), 512);
    };
    anchor(256);
    if (m_options.layout != UdfLayout::Virtual) anchor(m_sectors - 1);
}

void UdfImageWriter::writeIntegrity()
{
    auto b = sector(kIntegrity);
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
    auto b = sector(sectorOf(metaToPartition(0)));
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


} // namespace tarvelo::test
