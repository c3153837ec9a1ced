// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_descriptors.h"

#include "common/error.h"

#include <algorithm>
#include <array>
#include <string>

namespace tarvelo::image::udf {
namespace {

constexpr std::array<std::uint32_t, 4> kBlockSizes = {2048, 512, 1024, 4096};

bool isNsrIdentifier(Bytes sector)
{
    const std::string_view identifier(reinterpret_cast<const char*>(sector.data()) + 1, 5);
    return identifier == "NSR02" || identifier == "NSR03";
}

std::optional<std::vector<std::uint8_t>> anchorAt(const platform::ByteSource& disc,
                                                  std::uint32_t blockSize, std::uint64_t block)
{
    if (block > disc.size() / blockSize - 1 || block > UINT32_MAX) return std::nullopt;
    auto bytes = disc.read(block * blockSize, blockSize);
    if (tagProblem(bytes, kTagAnchor, static_cast<std::uint32_t>(block))) return std::nullopt;
    return bytes;
}

// The anchor at block 256 of the session (or of the disc), else at the disc's end, with
// the block size it was found at.
std::pair<std::uint32_t, std::vector<std::uint8_t>> findAnchor(const platform::ByteSource& disc,
                                                               std::uint64_t sessionStartSector)
{
    for (const std::uint32_t blockSize : kBlockSizes) {
        if (disc.size() / blockSize <= kAnchorBlock) continue;
        const std::uint64_t last = disc.size() / blockSize - 1;
        const std::uint64_t session = sessionStartSector * kRecognitionSectorSize / blockSize;
        for (const std::uint64_t block : {session + kAnchorBlock, std::uint64_t{kAnchorBlock}, last,
                                          last - kAnchorBlock})
            if (auto anchor = anchorAt(disc, blockSize, block)) return {blockSize, std::move(*anchor)};
    }
    throw Error(ErrorNumber::InvalidFileFormat,
                "the UDF volume is damaged: no anchor volume descriptor pointer was found");
}

std::string_view descriptorName(std::uint16_t identifier)
{
    switch (identifier) {
    case kTagPrimaryVolume: return "primary volume descriptor";
    case kTagPointer: return "volume descriptor pointer";
    case kTagPartition: return "partition descriptor";
    case kTagLogicalVolume: return "logical volume descriptor";
    default: return "volume descriptor";
    }
}

// Keeps the descriptor of each kind with the highest sequence number.
void gather(Bytes bytes, std::uint16_t identifier, VolumeLayout& layout)
{
    if (identifier == kTagPartition) {
        const auto partition = decodePartitionDescriptor(bytes);
        auto same = std::find_if(layout.partitions.begin(), layout.partitions.end(),
                                 [&](const auto& p) { return p.number == partition.number; });
        if (same == layout.partitions.end())
            layout.partitions.push_back(partition);
        else if (partition.sequenceNumber >= same->sequenceNumber)
            *same = partition;
    } else if (identifier == kTagLogicalVolume) {
        auto lvd = decodeLogicalVolumeDescriptor(bytes);
        if (!lvd)
            throw Error(ErrorNumber::InvalidFileFormat,
                        "the UDF volume is damaged: its logical volume descriptor has a malformed "
                        "or unknown partition map");
        if (layout.logicalVolume.maps.empty() ||
            lvd->sequenceNumber >= layout.logicalVolume.sequenceNumber)
            layout.logicalVolume = std::move(*lvd);
    }
}

VolumeLayout readSequence(const platform::ByteSource& disc, std::uint32_t blockSize, ExtentAd extent)
{
    VolumeLayout layout;
    layout.blockSize = blockSize;
    std::uint32_t read = 0;
    for (int hops = 0; hops <= kMaxSequenceHops; ++hops) {
        const std::uint32_t blocks = extent.length / blockSize;
        ExtentAd next{};
        for (std::uint32_t i = 0; i < blocks && read < kMaxSequenceBlocks; ++i, ++read) {
            const std::uint64_t block = std::uint64_t{extent.location} + i;
            const auto bytes = readBlock(disc, blockSize, block, "volume descriptor sequence");
            const std::uint16_t identifier = le16(bytes, 0);
            if (identifier == 0 || identifier >= kTagTerminating) break;
            requireTag(bytes, identifier, static_cast<std::uint32_t>(block), descriptorName(identifier));
            if (identifier == kTagPointer) {
                next = decodeExtentAd(bytes, 20);
                break;
            }
            gather(bytes, identifier, layout);
        }
        if (next.length == 0) break;
        extent = next;
    }
    if (layout.logicalVolume.maps.empty() || layout.partitions.empty())
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its logical volume or partition descriptor is missing");
    if (layout.logicalVolume.blockSize != blockSize)
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its logical volume descriptor gives another block size");
    return layout;
}

// The last integrity descriptor of the chain; the descriptor only gives the free space,
// so a damaged one is passed over rather than refusing the volume.
std::optional<IntegrityDescriptor> readIntegrity(const platform::ByteSource& disc,
                                                 std::uint32_t blockSize, ExtentAd extent)
{
    std::optional<IntegrityDescriptor> latest;
    std::uint32_t read = 0;
    for (int hops = 0; hops <= kMaxSequenceHops && extent.length >= blockSize; ++hops) {
        ExtentAd next{};
        for (std::uint32_t i = 0; i < extent.length / blockSize && read < kMaxSequenceBlocks; ++i, ++read) {
            const std::uint64_t block = std::uint64_t{extent.location} + i;
            if (block >= disc.size() / blockSize) break;
            const auto bytes = disc.read(block * blockSize, blockSize);
            if (tagProblem(bytes, kTagIntegrity, static_cast<std::uint32_t>(block))) break;
            auto descriptor = decodeIntegrityDescriptor(bytes);
            if (!descriptor) break;
            next = descriptor->next;
            latest = std::move(descriptor);
        }
        extent = next;
    }
    return latest;
}

} // namespace

const PartitionDescriptor* VolumeLayout::partition(std::uint16_t number) const
{
    const auto found = std::find_if(partitions.begin(), partitions.end(),
                                    [number](const auto& p) { return p.number == number; });
    return found == partitions.end() ? nullptr : &*found;
}

bool hasUdfRecognition(const platform::ByteSource& disc, std::uint64_t sessionStartSector)
{
    for (const std::uint64_t session : {sessionStartSector, std::uint64_t{0}}) {
        const std::uint64_t start = session * kRecognitionSectorSize + kRecognitionStart;
        if (start >= disc.size()) continue;
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(
            kRecognitionSectors, (disc.size() - start) / kRecognitionSectorSize));
        const auto sectors = disc.read(start, count * kRecognitionSectorSize);
        for (std::size_t at = 0; at < sectors.size(); at += kRecognitionSectorSize)
            if (isNsrIdentifier(Bytes(sectors).subspan(at, kRecognitionSectorSize))) return true;
        if (sessionStartSector == 0) break; // the last session is the first: read once
    }
    return false;
}

std::vector<std::uint8_t> readBlock(const platform::ByteSource& disc, std::uint32_t blockSize,
                                    std::uint64_t block, std::string_view what)
{
    if (block >= disc.size() / blockSize)
        throw Error(ErrorNumber::InvalidFileFormat, "the UDF volume is damaged: its " +
                                                        std::string(what) +
                                                        " lies beyond the end of the disc");
    return disc.read(block * blockSize, blockSize);
}

VolumeLayout readVolumeLayout(const platform::ByteSource& disc, std::uint64_t sessionStartSector)
{
    const auto [blockSize, anchor] = findAnchor(disc, sessionStartSector);
    VolumeLayout layout;
    try {
        layout = readSequence(disc, blockSize, decodeExtentAd(anchor, 16));
    } catch (const Error& damaged) {
        try {
            layout = readSequence(disc, blockSize, decodeExtentAd(anchor, 24));
        } catch (const Error&) {
            throw damaged; // the main sequence's reason tells more than the copy's
        }
    }
    layout.integrity = readIntegrity(disc, blockSize, layout.logicalVolume.integrity);
    return layout;
}

} // namespace tarvelo::image::udf
