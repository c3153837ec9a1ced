// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "platform/volume.h"
#include "report/scan.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvelo::catalog {

struct StoredArchiveEntry
{
    std::string name;
    bool isFolder = false;
    std::uint64_t size = 0;
    std::uint64_t packedSize = 0;
};

// An archive as its listing was when the disc was catalogued: the count its directory
// declared and the entries read (fewer when the listing stopped at damage).
struct StoredArchive
{
    std::int32_t count = 0;
    std::vector<StoredArchiveEntry> entries;
};

// A catalogued disc read back in the shape the report walk takes, so its report is
// written by the same code that wrote it first.
struct StoredDisc
{
    report::DiscScan scan;
    std::map<std::string, StoredArchive> archives; // by the archive's full path
};

StoredDisc loadDisc(Database& db, const DiscRecord& disc);

// The catalogued disc as a volume: its facts, paths and folders. Its files have no bytes
// in the catalogue, so none can be opened.
class StoredVolume final : public platform::Volume
{
public:
    StoredVolume(const DiscRecord& disc, const StoredDisc& stored);

    platform::VolumeFacts facts() const override;
    std::string rootPath() const override { return m_disc.rootPath; }
    char separator() const override { return separatorOf(m_disc); }
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override;
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override;

private:
    const DiscRecord& m_disc;
    const StoredDisc& m_stored;
};

} // namespace tarvelo::catalog
