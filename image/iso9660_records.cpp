// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_records.h"

#include "common/civil_time.h"
#include "common/text.h"

#include <algorithm>
#include <array>

namespace tarvelo::image::iso9660 {
namespace {

// The Joliet escape sequences: "%/" and "@", "C" or "E" for UCS-2 levels 1 to 3.
bool isJolietEscape(Bytes escapes)
{
    return escapes[0] == '%' && escapes[1] == '/' &&
           (escapes[2] == '@' || escapes[2] == 'C' || escapes[2] == 'E');
}

std::string trimmedLabel(std::string label)
{
    const auto end = label.find_last_not_of(std::string_view(" \0", 2));
    label.erase(end == std::string::npos ? 0 : end + 1);
    return label;
}

// The zone byte counts quarter hours, -48 (west) to +52 (east).
int zoneMinutes(std::uint8_t zone)
{
    constexpr int kWestmost = -48;
    constexpr int kEastmost = 52;
    const int quarters = static_cast<std::int8_t>(zone);
    return quarters >= kWestmost && quarters <= kEastmost ? quarters * 15 : 0;
}

// A run of ASCII digits as a number; -1 when any is not a digit.
int digits(Bytes text)
{
    int value = 0;
    for (const std::uint8_t c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isSurrogate(char32_t unit, char32_t first)
{
    return unit >= first && unit < first + 0x400;
}

} // namespace

std::optional<std::int64_t> decodeShortDate(Bytes date)
{
    const common::CivilTime time{1900 + date[0], date[1], date[2], date[3], date[4], date[5]};
    return common::secondsSinceEpoch(time, zoneMinutes(date[6]));
}

std::optional<std::int64_t> decodeLongDate(Bytes date)
{
    const common::CivilTime time{digits(date.first(4)),     digits(date.subspan(4, 2)),
                                 digits(date.subspan(6, 2)),  digits(date.subspan(8, 2)),
                                 digits(date.subspan(10, 2)), digits(date.subspan(12, 2))};
    if (time.year < 0) return std::nullopt; // not digits: every other field is checked
    return common::secondsSinceEpoch(time, zoneMinutes(date[16]));
}

std::optional<DirectoryRecord> decodeDirectoryRecord(Bytes record)
{
    if (record.size() <= kRecordFixedSize || record[0] != record.size()) return std::nullopt;
    const std::size_t identifierLength = record[kIdentifierLengthAt];
    if (identifierLength == 0 || kRecordFixedSize + identifierLength > record.size())
        return std::nullopt;

    DirectoryRecord decoded;
    decoded.extendedAttributeBlocks = record[kExtendedAttributeLengthAt];
    decoded.extentBlock = both32(record, kExtentLocationAt);
    decoded.dataLength = both32(record, kDataLengthAt);
    decoded.flags = record[kFileFlagsAt];
    decoded.interleaved = record[kFileUnitSizeAt] != 0 || record[kInterleaveGapAt] != 0;
    decoded.recorded = decodeShortDate(record.subspan(kRecordingDateAt, kShortDateSize));
    decoded.identifier = record.subspan(kRecordFixedSize, identifierLength);
    // An even identifier length is followed by one padding byte.
    const std::size_t systemUseAt =
        kRecordFixedSize + identifierLength + (identifierLength % 2 == 0 ? 1 : 0);
    if (systemUseAt < record.size()) decoded.systemUse = record.subspan(systemUseAt);
    return decoded;
}

bool hasStandardIdentifier(Sector sector)
{
    return std::equal(kStandardIdentifier.begin(), kStandardIdentifier.end(),
                      sector.begin() + kDescriptorIdentifierAt);
}

std::uint8_t descriptorType(Sector sector)
{
    return sector[0];
}

bool isJolietDescriptor(Sector sector)
{
    return descriptorType(sector) == kSupplementaryDescriptor &&
           isJolietEscape(sector.subspan(kEscapeSequencesAt, 3));
}

VolumeDescriptor decodeVolumeDescriptor(Sector sector)
{
    VolumeDescriptor descriptor;
    descriptor.joliet = isJolietDescriptor(sector);
    const Bytes label = sector.subspan(kVolumeIdentifierAt, kVolumeIdentifierSize);
    descriptor.label = trimmedLabel(descriptor.joliet ? decodeUcs2(label)
                                                      : std::string(label.begin(), label.end()));
    descriptor.volumeSpaceSize = both32(sector, kVolumeSpaceSizeAt);
    descriptor.logicalBlockSize = both16(sector, kLogicalBlockSizeAt);
    const auto root =
        decodeDirectoryRecord(sector.subspan(kRootDirectoryRecordAt, kRootDirectoryRecordSize));
    if (root && root->isDirectory())
        descriptor.root = DirectoryExtent{root->dataBlock(), root->dataLength};
    descriptor.pathTable = {le32(sector, kTypeLPathTableAt), both32(sector, kPathTableSizeAt)};
    descriptor.serialNumber = volumeSerialNumber(sector);
    return descriptor;
}

std::int32_t volumeSerialNumber(Sector sector)
{
    std::array<std::uint8_t, 4> lanes{};
    for (std::size_t i = 0; i < sector.size(); ++i)
        lanes[i % 4] = static_cast<std::uint8_t>(lanes[i % 4] + sector[i]);
    const std::uint32_t serial = static_cast<std::uint32_t>(lanes[0]) << 24 |
                                 static_cast<std::uint32_t>(lanes[1]) << 16 |
                                 static_cast<std::uint32_t>(lanes[2]) << 8 | lanes[3];
    return static_cast<std::int32_t>(serial);
}

std::string decodeUcs2(Bytes bytes)
{
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        char32_t unit = static_cast<char32_t>(bytes[at] << 8 | bytes[at + 1]);
        if (isSurrogate(unit, 0xD800) && at + 3 < bytes.size()) {
            const auto low = static_cast<char32_t>(bytes[at + 2] << 8 | bytes[at + 3]);
            if (isSurrogate(low, 0xDC00)) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        common::appendUtf8(text, unit); // a lone surrogate becomes U+FFFD
    }
    return text;
}

std::string withoutVersion(std::string name)
{
    const auto separator = name.rfind(';');
    if (separator != std::string::npos &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(separator) + 1, name.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        name.erase(separator);
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

} // namespace tarvelo::image::iso9660
