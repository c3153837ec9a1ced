// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

enum class HitKind
{
    Folder,
    File,
    ArchiveEntry,
};

// One entry as find and export give it: its disc, and its path relative to the disc's
// root with "/" between names (an archive entry's path is its archive's path, "/" and
// the entry's name as the report lists it).
struct Hit
{
    const DiscRecord* disc = nullptr;
    std::string path;
    std::uint64_t size = 0;
    bool exact = true;
    HitKind kind = HitKind::File;
    // Seconds since 1970-01-01 00:00 UTC, where the disc records a date.
    std::optional<std::int64_t> modified = std::nullopt;
};

enum class HitFormat
{
    Text,  // LABEL<TAB>PATH<TAB>SIZE
    Jsonl, // one object a line
    Csv,   // a header line, then one record a line
};

std::string_view kindName(HitKind kind);

// The size as text shows it: the byte count, or for an inexact one the size text it
// stands for ("1.21 KBytes").
std::string sizeField(const Hit& hit);

// The lines a listing of hits begins with (the CSV header), then one hit's line; each
// ends with a newline. An inexact size shows in text as the size text it stands for.
std::string hitListingStart(HitFormat format);
std::string hitLine(HitFormat format, const Hit& hit);
// The same line added to out, which a long listing reuses line after line.
void appendHitLine(std::string& out, HitFormat format, const Hit& hit);

// A JSON string literal and a CSV field, for the formats that write them.
std::string jsonString(std::string_view text);
std::string csvField(std::string_view text);

} // namespace tarvelo::catalog
