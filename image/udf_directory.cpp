// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_directory.h"

#include "common/error.h"
#include "common/text.h"
#include "image/iso9660_directory.h"

#include <algorithm>
#include <string>

namespace tarvelo::image::udf {
namespace {

using iso9660::kDirectoryReadSize;

bool isBlank(Bytes bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// Identifiers follow one another over the folder's data, crossing block and piece
// boundaries; a piece's unfinished identifier is kept for the next one.
class IdentifierParser
{
public:
    explicit IdentifierParser(std::string_view what) : m_what(what) {}

    // Takes the next piece of data; false once blank space ends the identifiers.
    bool feed(Bytes piece);
    void finish() const;
    std::vector<DirectoryItem> items() { return std::move(m_items); }

private:
    void add(const FileIdentifier& identifier);

    std::string_view m_what;
    std::vector<std::uint8_t> m_pending;
    std::vector<DirectoryItem> m_items;
};

bool IdentifierParser::feed(Bytes piece)
{
    m_pending.insert(m_pending.end(), piece.begin(), piece.end());
    const Bytes bytes(m_pending);
    std::size_t at = 0;
    bool more = true;
    while (bytes.size() - at >= kTagSize) {
        if (isBlank(bytes.subspan(at, kTagSize))) {
            more = false;
            at = bytes.size();
            break;
        }
        const auto identifier = decodeFileIdentifier(bytes.subspan(at));
        if (!identifier) break;
        requireTag(bytes.subspan(at, identifier->size), kTagFileIdentifier, std::nullopt,
                   "file identifier in the folder " + std::string(m_what));
        add(*identifier);
        at += identifier->size;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(at));
    return more;
}

void IdentifierParser::finish() const
{
    if (!m_pending.empty())
        throw Error(ErrorNumber::InvalidFileFormat, "the UDF volume is damaged: the folder " +
                                                        std::string(m_what) +
                                                        " ends inside a file identifier");
}

void IdentifierParser::add(const FileIdentifier& identifier)
{
    if ((identifier.characteristics & (kFidDeleted | kFidParent)) != 0) return;
    if (identifier.entry.length == 0) return; // names no file
    std::string name = common::asPathComponent(decodeDchars(identifier.name));
    if (name.empty()) return;
    m_items.push_back({std::move(name), identifier.entry.where});
}

} // namespace

std::vector<DirectoryItem> readDirectory(const platform::ByteSource& data, std::string_view what)
{
    IdentifierParser parser(what);
    std::vector<std::uint8_t> piece;
    for (std::uint64_t done = 0; done < data.size(); done += piece.size()) {
        piece.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kDirectoryReadSize, data.size() - done)));
        data.readAt(done, piece);
        if (!parser.feed(piece)) return parser.items();
    }
    parser.finish();
    return parser.items();
}

} // namespace tarvelo::image::udf
