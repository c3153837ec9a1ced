// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

namespace tarvelo::platform {

// The facts of a disc that head the report.
struct VolumeFacts
{
    std::string label;
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;
    std::int32_t serialNumber = 0;
};

enum class EntryKind
{
    Folder,
    RegularFile, // the only kind that is ever opened as an archive
    OtherFile,   // symbolic links, FIFOs, sockets, devices: listed and counted as files
};

// When a file's data were last changed, in seconds since 1970-01-01 00:00 UTC. Empty
// where the disc records no date, or one that names no moment (a damaged record).
using ModifiedTime = std::optional<std::int64_t>;

// One entry of a folder, as a single listing gives it.
struct FolderEntry
{
    std::string name;
    EntryKind kind = EntryKind::RegularFile;
    std::uint64_t size = 0;
    // The volume's own note of where the file lies, handed back to openEntry() so the
    // file is opened as listed, not found again by its name. Opaque to everyone else;
    // a volume that opens by path leaves it 0.
    std::uint64_t ref = 0;
    ModifiedTime modified = std::nullopt;
    // Where a file's data begin on the disc, in bytes, so that files can be read in the
    // order they lie; 0 where the volume cannot tell (a host folder).
    std::uint64_t position = 0;
};

// Receives a folder's entries one at a time, so a large folder is never held twice.
class EntrySink
{
public:
    // ref, modified and position: as in FolderEntry.
    virtual void entry(std::string_view name, EntryKind kind, std::uint64_t size,
                       std::uint64_t ref, ModifiedTime modified, std::uint64_t position) = 0;

protected:
    ~EntrySink() = default;
};

// What a volume keeps of a listed folder so that its subfolders are reached from it, not
// through the whole path again (the host keeps the folder open). A walk drops it once the
// folder's subfolders are listed; it never outlives its volume.
class FolderAnchor
{
public:
    virtual ~FolderAnchor() = default;
};

// A folder to list: its path, and for a subfolder reached from its parent, the parent's
// anchor and the subfolder's own name.
struct FolderPlace
{
    const std::string& path;
    std::shared_ptr<const FolderAnchor> parent; // none: the folder is reached by its path
    std::string_view name;
};

// A listed folder's anchor (none where the volume keeps nothing), or word that the
// folder has gone since its parent was listed.
struct FolderListing
{
    bool gone = false;
    std::shared_ptr<const FolderAnchor> anchor;
};

// One disc's tree: a mounted disc, a disc image, a drive read directly, or a tree in
// memory. Paths are the volume's own: the root path ends with the separator ("D:\",
// "disc/"), a folder's path is its parent's path joined with its name.
class Volume : public FileOpener
{
public:
    virtual VolumeFacts facts() const = 0;
    virtual std::string rootPath() const = 0;
    virtual char separator() const = 0;

    // The entries directly in the folder, in no particular order. A folder that cannot
    // be read raises an error with the reason.
    virtual std::vector<FolderEntry> listFolder(const std::string& folderPath) const = 0;

    // Opens a regular file that listFolder() gave, through the entry's ref; path (the
    // folder's path joined with the entry's name) is for messages. A volume whose names
    // may hold its separator, or that finds a listed file faster than by its path (a
    // disc image, say), overrides it; by default it opens path.
    virtual std::unique_ptr<ByteSource> openEntry(const std::string& path, std::uint64_t ref) const;

    // The same entries into sink. Only a folder reached from its parent's anchor can
    // have gone; any other failure raises an error with the reason.
    virtual FolderListing listEntries(const FolderPlace& place, EntrySink& sink) const;

    std::string childPath(std::string_view folderPath, std::string_view name) const;
};

// Opens the one listed file whose path an archive reader is handed through its entry,
// and any other path by path.
class EntryOpener final : public FileOpener
{
public:
    EntryOpener(const Volume& volume, const std::string& path, std::uint64_t ref)
        : m_volume(volume), m_path(path), m_ref(ref)
    {
    }

    std::unique_ptr<ByteSource> openFile(const std::string& path) const override;

private:
    const Volume& m_volume;
    const std::string& m_path;
    std::uint64_t m_ref;
};

// Turns what the user chose (a folder, an image, a drive) into a volume. A source that
// is not ready (no disc, no such folder) raises an error whose text says why.
class VolumeOpener
{
public:
    virtual ~VolumeOpener() = default;
    virtual std::unique_ptr<Volume> openVolume(const std::string& source) const = 0;
};

} // namespace tarvelo::platform
