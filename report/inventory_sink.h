// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelo::report {

// Hears the disc as the report walks it, so the one scan that writes a report can fill a
// catalogue as well. Names arrive as the report shows them. Calls come in report order:
// volume once, then each folder (pre-order, the root first) followed by its files, each
// listed archive's count right after its file, then the archive's entries.
class InventorySink
{
public:
    virtual ~InventorySink() = default;

    virtual void volume(const platform::VolumeFacts& facts, std::int32_t totalFiles,
                        std::int32_t totalFolders, const std::string& rootPath,
                        char separator) = 0;
    // index counts folders from 0 (the root); parent is the index of the folder holding it.
    virtual void folder(std::size_t index, std::size_t parent, std::string_view name,
                        std::uint64_t totalSize) = 0;
    virtual void file(std::string_view name, std::uint64_t size, platform::EntryKind kind,
                      platform::ModifiedTime modified) = 0;
    // The number of entries the archive's directory declares, before they are read.
    virtual void archiveListed(std::int32_t count) = 0;
    virtual void archiveEntry(std::string_view name, bool isFolder, std::uint64_t size,
                              std::uint64_t packedSize) = 0;
};

} // namespace tarvelo::report
