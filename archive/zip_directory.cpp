#include "archive/zip_directory.h"

#include <algorithm>
#include <array>
#include <optional>

#include "archive/zip_records.h"
#include "common/checked.h"
#include "common/error.h"

namespace tarvelo::archive::zip {
namespace {

constexpr std::size_t kEndSearchSize = kEndRecordSize + kMaxCommentSize;
constexpr std::size_t kTailSize = kEndSearchSize + kZip64LocatorSize;
constexpr std::size_t kWalkChunkSize = 64 * 1024;

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

// Reads a file front to back in large pieces, so the walk over local headers costs few reads.
class ChunkReader
{
public:
    explicit ChunkReader(const platform::ByteSource& source) : m_source(source) {}

    // Fills out from offset; false when the file ends before out is full.
    bool read(std::uint64_t offset, std::span<std::uint8_t> out)
    {
        const std::uint64_t size = m_source.size();
        if (offset > size || out.size() > size - offset) return false;
        if (offset < m_windowAt || offset - m_windowAt > m_window.size() ||
            out.size() > m_window.size() - (offset - m_windowAt)) {
            m_windowAt = offset;
            m_window.resize(static_cast<std::size_t>(
                std::min<std::uint64_t>(std::max(out.size(), kWalkChunkSize), size - offset)));
            m_source.readAt(offset, m_window);
        }
        std::copy_n(m_window.begin() + static_cast<std::ptrdiff_t>(offset - m_windowAt), out.size(),
                    out.begin());
        return true;
    }

private:
    const platform::ByteSource& m_source;
    std::uint64_t m_windowAt = 0;
    std::vector<std::uint8_t> m_window;
};

// The bytes from a local header to the next record. Streamed ZIP64 writers leave the
// header's size saturated and keep both sizes in the header's ZIP64 block.
std::uint64_t localRecordSize(ChunkReader& reader, std::uint64_t at, const LocalHeader& header)
{
    constexpr std::size_t kCompressedSizeInBlock = 8;
    const std::uint64_t headerSize =
        kLocalHeaderSize + std::uint64_t{header.nameLength} + header.extraLength;
    std::uint64_t dataSize = header.compressedSize;
    if (dataSize == kZip64Dword) {
        std::vector<std::uint8_t> extra(header.extraLength);
        if (reader.read(at + kLocalHeaderSize + header.nameLength, extra)) {
            const std::optional<Bytes> block = findExtraBlock(extra, kExtraZip64);
            if (block && block->size() >= kCompressedSizeInBlock + 8)
                dataSize = le64(*block, kCompressedSizeInBlock);
        }
    }
    return common::checkedAdd(headerSize, dataSize);
}

// Steps from local header to local header until a central header; every step moves on.
std::uint64_t walkToCentralDirectory(ChunkReader& reader, common::NoticeSink& notices)
{
    bool noticed = false;
    std::array<std::uint8_t, kLocalHeaderSize> header{};
    for (std::uint64_t at = 0;;) {
        if (!reader.read(at, std::span(header).first<kSignatureSize>()))
            fail("no central directory before the end of the file");
        switch (le32(header, 0)) {
        case kCentralHeaderSignature:
            return at;
        case kLocalHeaderSignature:
            if (!reader.read(at, header)) fail("local header cut off by the end of the file");
            at = common::checkedAdd(at, localRecordSize(reader, at, decodeLocalHeader(header)));
            break;
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
std::vector<std::uint8_t> collectCentralHeaders(ChunkReader& reader, std::uint64_t offset)
{
    std::vector<std::uint8_t> headers;
    std::array<std::uint8_t, kCentralHeaderSize> fixed{};
    while (reader.read(offset, fixed) && hasSignature(fixed, 0, kCentralHeaderSignature)) {
        const std::size_t total = decodeCentralHeader(fixed).totalSize();
        const std::size_t oldSize = headers.size();
        headers.resize(oldSize + total);
        if (!reader.read(offset, std::span(headers).subspan(oldSize))) {
            headers.resize(oldSize);
            break;
        }
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

    ChunkReader reader(source);
    const std::uint64_t start = walkToCentralDirectory(reader, notices);
    return {collectCentralHeaders(reader, start), CentralDirectory::kUncounted, {}};
}

} // namespace tarvelo::archive::zip
