#pragma once

#include "image/iso9660_directory.h"
#include "image/iso9660_extent_claims.h"
#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace tarvelo::image {

// A disc read directly from its sectors: an image file or an optical drive's device.
// Its paths are the source's path, "/" for the root ("backup/disc07.iso/"), then the
// folders inside ("backup/disc07.iso/DOCS").
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
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override;
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override;

  private:
    iso9660::Extent folderExtent(const std::string& folderPath) const;
    bool admitFolder(const std::string& path, iso9660::Extent extent) const;
    // The folder's items, read anew, and kept as the last folder read.
    const std::vector<iso9660::DirectoryItem>& readItems(const std::string& folderPath) const;

    std::shared_ptr<const platform::ByteSource> m_disc;
    std::string m_rootPath;
    platform::VolumeFacts m_facts;
    iso9660::TreeFormat m_format;
    // The folders listed so far by path, so a listing needs no walk from the root.
    mutable std::unordered_map<std::string, iso9660::Extent> m_folders;
    mutable iso9660::ExtentClaims m_claims;
    // A walk opens the archives of the folder it has just listed: they are found here
    // rather than by reading the folder's records once more for every archive.
    mutable std::string m_lastFolder;
    mutable std::vector<iso9660::DirectoryItem> m_lastItems;
};

} // namespace tarvelo::image
