// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/folder_table.h"

#include "catalog/packed_numbers.h"
#include "common/error.h"

#include <algorithm>

namespace tarvelo::catalog {
namespace {

[[noreturn]] void damaged()
{
    throw Error(ErrorNumber::InvalidFileFormat, "the catalogue's folder table is damaged");
}

std::uint32_t readOrFail(std::string_view bytes, std::size_t& at)
{
    const std::optional<std::uint32_t> value = readNumber(bytes, at);
    if (!value) damaged();
    return *value;
}

} // namespace

void FolderTableWriter::add(std::uint32_t offset, std::optional<std::uint32_t> parentOffset,
                            StoredKind kind, std::string_view name)
{
    switch (kind) {
    case StoredKind::Folder:
        m_containers.push_back({offset, numberOf(parentOffset), std::string(name)});
        break;
    case StoredKind::File:
    case StoredKind::OtherFile:
        m_lastFile = {offset, numberOf(parentOffset), std::string(name)};
        break;
    case StoredKind::ArchiveFolder:
    case StoredKind::ArchiveFile:
        // An archive's entries follow it: the first one makes it a container.
        if (m_lastFile && parentOffset == m_lastFile->offset) {
            m_containers.push_back(std::move(*m_lastFile));
            m_lastFile.reset();
        }
        break;
    }
}

// Containers are added in offset order, so the parent's number is found by bisection.
std::uint32_t FolderTableWriter::numberOf(std::optional<std::uint32_t> offset)
{
    if (!offset) return 0;
    // Files come folder by folder: most ask for the parent the one before asked for.
    if (m_lastParent && m_lastParent->first == *offset) return m_lastParent->second;
    const auto found = std::lower_bound(
        m_containers.begin(), m_containers.end(), *offset,
        [](const Container& container, std::uint32_t wanted) { return container.offset < wanted; });
    if (found == m_containers.end() || found->offset != *offset)
        throw Error(ErrorNumber::InvalidFileFormat, "an entry whose folder is not there");
    m_lastParent.emplace(*offset, static_cast<std::uint32_t>(found - m_containers.begin()) + 1);
    return m_lastParent->second;
}

std::string FolderTableWriter::bytes() const
{
    std::string bytes;
    std::uint32_t previous = 0;
    for (const Container& container : m_containers) {
        appendNumber(bytes, container.offset - previous);
        appendNumber(bytes, container.parent);
        appendNumber(bytes, static_cast<std::uint32_t>(container.name.size()));
        bytes += container.name;
        previous = container.offset;
    }
    return bytes;
}

FolderPaths::FolderPaths(Database& db)
    : m_row(db.prepare("SELECT folders FROM disc_folders WHERE disc = ?"))
{
}

const std::string& FolderPaths::pathOf(const DiscRecord& disc, std::uint32_t offset)
{
    const std::vector<Container>& containers = containersOf(disc);
    const auto found = std::lower_bound(
        containers.begin(), containers.end(), offset,
        [](const Container& container, std::uint32_t wanted) { return container.offset < wanted; });
    if (found == containers.end() || found->offset != offset)
        throw Error(ErrorNumber::InvalidFileFormat, "an entry whose folder is not there");
    return pathAt(static_cast<std::size_t>(found - containers.begin()));
}

const std::vector<FolderPaths::Container>& FolderPaths::containersOf(const DiscRecord& disc)
{
    if (disc.id != m_disc) load(disc);
    return m_containers;
}

void FolderPaths::load(const DiscRecord& disc)
{
    m_disc = -1;
    m_containers.clear();
    m_row.bind(1, disc.id);
    m_bytes = m_row.step() ? std::string(m_row.blob(0)) : std::string();
    m_row.reset();
    const std::string_view bytes = m_bytes;
    std::uint64_t offset = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        offset += readOrFail(bytes, at);
        const std::uint32_t parent = readOrFail(bytes, at);
        const std::uint32_t length = readOrFail(bytes, at);
        // Parents come first, offsets increase and names lie within the row.
        const bool increasing = m_containers.empty() || offset > m_containers.back().offset;
        if (parent > m_containers.size() || !increasing || offset > UINT32_MAX ||
            length > bytes.size() - at)
            damaged();
        const std::string_view name = bytes.substr(at, length);
        m_containers.push_back({static_cast<std::uint32_t>(offset), parent, name, {}});
        at += length;
    }
    m_disc = disc.id;
}

// Made from the nearest container above whose path is known, walking down again.
const std::string& FolderPaths::pathAt(std::size_t number)
{
    std::vector<std::size_t> unknown;
    for (std::size_t at = number; !m_containers[at].path;) {
        unknown.push_back(at);
        if (m_containers[at].parent == 0) break;
        at = m_containers[at].parent - 1;
    }
    for (auto step = unknown.rbegin(); step != unknown.rend(); ++step) {
        Container& container = m_containers[*step];
        if (container.parent == 0) {
            container.path.emplace(); // the root, or a top container of a damaged table
            continue;
        }
        const std::string& above = *m_containers[container.parent - 1].path;
        container.path = above.empty() ? std::string(container.name)
                                       : above + '/' + std::string(container.name);
    }
    return *m_containers[number].path;
}

} // namespace tarvelo::catalog
