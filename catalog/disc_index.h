// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/folder_table.h"
#include "catalog/name_index.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// A disc's index rows, made and ready to store.
struct DiscIndexRows
{
    NameIndexRows names;
    std::string folders;

    void write(Database& db, std::int64_t discId) const;
};

// What find reads instead of every entry: a disc's name index and its folder table,
// made from its entries as they are stored, and written with them.
class DiscIndexWriter
{
public:
    void reserve(std::size_t entries) { m_names.reserve(entries); }
    // Every entry of the disc in increasing offset order (offsets from its first entry);
    // kind is a StoredKind, kInexact added or not.
    void add(std::uint32_t offset, std::optional<std::uint32_t> parentOffset, std::int64_t kind,
             std::string_view name);
    // The rows of all that was added, made once at the end: the writer gives up what it
    // held to make them.
    DiscIndexRows takeRows();

private:
    NameIndexWriter m_names;
    FolderTableWriter m_folders;
    std::string m_key; // reused for each name's search key
};

void removeDiscIndex(Database& db, std::int64_t discId);

// Writes the index rows of every disc from its stored entries; the caller holds the
// transaction (a catalogue brought up to date).
void buildDiscIndexes(Database& db);

// Each disc whose index rows differ from what its stored entries give, and rows of discs
// that are gone, as one sentence each.
std::vector<std::string> checkDiscIndexes(Database& db);

} // namespace tarvelo::catalog
