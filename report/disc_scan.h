// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"
#include "report/name_arena.h"
#include "report/outcome.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>

namespace tarvelo::report {

struct ScannedFile
{
    std::string_view name;
    std::uint64_t size = 0;
    platform::EntryKind kind = platform::EntryKind::RegularFile;
    std::uint64_t ref = 0; // the listing's FolderEntry::ref, to open the file by
    platform::ModifiedTime modified = std::nullopt; // kept only by a scan that keeps dates
    std::uint64_t position = 0; // the listing's FolderEntry::position, where it was kept
};

// A folder as the scan keeps it. Its path is not kept: a walk in the scan's order builds
// it from its ancestors' names (FolderPath).
struct ScannedFolder
{
    std::string_view name;  // empty for the root
    std::size_t parent = 0; // index of the parent folder; the root is its own parent
    std::size_t firstFile = 0;
    std::size_t fileCount = 0;
    std::size_t subfolderCount = 0;
    std::uint64_t totalSize = 0; // its files and everything below it that was read
};

enum class ScanEnd
{
    Complete,
    Unreadable, // a folder could not be listed: the scan ends before it
    Stopped,    // the user asked to stop
};

// The disc as the report shows it, read once: folders in the order the report writes
// them (pre-order, the root first), files ordered by name. Every entry is kept until the
// report is written, as a compact record with its name in one arena.
class DiscScan
{
public:
    // A catalogue stores each file's date; the report shows none, so a scan for the
    // report alone does not spend memory on them.
    enum class Dates
    {
        Dropped,
        Kept,
    };

    explicit DiscScan(Dates dates = Dates::Dropped) : m_keepDates(dates == Dates::Kept) {}

    std::size_t folderCount() const noexcept { return m_folders.size(); }
    ScannedFolder folder(std::size_t index) const;
    // A file by its index across the whole scan: folder.firstFile and those after it.
    ScannedFile file(std::size_t index) const;
    std::int32_t totalFiles() const noexcept { return m_totalFiles; }
    std::int32_t totalFolders() const noexcept { return m_totalFolders; } // below the root

    ScanEnd end = ScanEnd::Complete;
    std::optional<Problem> unreadable; // the folder that ended the scan, and why

    // Filling, in pre-order: each folder, then its files. A name kept for a folder to come:
    NameRef keepName(std::string_view name) { return m_names.add(name); }
    std::string_view name(NameRef ref) const noexcept { return m_names.view(ref); }
    // Starts the next folder: the root first (its own parent), then each after its parent.
    // Here and in addFile, a count past 32 bits raises the overflow error.
    void addFolder(NameRef name, std::size_t parent);
    // A file of the last folder.
    void addFile(std::string_view name, platform::EntryKind kind, std::uint64_t size,
                 std::uint64_t ref, platform::ModifiedTime modified = std::nullopt,
                 std::uint64_t position = 0);
    // Puts the last folder's files in report order.
    void sortFiles();
    // Forgets the last folder and its files.
    void dropFolder();
    void setSubfolderCount(std::size_t folder, std::size_t count);
    // Adds every folder's size to its ancestors', once the last folder is in.
    void addUpSizes();

private:
    // 16 bytes: the size, the name, and a bit each for whether it is a regular file and
    // whether a ref and a position follow the name in the arena (a host gives neither, so
    // they cost nothing). Where dates are kept, every name ends with its file's date.
    struct FileRecord
    {
        std::uint64_t size = 0;
        std::uint64_t nameAndFlags = 0;
    };
    // The name alone, without the ref, position and date that may follow it in the arena.
    std::string_view nameOf(const FileRecord& record) const noexcept;
    std::size_t trailerSize(const FileRecord& record) const noexcept;
    struct FolderRecord
    {
        NameRef name;
        std::uint32_t parent = 0;
        std::uint32_t firstFile = 0;
        std::uint32_t fileCount = 0;
        std::uint32_t subfolderCount = 0;
        std::uint64_t totalSize = 0;
    };

    NameArena m_names;
    // Deques grow by blocks, never by copying everything: no moment holds two copies.
    std::deque<FileRecord> m_files;
    std::deque<FolderRecord> m_folders;
    std::int32_t m_totalFiles = 0;
    std::int32_t m_totalFolders = 0;
    bool m_keepDates = false;
};

} // namespace tarvelo::report
