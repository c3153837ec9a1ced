// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "catalog/schema.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// The folders and archives of a disc (everything an entry can stand in) in one row, so
// the path of any entry is made from one read instead of a read per folder above it.
class FolderTableWriter
{
public:
    // Every entry, in increasing offset order; parentOffset is none for the root.
    void add(std::uint32_t offset, std::optional<std::uint32_t> parentOffset, StoredKind kind,
             std::string_view name);
    // The encoded row: each container's offset (as the difference from the one before),
    // the number of its parent in the table plus one (0 for none), its name's length
    // and the name.
    std::string bytes() const;

private:
    struct Container
    {
        std::uint32_t offset;
        std::uint32_t parent; // its number in m_containers plus one; 0 for none
        std::string name;
    };

    std::uint32_t numberOf(std::optional<std::uint32_t> offset);

    std::vector<Container> m_containers;
    std::optional<Container> m_lastFile;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> m_lastParent; // offset, number
};

// The paths of the containers of one disc after another, read from their rows once.
class FolderPaths
{
public:
    explicit FolderPaths(Database& db);

    // The path from the disc's root of the folder or archive at the offset ("" for the
    // root); raises an error when the disc holds no container there.
    const std::string& pathOf(const DiscRecord& disc, std::uint32_t offset);

    struct Container
    {
        std::uint32_t offset;
        std::uint32_t parent; // its number in the table plus one; 0 for the root
        std::string_view name;
        std::optional<std::string> path;
    };

    // The disc's containers in offset order (parents before their children); valid until
    // another disc is asked for.
    const std::vector<Container>& containersOf(const DiscRecord& disc);

private:

    void load(const DiscRecord& disc);
    const std::string& pathAt(std::size_t number);

    Statement m_row;
    std::int64_t m_disc = -1;
    std::string m_bytes;
    std::vector<Container> m_containers;
};

} // namespace tarvelo::catalog
