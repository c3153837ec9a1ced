// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/error.h"
#include "platform/volume.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace tarvelo::image {

// What an image volume keeps for a folder path (where its records lie), looked up. A
// folder not listed yet is found by listing the folders on the way down from the root,
// since listing a folder records each subfolder it holds.
template <typename Place>
Place findFolder(const platform::Volume& volume,
                 const std::unordered_map<std::string, Place>& folders,
                 const std::string& folderPath)
{
    if (const auto folder = folders.find(folderPath); folder != folders.end())
        return folder->second;
    const std::string rootPath = volume.rootPath();
    if (folderPath.starts_with(rootPath)) {
        std::string path = rootPath;
        for (std::size_t at = rootPath.size(); at < folderPath.size() && folders.contains(path);) {
            const auto end = std::min(folderPath.find('/', at), folderPath.size());
            volume.listFolder(path);
            path = volume.childPath(path, std::string_view(folderPath).substr(at, end - at));
            at = end + 1;
        }
        if (const auto folder = folders.find(folderPath); folder != folders.end())
            return folder->second;
    }
    throw Error(ErrorNumber::PathNotFound, "no such folder on the disc: " + folderPath);
}

// A file's path on an image volume split into its folder's path (the root path itself for
// a file at the root) and its name. A path without a folder names no file.
struct FilePlace
{
    std::string folderPath;
    std::string name;
};

inline FilePlace splitFilePath(const std::string& rootPath, const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        throw Error(ErrorNumber::FileNotFound, "no such file on the disc: " + path);
    std::string folderPath = path.substr(0, slash);
    if (folderPath + '/' == rootPath) folderPath = rootPath;
    return {std::move(folderPath), path.substr(slash + 1)};
}

} // namespace tarvelo::image
