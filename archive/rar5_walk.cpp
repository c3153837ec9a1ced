// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar5_records.h"
#include "archive/rar_names.h"
#include "archive/rar_walk.h"

namespace tarvelo::archive::rar {
namespace {

// Where a header's bytes lie in the file.
struct HeaderSpan
{
    std::uint64_t at = 0;   // first byte after the size field
    std::uint64_t size = 0; // bytes from the type field to the end of the extra area
};

// The span of the header at offset at; nothing when the file ends inside its CRC and
// size fields.
std::optional<HeaderSpan> locateHeader(ReadWindow& window, std::uint64_t at)
{
    const std::uint64_t room = window.size() - at;
    const std::size_t prefix = rar5::kCrcSize + rar5::kMaxVintSize;
    const auto bytes = window.bytesAt(at, room < prefix ? static_cast<std::size_t>(room) : prefix);
    if (!bytes || bytes->size() < rar5::kCrcSize) return std::nullopt;
    const auto size = rar5::decodeVint(bytes->subspan(rar5::kCrcSize));
    if (!size) return std::nullopt;
    if (size->value == 0 || size->value > rar5::kMaxHeaderSize)
        throwDamaged("header size out of range");
    return HeaderSpan{at + rar5::kCrcSize + size->length, size->value};
}

void addFileEntry(const rar5::Header& header, std::uint64_t dataAt,
                  const common::CodePage& oemCodePage, WalkListener& listener, std::string& scratch)
{
    rar5::FileHead head = rar5::decodeFileHead(header);
    const DecodedText name = utf8OrOem(head.name, true, oemCodePage, scratch);
    head.entry.FileName = name.text;
    head.entry.FileNameLineSafe = name.lineSafe;
    head.entry.DataPos = static_cast<std::int64_t>(dataAt) + 1;
    listener.fileEntry(head.entry);
}

} // namespace

void walkRar5Blocks(ReadWindow& window, const common::CodePage& oemCodePage, WalkListener& listener)
{
    std::uint64_t at = kRar5Signature.size();
    std::string nameScratch; // reused: most names need no copy, the rest no new buffer
    while (const auto where = locateHeader(window, at)) {
        const auto bytes = window.bytesAt(where->at, static_cast<std::size_t>(where->size));
        if (!bytes) return;
        const rar5::Header header = rar5::decodeHeader(*bytes);
        const std::uint64_t dataAt = where->at + where->size;
        if (header.type == rar5::kEncryptionHeader || header.type == rar5::kEndHeader) return;
        if (header.type == rar5::kFileHeader)
            addFileEntry(header, dataAt, oemCodePage, listener, nameScratch);
        if (header.dataSize > window.size() - dataAt) return;
        at = dataAt + header.dataSize;
    }
}

} // namespace tarvelo::archive::rar
