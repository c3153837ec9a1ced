#include "archive/zip_directory.h"

#include <algorithm>
#include <optional>

#include "archive/read_window.h"
#include "archive/zip_records.h"
#include "common/checked.h"
#include "common/error.h"

namespace tarvelo::archive::zip {
namespace {

constexpr std::size_t kEndSearchSize = kEndRecordSize + kMaxCommentSize;
constexpr std::size_t kTailSize = kEndSearchSize + kZip64LocatorSize;

[[noreturn]] void fail(const char* reason)
{
    throw Error(ErrorNumber::InvalidFileFormat, reason);
}

// The last bytes of the file, read once; most small archives lie in them whole.
struct FileTail
{
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

FileTail readTail(const platform::ByteSource& source)
{
    const std::uint64_t size = source.size();
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, kTailSize));
    return {size - count, source.read(size - count, count)};
}

// The count bytes at offset, from the tail when it holds them.
std::vector<std::uint8_t> readRange(const platform::ByteSource& source, const FileTail& tail,
                                    std::uint64_t offset, std::size_t count)
{
    if (offset >= tail.offset && offset - tail.offset <= tail.bytes.size() &&
        count <= tail.bytes.size() - (offset - tail.offset)) {
        const auto first = tail.bytes.begin() + static_cast<std::ptrdiff_t>(offset - tail.offset);
        return {first, first + static_cast<std::ptrdiff_t>(count)};
    }
    return source.read(offset, count);
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
std::optional<std::pair<std::uint64_t, Zip64EndRecord>> findZip64EndRecord(
    const platform::ByteSource& source, const FileTail& tail, std::uint64_t locatorAt)
{
    const std::vector<std::uint8_t> locator = readRange(source, tail, locatorAt, kZip64LocatorSize);
    if (!hasSignature(locator, 0, kZip64LocatorSignature)) return std::nullopt;
    const std::uint64_t stated =
        decodeZip64Locator(std::span(locator).first<kZip64LocatorSize>()).endRecordOffset;
    for (const std::uint64_t at :
         {stated, locatorAt - std::min<std::uint64_t>(locatorAt, kZip64EndRecordSize)}) {
        if (at > locatorAt || locatorAt - at < kZip64EndRecordSize) continue;
        const std::vector<std::uint8_t> record = readRange(source, tail, at, kZip64EndRecordSize);
        if (hasSignature(record, 0, kZip64EndRecordSignature))
            return std::pair(at,
                             decodeZip64EndRecord(std::span(record).first<kZip64EndRecordSize>()));
    }
    return std::nullopt;
}

DirectoryFacts directoryFacts(const platform::ByteSource& source, const FileTail& tail,
                              const EndRecord& end, std::uint64_t endAt)
{
    DirectoryFacts facts{end.entriesOnDisk, end.directorySize, end.directoryOffset, endAt};
    const bool saturated = end.entriesOnDisk == kZip64Word || end.directorySize == kZip64Dword ||
                           end.directoryOffset == kZip64Dword;
    if (!saturated || endAt < kZip64LocatorSize) return facts;
    const auto zip64 = findZip64EndRecord(source, tail, endAt - kZip64LocatorSize);
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
std::uint64_t directoryStart(const platform::ByteSource& source, const FileTail& tail,
                             const DirectoryFacts& facts)
{
    const auto holdsCentralHeader = [&](std::uint64_t at) {
        return at <= facts.end && facts.end - at >= kSignatureSize &&
               hasSignature(readRange(source, tail, at, kSignatureSize), 0,
                            kCentralHeaderSignature);
    };
    if (holdsCentralHeader(facts.offset)) return facts.offset;
    if (facts.size <= facts.end && holdsCentralHeader(facts.end - facts.size))
        return facts.end - facts.size;
    fail("no central directory where the end record says");
}

CentralDirectory readByEndRecord(const platform::ByteSource& source, const FileTail& tail,
                                 std::size_t endInTail)
{
    const Bytes endBytes = Bytes(tail.bytes).subspan(endInTail);
    const EndRecord end = decodeEndRecord(endBytes.first<kEndRecordSize>());
    CentralDirectory directory;
    directory.comment.assign(endBytes.begin() + kEndRecordSize,
                             endBytes.begin() + kEndRecordSize + end.commentLength);
    const DirectoryFacts facts = directoryFacts(source, tail, end, tail.offset + endInTail);
    directory.entryCount = facts.entries;
    if (facts.entries == 0) return directory;

    const std::uint64_t start = directoryStart(source, tail, facts);
    directory.headers =
        readRange(source, tail, start, common::checkedCast<std::size_t>(facts.end - start));
    return directory;
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

// Steps from local header to local header until a central header; every step moves on.
std::uint64_t walkToCentralDirectory(ReadWindow& window, common::NoticeSink& notices)
{
    bool noticed = false;
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
            if (!noticed) notices.notice("Unknown header");
            noticed = true;
            at += kSignatureSize;
        }
    }
}

// The complete central headers that follow one another from offset on.
std::vector<std::uint8_t> collectCentralHeaders(ReadWindow& window, std::uint64_t offset)
{
    std::vector<std::uint8_t> headers;
    while (const auto fixed = window.bytesAt(offset, kCentralHeaderSize)) {
        if (!hasSignature(*fixed, 0, kCentralHeaderSignature)) break;
        const std::size_t total =
            decodeCentralHeader(fixed->first<kCentralHeaderSize>()).totalSize();
        const auto whole = window.bytesAt(offset, total);
        if (!whole) break;
        headers.insert(headers.end(), whole->begin(), whole->end());
        offset += total;
    }
    return headers;
}

} // namespace

CentralDirectory readCentralDirectory(const platform::ByteSource& source,
                                      common::NoticeSink& notices)
{
    const FileTail tail = readTail(source);
    if (const std::optional<std::size_t> endAt = findEndRecord(tail.bytes, kEndSearchSize))
        return readByEndRecord(source, tail, *endAt);

    ReadWindow window(source);
    const std::uint64_t start = walkToCentralDirectory(window, notices);
    return {collectCentralHeaders(window, start), CentralDirectory::kUncounted, {}};
}

} // namespace tarvelo::archive::zip
