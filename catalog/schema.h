// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/sqlite.h"

#include <cstdint>

namespace tarvelo::catalog {

// The version this program writes; a catalogue of an older version is brought up to it
// step by step when it is opened for writing.
inline constexpr std::int64_t kSchemaVersion = 4;

// Marks the file as a catalogue ("Tarv"), so another program's database is never taken
// for one.
inline constexpr std::int64_t kApplicationId = 0x54617276;

// What an entry row is; a row whose size stands for a size text has kInexact added.
enum class StoredKind : std::int64_t
{
    Folder = 0,
    File = 1,
    OtherFile = 2, // links, FIFOs, devices: never opened as archives
    ArchiveFolder = 3,
    ArchiveFile = 4,
};
inline constexpr std::int64_t kInexact = 8;
inline constexpr std::int64_t kKindMask = 7;

// Checks that the database is a catalogue this program can use, and makes an empty one
// or brings an older one up to date. Any other file raises an error before anything is
// written to it.
void prepareSchema(Database& db);

} // namespace tarvelo::catalog
