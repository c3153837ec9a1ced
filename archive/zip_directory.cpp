// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_directory.h"

#include "archive/archive_reader.h"
#include "common/checked.h"
#include "common/error.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tarvelo::archive::zip {
namespace {

constexpr std::size_t kEndSearchSize = kEndRecordSize + kMaxCommentSize;
constexpr std::size_t kTailSize = kEndSearchSize + kZip64LocatorSize;
// Read first: it holds the end records and the whole directory of most small archives,
// which then cost one short request; on a drive the bytes of a full tail read in vain
// cost as much as a seek. Only an archive whose end records it does not show costs the
// full tail as well.
constexpr std::size_t kShortTailSize = 8 * 1024;

[[noreturn]] void fail(const char* reason)
{
    throw Error(ErrorNumber::InvalidFileFormat, reason);
}

// The last bytes of the file, read once; the end records lie in them.
struct FileTail
{
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

FileTail readTail(ReadWindow& window, std::size_t size)
{
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(window.size(), size));
    const auto bytes = window.bytesAt(window.size() - count, count);
    return {window.size() - count, {bytes->begin(), bytes->end()}};
}

// The count bytes at offset (a small record), from the tail when it holds them; nothing
// when they pass the end of the file.
std::optional<Bytes> readRange(ReadWindow& window, const FileTail& tail, std::uint64_t offset,
                               std::size_t count)
{
    if (offset >= tail.offset && offset - tail.offset <= tail.bytes.size() &&
        count <= tail.bytes.size() - (offset - tail.offset))
        return Bytes(tail.bytes).subspan(static_cast<std::size_t>(offset - tail.offset), count);
    return window.peek(offset, count);
}

bool holdsSignature(ReadWindow& window, const FileTail& tail, std::uint64_t at,
                    std::uint32_t signature)
{
    const auto bytes = readRange(window, tail, at, kSignatureSize);
    return bytes && hasSignature(*bytes, 0, signature);
}

// What the end records say of the directory; end is where the first end record begins,
// so the directory lies before it.
struct DirectoryFacts
{
    std::uint64_t entries = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint64_t end = 0;
};

// The ZIP64 end record and its offset. A self-extractor stub in front shifts it like the
// directory, so the place right before the locator is tried after the locator's offset.
std::optional<std::pair<std::uint64_t, Zip64EndRecord>>
findZip64EndRecord(ReadWindow& window, const FileTail& tail, std::uint64_t locatorAt)
{
    const auto locator = readRange(window, tail, locatorAt, kZip64LocatorSize);
    if (!locator || !hasSignature(*locator, 0, kZip64LocatorSignature)) return std::nullopt;
    const std::uint64_t stated =
        decodeZip64Locator(locator->first<kZip64LocatorSize>()).endRecordOffset;
    for (const std::uint64_t at :
         {stated, locatorAt - std::min<std::uint64_t>(locatorAt, kZip64EndRecordSize)}) {
        if (at > locatorAt || locatorAt - at < kZip64EndRecordSize) continue;
        const auto record = readRange(window, tail, at, kZip64EndRecordSize);
        if (record && hasSignature(*record, 0, kZip64EndRecordSignature))
            return std::pair(at, decodeZip64EndRecord(record->first<kZip64EndRecordSize>()));
    }
    return std::nullopt;
}

DirectoryFacts directoryFacts(ReadWindow& window, const FileTail& tail, const EndRecord& end,
                              std::uint64_t endAt)
{
    DirectoryFacts facts{end.entriesOnDisk, end.directorySize, end.directoryOffset, endAt};
    const bool saturated = end.entriesOnDisk == kZip64Word || end.directorySize == kZip64Dword ||
                           end.directoryOffset == kZip64Dword;
    if (!saturated || endAt < kZip64LocatorSize) return facts;
    const auto zip64 = findZip64EndRecord(window, tail, endAt - kZip64LocatorSize);
    if (!zip64) return facts;
    const auto& [recordAt, record] = *zip64;
    facts.end = recordAt;
    if (end.entriesOnDisk == kZip64Word) facts.entries = record.entriesOnDisk;
    if (end.directorySize == kZip64Dword) facts.size = record.directorySize;
    if (end.directoryOffset == kZip64Dword) facts.offset = record.directoryOffset;
    return facts;
}

// Where the directory starts: at its stated offset, or, when data in front of the archive
// (a self-extractor stub) shifted everything, its size before the end records. Only a
// place that holds a central header will do, so a damaged end record costs no large read.
std::optional<std::uint64_t> directoryStart(ReadWindow& window, const FileTail& tail,
                                            const DirectoryFacts& facts)
{
    const auto holdsCentralHeader = [&](std::uint64_t at) {
        return at <= facts.end && facts.end - at >= kSignatureSize &&
               holdsSignature(window, tail, at, kCentralHeaderSignature);
    };
    if (holdsCentralHeader(facts.offset)) return facts.offset;
    if (facts.size <= facts.end && holdsCentralHeader(facts.end - facts.size))
        return facts.end - facts.size;
    return std::nullopt;
}

// The directory an end record at endInTail describes, when it is where the record says.
std::optional<DirectoryPlace> placeByEndRecord(ReadWindow& window, const FileTail& tail,
                                               std::size_t endInTail)
{
    const Bytes endBytes = Bytes(tail.bytes).subspan(endInTail);
    const EndRecord end = decodeEndRecord(endBytes.first<kEndRecordSize>());
    const DirectoryFacts facts = directoryFacts(window, tail, end, tail.offset + endInTail);
    DirectoryPlace place{facts.end, facts.end, facts.entries, {}};
    if (facts.entries != 0) {
        const std::optional<std::uint64_t> start = directoryStart(window, tail, facts);
        if (!start) return std::nullopt;
        place.start = *start;
    }
    const Bytes comment = endBytes.subspan(kEndRecordSize, end.commentLength);
    place.comment.assign(comment.begin(), comment.end());
    return place;
}

// The bytes from a local header to the next record. Streamed ZIP64 writers leave the
// header's size saturated and keep both sizes in the header's ZIP64 block.
std::uint64_t localRecordSize(ReadWindow& window, std::uint64_t at, const LocalHeader& header)
{
    constexpr std::size_t kCompressedSizeInBlock = 8;
    const std::uint64_t headerSize =
        kLocalHeaderSize + std::uint64_t{header.nameLength} + header.extraLength;
    std::uint64_t dataSize = header.compressedSize;
    if (dataSize == kZip64Dword) {
        const auto extra =
            window.bytesAt(at + kLocalHeaderSize + header.nameLength, header.extraLength);
        const std::optional<Bytes> block =
            extra ? findExtraBlock(*extra, kExtraZip64) : std::nullopt;
        if (block && block->size() >= kCompressedSizeInBlock + 8)
            dataSize = le64(*block, kCompressedSizeInBlock);
    }
    return common::checkedAdd(headerSize, dataSize);
}

// Steps from local header to local header until a central header. Every step moves on,
// and a place that holds no known record ends the walk: a file that is no ZIP archive is
// never searched through to its end.
std::uint64_t walkToCentralDirectory(ReadWindow& window, common::NoticeSink& notices)
{
    for (std::uint64_t at = 0;;) {
        const auto signature = window.bytesAt(at, kSignatureSize);
        if (!signature) fail("no central directory before the end of the file");
        switch (le32(*signature, 0)) {
        case kCentralHeaderSignature:
            return at;
        case kLocalHeaderSignature: {
            const auto header = window.bytesAt(at, kLocalHeaderSize);
            if (!header) fail("local header cut off by the end of the file");
            const LocalHeader local = decodeLocalHeader(header->first<kLocalHeaderSize>());
            at = common::checkedAdd(at, localRecordSize(window, at, local));
            break;
        }
        case kDataDescriptorSignature:
            at += kDataDescriptorSize;
            break;
        default:
            notices.notice("Unknown header");
            fail("no central directory: the local headers end in unknown data");
        }
    }
}

// A comment may hold the end signature itself: the last record that checks out wins.
std::optional<DirectoryPlace> placeByLastEndRecord(ReadWindow& window, const FileTail& tail)
{
    for (std::optional<std::size_t> at = findEndRecord(tail.bytes, kEndSearchSize); at;
         at = findEndRecord(tail.bytes, kEndSearchSize, *at)) {
        if (std::optional<DirectoryPlace> place = placeByEndRecord(window, tail, *at))
            return place;
    }
    return std::nullopt;
}

} // namespace

DirectoryPlace locateCentralDirectory(ReadWindow& window, common::NoticeSink& notices)
{
    // The short tail's records are the last ones of the full tail, tried in the same order.
    if (window.size() > kShortTailSize) {
        if (auto place = placeByLastEndRecord(window, readTail(window, kShortTailSize)))
            return std::move(*place);
    }
    const FileTail tail = readTail(window, kTailSize);
    if (findEndRecord(tail.bytes, kEndSearchSize)) {
        if (auto place = placeByLastEndRecord(window, tail)) return std::move(*place);
        fail("no central directory where the end record says");
    }
    const std::uint64_t start = walkToCentralDirectory(window, notices);
    return {start, window.size(), DirectoryPlace::kUncounted, {}};
}

void endAtDamage(std::uint64_t listed, const char* damage, common::NoticeSink& notices)
{
    if (listed == 0) fail(damage);
    notices.notice(damagedListingNotice(listed, damage));
}

} // namespace tarvelo::archive::zip
