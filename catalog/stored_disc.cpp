// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/stored_disc.h"

#include "catalog/schema.h"
#include "common/error.h"
#include "report/folder_path.h"

#include <unordered_map>

namespace tarvelo::catalog {
namespace {

// Rows come in the order the walk stored them: each folder, then its files, each listed
// archive's entries right after the archive.
class TreeBuilder
{
public:
    TreeBuilder(const DiscRecord& disc, StoredDisc& stored)
        : m_stored(stored), m_path(disc.rootPath, separatorOf(disc))
    {
    }

    void add(const Statement& row)
    {
        const std::int64_t id = row.integer(0);
        const std::int64_t parent = row.integer(1);
        const auto kind = static_cast<StoredKind>(row.integer(2) & kKindMask);
        const auto size = static_cast<std::uint64_t>(row.integer(4));
        std::string name(row.text(3));
        switch (kind) {
        case StoredKind::Folder:
            return addFolder(id, parent, row.isNull(1), name);
        case StoredKind::File:
        case StoredKind::OtherFile:
            return addFile(id, parent, kind, std::move(name), size, row);
        case StoredKind::ArchiveFolder:
        case StoredKind::ArchiveFile:
            return addEntry(parent, {std::move(name), kind == StoredKind::ArchiveFolder, size,
                                     static_cast<std::uint64_t>(row.integer(6))});
        }
        throw Error(ErrorNumber::InvalidFileFormat, "an entry of an unknown kind");
    }

private:
    report::DiscScan& scan() { return m_stored.scan; }

    std::size_t folderIndex(std::int64_t id) const
    {
        const auto found = m_folders.find(id);
        if (found == m_folders.end())
            throw Error(ErrorNumber::InvalidFileFormat, "an entry outside its disc's folders");
        return found->second;
    }

    // A folder's size is added up again from its files, as the walk did.
    void addFolder(std::int64_t id, std::int64_t parent, bool isRoot, std::string_view name)
    {
        const std::size_t index = scan().folderCount();
        if (isRoot != (index == 0))
            throw Error(ErrorNumber::InvalidFileFormat, "a disc's root is not its first folder");
        const std::size_t parentIndex = isRoot ? 0 : folderIndex(parent);
        if (!isRoot) {
            m_path.enter(index, parentIndex, name);
            scan().setSubfolderCount(parentIndex, scan().folder(parentIndex).subfolderCount + 1);
        }
        scan().addFolder(scan().keepName(name), parentIndex);
        m_folders[id] = index;
    }

    void addFile(std::int64_t id, std::int64_t parent, StoredKind kind, std::string name,
                 std::uint64_t size, const Statement& row)
    {
        if (folderIndex(parent) + 1 != scan().folderCount())
            throw Error(ErrorNumber::InvalidFileFormat, "a file away from its folder");
        if (!row.isNull(5)) {
            StoredArchive& archive = m_stored.archives[childPath(m_path.current(), name)];
            archive.count = static_cast<std::int32_t>(row.integer(5));
            m_archives[id] = &archive;
        }
        const auto fileKind = kind == StoredKind::File ? platform::EntryKind::RegularFile
                                                       : platform::EntryKind::OtherFile;
        scan().addFile(name, fileKind, size, 0);
    }

    void addEntry(std::int64_t parent, StoredArchiveEntry entry)
    {
        const auto found = m_archives.find(parent);
        if (found == m_archives.end())
            throw Error(ErrorNumber::InvalidFileFormat, "an archive entry outside a listed archive");
        found->second->entries.push_back(std::move(entry));
    }

    std::string childPath(const std::string& folderPath, std::string_view name) const
    {
        std::string path = folderPath;
        const char separator = m_path.separator();
        if (path.empty() || path.back() != separator) path += separator;
        path += name;
        return path;
    }

    StoredDisc& m_stored;
    report::FolderPath m_path; // of the last folder
    std::unordered_map<std::int64_t, std::size_t> m_folders;
    std::unordered_map<std::int64_t, StoredArchive*> m_archives;
};

} // namespace

StoredDisc loadDisc(Database& db, const DiscRecord& disc)
{
    StoredDisc stored;
    Statement rows = db.prepare("SELECT id, parent, kind, name, size, listed, packed FROM entry "
                                "WHERE id BETWEEN ? AND ? ORDER BY id");
    rows.bind(1, disc.firstEntry).bind(2, disc.lastEntry);
    TreeBuilder builder(disc, stored);
    while (rows.step())
        builder.add(rows);
    stored.scan.addUpSizes();
    return stored;
}

StoredVolume::StoredVolume(const DiscRecord& disc, const StoredDisc& stored)
    : m_disc(disc), m_stored(stored)
{
}

platform::VolumeFacts StoredVolume::facts() const
{
    return {m_disc.label, m_disc.totalBytes, m_disc.freeBytes,
            static_cast<std::int32_t>(m_disc.serial)};
}

std::vector<platform::FolderEntry> StoredVolume::listFolder(const std::string& folderPath) const
{
    const report::DiscScan& scan = m_stored.scan;
    report::FolderPath path(rootPath(), separator());
    std::size_t index = 0;
    while (index < scan.folderCount() && path.current() != folderPath)
        if (++index < scan.folderCount())
            path.enter(index, scan.folder(index).parent, scan.folder(index).name);
    if (index == scan.folderCount())
        throw Error(ErrorNumber::PathNotFound, folderPath + ": no such folder on the disc");
    std::vector<platform::FolderEntry> entries;
    const report::ScannedFolder folder = scan.folder(index);
    for (std::size_t file = folder.firstFile; file < folder.firstFile + folder.fileCount; ++file)
        entries.push_back({std::string(scan.file(file).name), scan.file(file).kind,
                           scan.file(file).size});
    for (std::size_t below = index + 1; below < scan.folderCount(); ++below)
        if (scan.folder(below).parent == index)
            entries.push_back({std::string(scan.folder(below).name), platform::EntryKind::Folder, 0});
    return entries;
}

std::unique_ptr<platform::ByteSource> StoredVolume::openFile(const std::string& path) const
{
    throw Error(ErrorNumber::FileNotFound, path + ": the catalogue keeps no file contents");
}

} // namespace tarvelo::catalog
