// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/kept_text.h"

#include "common/error.h"

#include <zlib.h>

#include <new>

namespace tarvelo::catalog {
namespace {

// zlib never expands a stream more than about a thousandfold, so a length claimed
// beyond that is damage, and no more is ever allocated than the row can fill.
constexpr std::uint64_t kMostExpansion = 1032;

[[noreturn]] void damaged(std::int64_t discId)
{
    throw Error(ErrorNumber::InvalidFileFormat,
                "the kept report text of disc " + std::to_string(discId) + " is damaged");
}

} // namespace

void keepText(Database& db, std::int64_t discId, std::string_view text)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::bad_alloc(); // the only way it fails with room for the worst case
    packed.resize(size);
    db.prepare("INSERT INTO disc_report(disc, size, text) VALUES(?, ?, ?)")
        .bind(1, discId)
        .bind(2, static_cast<std::int64_t>(text.size()))
        .bindBlob(3, packed)
        .run();
}

std::optional<std::string> keptText(Database& db, std::int64_t discId)
{
    Statement row = db.prepare("SELECT size, text FROM disc_report WHERE disc = ?");
    row.bind(1, discId);
    if (!row.step()) return std::nullopt;
    const std::int64_t claimed = row.integer(0);
    const std::string_view packed = row.blob(1);
    if (claimed < 0 || static_cast<std::uint64_t>(claimed) > packed.size() * kMostExpansion)
        damaged(discId);
    std::string text(static_cast<std::size_t>(claimed), '\0');
    uLongf size = static_cast<uLongf>(text.size());
    if (uncompress(reinterpret_cast<Bytef*>(text.data()), &size,
                   reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size())) != Z_OK ||
        size != text.size())
        damaged(discId);
    return text;
}

} // namespace tarvelo::catalog
