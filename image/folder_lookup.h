#pragma once

#include "common/error.h"
#include "platform/volume.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

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

} // namespace tarvelo::image
