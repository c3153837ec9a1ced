// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/memory_tree.h"
#include "platform/output.h"
#include "platform/volume.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tarvelo::platform {

// What the report outputs of a memory file system refuse; each holds until cleared.
struct OutputFaults
{
    std::optional<std::string> createRefused;  // create() fails with this reason
    std::optional<std::uint64_t> spaceLeft;    // a write past this many bytes finds a full disk
    std::optional<std::string> replaceRefused; // replace() fails with this reason
};

// Drives held in memory with Windows paths ("D:\", "D:\DOCS\A.TXT"), for tests: discs with
// folders and files, folders that cannot be listed, and outputs that fail where a test
// says. Names are compared exactly (case matters). Reports are written into the same
// trees, so tests read them back and see what else a folder holds.
class MemoryFileSystem final : public VolumeOpener, public OutputService
{
public:
    MemoryFileSystem();
    ~MemoryFileSystem() override;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    // A drive with a disc in it (or a hard disk), and a drive without one.
    void addDrive(char letter, const VolumeFacts& facts);
    void addEmptyDrive(char letter);

    // Each makes the folders on the way; the drive must have been added.
    void addFolder(const std::string& path);
    void addFile(const std::string& path, const std::string& bytes);
    // A file of a size but no bytes (reads give zeros), so a huge file costs nothing.
    void addSizedFile(const std::string& path, std::uint64_t size,
                      EntryKind kind = EntryKind::RegularFile);
    // The date a listing gives for an added file; none until one is set.
    void setModified(const std::string& path, ModifiedTime modified);
    // Listing the folder raises an error with this reason.
    void failListing(const std::string& folderPath, const std::string& reason);

    OutputFaults& outputFaults() noexcept { return m_faults; }
    // The bytes of a file, or nothing when no file with bytes is there.
    std::optional<std::string> contents(const std::string& path) const;

    // Sources "D:" and "D:\". A drive without a disc raises the disk-not-ready error.
    std::unique_ptr<Volume> openVolume(const std::string& source) const override;

    bool exists(const std::string& path) const override;
    std::unique_ptr<PendingFile> create(const std::string& path) override;

private:
    // The drive of an added letter; a volume opened by a const service still reads the tree.
    MemoryDrive& drive(char letter) const;
    MemoryNode* find(const std::string& path) const;
    MemoryNode& makeFolderPath(const std::string& path);
    MemoryNode& addNode(const std::string& path, EntryKind kind, std::uint64_t size);

    std::map<char, std::unique_ptr<MemoryDrive>> m_drives;
    OutputFaults m_faults;
};

} // namespace tarvelo::platform
