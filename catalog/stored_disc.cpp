#include "catalog/stored_disc.h"

#include "catalog/schema.h"
#include "common/error.h"

#include <unordered_map>

namespace tarvelo::catalog {
namespace {

// Rows come in the order the walk stored them: each folder, then its files, each listed
// archive's entries right after the archive.
class TreeBuilder
{
public:
    TreeBuilder(const DiscRecord& disc, StoredDisc& stored) : m_disc(disc), m_stored(stored) {}

    void add(const Statement& row)
    {
        const std::int64_t id = row.integer(0);
        const std::int64_t parent = row.integer(1);
        const auto kind = static_cast<StoredKind>(row.integer(2) & kKindMask);
        const auto size = static_cast<std::uint64_t>(row.integer(4));
        std::string name(row.text(3));
        switch (kind) {
        case StoredKind::Folder:
            return addFolder(id, parent, row.isNull(1), std::move(name), size);
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
    std::vector<report::ScannedFolder>& folders() { return m_stored.scan.folders; }

    std::size_t folderIndex(std::int64_t id) const
    {
        const auto found = m_folders.find(id);
        if (found == m_folders.end())
            throw Error(ErrorNumber::InvalidFileFormat, "an entry outside its disc's folders");
        return found->second;
    }

    void addFolder(std::int64_t id, std::int64_t parent, bool isRoot, std::string name,
                   std::uint64_t size)
    {
        report::ScannedFolder folder;
        if (isRoot) {
            folder.path = m_disc.rootPath;
        } else {
            folder.parent = folderIndex(parent);
            folder.path = childPath(folders()[folder.parent].path, name);
            ++folders()[folder.parent].subfolderCount;
        }
        folder.name = std::move(name);
        folder.totalSize = size;
        m_folders[id] = folders().size();
        folders().push_back(std::move(folder));
    }

    void addFile(std::int64_t id, std::int64_t parent, StoredKind kind, std::string name,
                 std::uint64_t size, const Statement& row)
    {
        report::ScannedFolder& folder = folders()[folderIndex(parent)];
        if (!row.isNull(5)) {
            StoredArchive& archive = m_stored.archives[childPath(folder.path, name)];
            archive.count = static_cast<std::int32_t>(row.integer(5));
            m_archives[id] = &archive;
        }
        const auto fileKind = kind == StoredKind::File ? platform::EntryKind::RegularFile
                                                       : platform::EntryKind::OtherFile;
        folder.files.push_back({std::move(name), size, fileKind});
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
        const char separator = separatorOf(m_disc);
        if (path.empty() || path.back() != separator) path += separator;
        path += name;
        return path;
    }

    const DiscRecord& m_disc;
    StoredDisc& m_stored;
    std::unordered_map<std::int64_t, std::size_t> m_folders;
    std::unordered_map<std::int64_t, StoredArchive*> m_archives;
};

} // namespace

StoredDisc loadDisc(Database& db, const DiscRecord& disc)
{
    StoredDisc stored;
    stored.scan.totalFiles = static_cast<std::int32_t>(disc.files);
    stored.scan.totalFolders = static_cast<std::int32_t>(disc.folders);
    Statement rows = db.prepare("SELECT id, parent, kind, name, size, listed, packed FROM entry "
                                "WHERE id BETWEEN ? AND ? ORDER BY id");
    rows.bind(1, disc.firstEntry).bind(2, disc.lastEntry);
    TreeBuilder builder(disc, stored);
    while (rows.step())
        builder.add(rows);
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
    const auto& folders = m_stored.scan.folders;
    std::vector<platform::FolderEntry> entries;
    std::size_t index = 0;
    while (index < folders.size() && folders[index].path != folderPath)
        ++index;
    if (index == folders.size())
        throw Error(ErrorNumber::PathNotFound, folderPath + ": no such folder on the disc");
    for (const report::ScannedFile& file : folders[index].files)
        entries.push_back({file.name, file.kind, file.size});
    for (std::size_t below = index + 1; below < folders.size(); ++below)
        if (folders[below].parent == index)
            entries.push_back({folders[below].name, platform::EntryKind::Folder, 0});
    return entries;
}

std::unique_ptr<platform::ByteSource> StoredVolume::openFile(const std::string& path) const
{
    throw Error(ErrorNumber::FileNotFound, path + ": the catalogue keeps no file contents");
}

} // namespace tarvelo::catalog
