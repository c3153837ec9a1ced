// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix_fd.h"
#include "platform/volume.h"

namespace tarvelo::platform {

// The path without its trailing slashes; "/" (or a run of slashes) stays "/".
std::string withoutTrailingSlashes(std::string_view path);

struct FolderDescriptorBudget;

// A folder tree of the host, such as a mounted disc. Paths are host paths built on the
// source as the user gave it: the root is "SOURCE/", a subfolder "SOURCE/DOCS".
// The walk stays on the source's file system and never follows a symbolic link.
class PosixVolume final : public Volume
{
public:
    // source must name a folder; an error with the reason otherwise.
    explicit PosixVolume(std::string_view source);

    VolumeFacts facts() const override;
    std::string rootPath() const override;
    char separator() const override { return '/'; }

    // Entries that vanish while the folder is read are left out. A folder on another file
    // system (a mount point below the source) lists as empty: it is not entered.
    std::vector<FolderEntry> listFolder(const std::string& folderPath) const override;

    // A subfolder is opened from its parent's open descriptor, never through a symbolic
    // link. Descriptors are kept for as many folders as the budget allows; past it, a
    // folder is reached from its nearest ancestor that is still open.
    FolderListing listEntries(const FolderPlace& place, EntrySink& sink) const override;

    std::unique_ptr<ByteSource> openFile(const std::string& path) const override;

private:
    // An open folder for listing; nothing when it lies on another file system or (with
    // a parent) has gone.
    UniqueFd openFolder(const FolderPlace& place) const;
    UniqueFd openChild(int parentFd, std::string_view name) const;

    std::string m_source;
    dev_t m_device;
    std::shared_ptr<FolderDescriptorBudget> m_budget;
    mutable bool m_noAccessTime = true; // dropped once the system refuses it
};

} // namespace tarvelo::platform
