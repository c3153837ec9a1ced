// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_extent_claims.h"
#include "image/udf_directory.h"
#include "image/udf_partitions.h"
#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace tarvelo::image {

namespace udf {
class EntryBlock;
}

// A UDF disc read directly from its sectors: an image file or an optical drive's device.
// Its paths are the source's path, "/" for the root, then the folders inside, as with
// IsoVolume.
class UdfVolume final : public platform::Volume
{
  public:
    // sessionStartSector: the first 2048-byte sector of the disc's last session (0 for an
    // image); lastWrittenSector: where the last track ends, when the drive can say (an
    // image's end otherwise). A volume that is damaged raises an error that names what.
    UdfVolume(std::shared_ptr<const platform::ByteSource> disc, const std::string& sourcePath,
              std::uint64_t sessionStartSector = 0,
              std::optional<std::uint64_t> lastWrittenSector = std::nullopt);
    ~UdfVolume() override;

    platform::VolumeFacts facts() const override { return m_facts; }
    std::string rootPath() const override { return m_rootPath; }
    char separator() const override { return '/'; }
    // A file's ref is where its entry lies.
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override;
    std::unique_ptr<platform::ByteSource> openEntry(const std::string& path,
                                                    std::uint64_t ref) const override;
    // Finds the file by its path, reading its folder anew: for callers without a listing.
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override;

  private:
    void readFacts(const udf::VolumeLayout& layout, udf::BlockAddress fileSet,
                   common::Bytes fileSetBlock);
    udf::BlockAddress folderAddress(const std::string& folderPath) const;
    bool admitFolder(const std::string& path, const udf::EntryBlock& entry) const;
    std::unique_ptr<platform::ByteSource> openData(const udf::EntryBlock& entry,
                                                   const std::string& path) const;
    // The folder's entries, each file's and folder's read for its kind and size.
    std::vector<platform::FolderEntry> readEntries(const std::string& folderPath) const;

    std::shared_ptr<const platform::ByteSource> m_disc;
    std::string m_rootPath;
    platform::VolumeFacts m_facts;
    std::unique_ptr<udf::Partitions> m_partitions;
    // The folders listed so far by path, so a listing needs no walk from the root.
    mutable std::unordered_map<std::string, udf::BlockAddress> m_folders;
    // The entries and data of the folders handed out: one that overlaps them is a loop.
    mutable iso9660::ExtentClaims m_claims;
    mutable iso9660::SharedDataBudget m_sharedData;
};

} // namespace tarvelo::image
