#include "platform/volume.h"

namespace tarvelo::platform {

std::string Volume::childPath(std::string_view folderPath, std::string_view name) const
{
    std::string path(folderPath);
    if (path.empty() || path.back() != separator()) path += separator();
    path += name;
    return path;
}

} // namespace tarvelo::platform
