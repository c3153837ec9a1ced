// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_directory.h"
#include "image/iso9660_extent_claims.h"
#include "image/iso9660_file_source.h"
#include "image/iso9660_prefetch.h"
#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace tarvelo::image {

// A disc read directly from its sectors: an image file or an optical drive's device.
// Its paths are the source's path, "/" for the root ("backup/disc07.iso/"), then the
// folders inside ("backup/disc07.iso/DOCS"). Folders are read ahead in large requests,
// each once; a listed file is opened through the extents its listing found.
class IsoVolume final : public platform::Volume
{
public:
    // sessionStartSector: the first sector of the disc's last session (0 for an image).
    // A source without an ISO 9660 tree raises an error that names the reason.
    IsoVolume(std::shared_ptr<const platform::ByteSource> disc, const std::string& sourcePath,
              std::uint64_t sessionStartSector = 0);

    platform::VolumeFacts facts() const override { return m_facts; }
    std::string rootPath() const override { return m_rootPath; }
    char separator() const override { return '/'; }
    // A file's ref is its number in the files listed so far.
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override;
    std::unique_ptr<platform::ByteSource> openEntry(const std::string& path,
                                                    std::uint64_t ref) const override;
    // Finds the file by its path, reading its folder anew: for callers without a listing.
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override;

private:
    void expectPathTable(iso9660::DirectoryExtent table) const;
    iso9660::Extent folderExtent(const std::string& folderPath) const;
    bool admitFolder(const std::string& path, iso9660::Extent extent) const;
    std::unique_ptr<platform::ByteSource> openData(std::span<const iso9660::Extent> extents,
                                                   bool interleaved) const;

    std::shared_ptr<const platform::ByteSource> m_disc;
    std::string m_rootPath;
    platform::VolumeFacts m_facts;
    iso9660::TreeFormat m_format;
    // The folders listed so far by path, so a listing needs no walk from the root.
    mutable std::unordered_map<std::string, iso9660::Extent> m_folders;
    mutable iso9660::ExtentClaims m_claims;
    mutable iso9660::DirectoryPrefetch m_prefetch;
    mutable iso9660::FileTable m_files;
    mutable iso9660::SharedDataBudget m_sharedData;
};

} // namespace tarvelo::image
