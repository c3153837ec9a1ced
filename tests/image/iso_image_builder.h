// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_volume.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarvelo::test {

// One directory record as a test writes it; identifiers are raw bytes ("\0" is ".",
// "\1" is "..", Joliet names already in UCS-2).
struct IsoRecord
{
    std::uint32_t block = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    std::string identifier;
    std::vector<std::uint8_t> systemUse;
    std::array<std::uint8_t, 7> recorded{}; // years since 1900 ... second, zone; 0: none
};

constexpr std::uint8_t kIsoDirectory = 0x02;
constexpr std::uint8_t kIsoAssociated = 0x04;
constexpr std::uint8_t kIsoMultiExtent = 0x80;

IsoRecord fileRecord(std::string identifier, std::uint32_t block, std::uint32_t length,
                     std::uint8_t flags = 0);
IsoRecord folderRecord(std::string identifier, std::uint32_t block, std::uint32_t length = 2048);
IsoRecord withSystemUse(IsoRecord record, std::vector<std::uint8_t> systemUse);

std::vector<std::uint8_t> isoRecordBytes(const IsoRecord& record);

// One system use entry ("NM", "TF"...): signature, length, version 1, then data.
std::vector<std::uint8_t> systemUseEntry(const char* signature,
                                         const std::vector<std::uint8_t>& data);

// UCS-2 big-endian bytes of an ASCII text, as Joliet writes names and labels.
std::string ucs2(const std::string& ascii);

struct IsoDescriptor
{
    std::uint8_t type = 1; // 1 primary, 2 supplementary
    bool joliet = false;
    std::string label; // written as given, space padded (Joliet: UCS-2 padded)
    std::uint32_t spaceSize = 0;
    std::uint16_t blockSize = 2048;
    std::uint32_t rootBlock = 0;
    std::uint32_t rootLength = 2048;
};

IsoDescriptor primaryDescriptor(std::string label, std::uint32_t rootBlock);
IsoDescriptor jolietDescriptor(std::string label, std::uint32_t rootBlock);

// A disc image laid out sector by sector, zero-filled.
class IsoImage
{
public:
    explicit IsoImage(std::size_t sectors) : m_bytes(sectors * kSector) {}

    static constexpr std::size_t kSector = 2048;

    IsoImage& descriptor(std::size_t sector, const IsoDescriptor& descriptor);
    IsoImage& terminator(std::size_t sector);
    // Packs the records from the sector on; one that does not fit starts the next sector.
    IsoImage& records(std::size_t sector, const std::vector<IsoRecord>& records);
    IsoImage& put(std::size_t offset, std::span<const std::uint8_t> bytes);
    IsoImage& put(std::size_t offset, const std::string& bytes);

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// The "." and ".." records of a directory at block, then the given records.
std::vector<IsoRecord> withSelfAndParent(std::uint32_t block, std::vector<IsoRecord> records);

// A primary-only image: descriptor at 16, terminator at 17, root directory at block 18
// holding the records given, of sectors sectors in all.
IsoImage plainImage(const std::vector<IsoRecord>& rootRecords, std::size_t sectors = 40);

// An image's bytes with every read counted; the image must outlive it.
class CountingSource final : public platform::ByteSource
{
public:
    explicit CountingSource(const IsoImage& image) : m_bytes(image.bytes()) {}

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        ++m_reads;
        m_bytes.readAt(offset, out);
    }
    int reads() const { return m_reads; }

private:
    platform::MemoryByteSource m_bytes;
    mutable int m_reads = 0;
};

// The image read as a disc; the image must outlive the volume.
std::unique_ptr<image::IsoVolume> isoVolume(const IsoImage& image,
                                               const std::string& path = "disc.iso",
                                               std::uint64_t sessionStartSector = 0);

} // namespace tarvelo::test
