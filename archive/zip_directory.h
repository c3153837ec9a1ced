// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "archive/read_window.h"
#include "archive/zip_records.h"
#include "common/notice_sink.h"

namespace tarvelo::archive::zip {

// Where the central directory lies; its headers are read from there in chunks, never
// copied into memory whole.
struct DirectoryPlace
{
    static constexpr std::uint64_t kUncounted = std::numeric_limits<std::uint64_t>::max();

    std::uint64_t start = 0;           // the first central header
    std::uint64_t end = 0;             // no header runs past this offset
    std::uint64_t entryCount = 0;      // as the end record gives it, kUncounted without one
    std::vector<std::uint8_t> comment; // the archive comment, raw
};

// Finds the central directory through the end record, searched backwards from the end of
// the file (a candidate whose directory is not where it says gives way to the one before
// it), else by walking the local headers from the start, which ends at the first place
// that holds no known record ("Unknown header" goes to notices). Fails when there is no
// central directory to find.
DirectoryPlace locateCentralDirectory(ReadWindow& window, common::NoticeSink& notices);

// Damage after `listed` headers: with some listed, notices hear of it; with none, it fails.
void endAtDamage(std::uint64_t listed, const char* damage, common::NoticeSink& notices);

// Hands the headers of the directory to visitor.centralHeader(const CentralHeader&, Bytes
// variable), the name, extra field and comment after the fixed part, at most `limit` of
// them and no more than the end record counts. A header with another signature ends the
// directory; one whose lengths run past its end, or a directory that ends before its
// count, is damage: with headers before it they are kept and notices hear of it, without
// any it fails. A template: it runs once per entry, so the visitor's call is inlined.
template <typename Visitor>
void visitCentralHeaders(ReadWindow& window, const DirectoryPlace& place, std::uint64_t limit,
                         Visitor& visitor, common::NoticeSink& notices)
{
    limit = std::min(limit, place.entryCount);
    std::uint64_t listed = 0;
    const char* damage = nullptr;
    for (std::uint64_t at = place.start; listed < limit; ++listed) {
        const auto fixed = place.end - at >= kCentralHeaderSize
                               ? window.bytesAt(at, kCentralHeaderSize)
                               : std::nullopt;
        if (!fixed || !hasSignature(*fixed, 0, kCentralHeaderSignature)) {
            if (place.entryCount != DirectoryPlace::kUncounted)
                damage = "it ends before the entries its end record counts";
            break;
        }
        const CentralHeader header = decodeCentralHeader(fixed->first<kCentralHeaderSize>());
        const std::size_t total = header.totalSize();
        if (place.end - at < total) {
            damage = "a header runs past its end";
            break;
        }
        const auto whole = window.bytesAt(at, total);
        visitor.centralHeader(header, whole->subspan(kCentralHeaderSize));
        at += total;
    }
    if (damage) endAtDamage(listed, damage, notices);
}

} // namespace tarvelo::archive::zip
