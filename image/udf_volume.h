// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/cached_disc.h"
#include "image/iso9660_extent_claims.h"
#include "image/udf_directory.h"
#include "image/udf_file_entry.h"
#include "image/udf_partitions.h"
#include "platform/volume.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace tarvelo::image {


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
    // A subfolder as its parent's listing read it: its entry's address and its data, or
    // none where they could not be read (admitting it reads them again, to say why).
    struct Subfolder
    {
        udf::BlockAddress address;
        std::optional<udf::FileData> data;
    };
    struct Listing
    {
        std::vector<platform::FolderEntry> entries;
        std::map<std::size_t, Subfolder> subfolders; // by index in entries, so in their order
        std::size_t heldBytes = 0; // of the subfolders' data
    };

    bool admitFolder(const std::string& path, udf::BlockAddress address,
                     std::optional<udf::FileData> data) const;
    void readSubfoldersAhead(const std::string& folderPath,
                             const std::vector<platform::FolderEntry>& entries) const;
    // Whether folders' data of so many more bytes may be held.
    bool fitsKept(std::size_t moreBytes) const;
    void keepFolderData(const std::string& path, udf::FileData data) const;
    udf::FileData folderData(const std::string& folderPath) const;
    std::unique_ptr<platform::ByteSource> openData(udf::FileData data, const std::string& path) const;
    // The folder's entries, each file's and folder's read for its kind and size.
    Listing readEntries(const std::string& folderPath) const;
    void describe(const std::string& path, const udf::EntryBlock& entry, std::size_t index,
                  Listing& listing) const;

    std::shared_ptr<const CachedDisc> m_disc;
    std::string m_rootPath;
    platform::VolumeFacts m_facts;
    std::unique_ptr<udf::Partitions> m_partitions;
    // The folders listed so far by path, so a listing needs no walk from the root.
    mutable std::unordered_map<std::string, udf::BlockAddress> m_folders;
    // The entries and data of the folders handed out: one that overlaps them is a loop.
    mutable iso9660::ExtentClaims m_claims;
    mutable iso9660::SharedDataBudget m_sharedData;
    // The data of folders admitted but not listed yet, so their entries are not read
    // again, within a bound of bytes held.
    mutable std::unordered_map<std::string, udf::FileData> m_folderData;
    mutable std::size_t m_folderDataBytes = 0;
};

} // namespace tarvelo::image
