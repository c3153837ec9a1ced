// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::platform {

// The trees behind MemoryFileSystem: one per drive letter, with Windows paths.

inline constexpr char kMemorySeparator = '\\';

struct MemoryNode
{
    EntryKind kind = EntryKind::Folder;
    std::uint64_t size = 0;
    ModifiedTime modified;                     // files: the date a listing gives
    std::optional<std::string> bytes;          // files: none for a file of bare size
    std::optional<std::string> listingFailure; // folders: why listing fails
    std::map<std::string, std::unique_ptr<MemoryNode>> children;
};

struct MemoryDrive
{
    char letter = 'A';
    std::optional<VolumeFacts> disc; // none: the drive is empty
    MemoryNode root;
};

struct MemoryPath
{
    char letter = 0;                // upper case
    std::vector<std::string> names; // below the root
};

// "D:", "D:\" and "D:\DOCS\A.TXT"; nothing for a path of another shape.
std::optional<MemoryPath> parseMemoryPath(std::string_view path);

struct MemoryFilePath
{
    MemoryPath folder;
    std::string name;
};

// "D:\DOCS\A.TXT" as its folder and its name; nothing for a root or another shape.
std::optional<MemoryFilePath> parseMemoryFilePath(std::string_view path);

std::string memoryRootPath(char letter);

// The child of that name, or null.
MemoryNode* childNode(const MemoryNode& folder, const std::string& name);

// The node at names below root, or null.
MemoryNode* findNode(MemoryNode& root, const std::vector<std::string>& names);

// The folder at names below root; a missing one raises the path-not-found error naming path.
MemoryNode& findFolder(MemoryNode& root, const std::vector<std::string>& names,
                       const std::string& path);

// The folder at names below root, made with the folders on the way when missing.
MemoryNode& makeFolders(MemoryNode& root, const std::vector<std::string>& names);

} // namespace tarvelo::platform
