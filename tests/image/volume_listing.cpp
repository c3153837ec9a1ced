// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/volume_listing.h"

#include <algorithm>

namespace tarvelo::test {
namespace {

struct Walk
{
    const platform::Volume& volume;
    std::size_t maxLines;
    std::vector<std::string> lines;

    bool full() const { return lines.size() >= maxLines; }

    void folder(const std::string& path, const std::string& indent)
    {
        auto entries = volume.listFolder(path);
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        for (const auto& entry : entries) {
            if (full()) {
                lines.emplace_back("...");
                return;
            }
            if (entry.kind == platform::EntryKind::Folder) {
                lines.push_back(indent + entry.name + "/");
                folder(volume.childPath(path, entry.name), indent + "  ");
            } else {
                lines.push_back(indent + entry.name + " " + std::to_string(entry.size));
            }
        }
    }
};

} // namespace

std::vector<std::string> listTree(const platform::Volume& volume, std::size_t maxLines)
{
    Walk walk{volume, maxLines, {}};
    walk.folder(volume.rootPath(), "");
    return walk.lines;
}

std::string readAll(const platform::ByteSource& source)
{
    const auto bytes = source.read(0, static_cast<std::size_t>(source.size()));
    return {bytes.begin(), bytes.end()};
}

std::string bytesAtPosition(const platform::Volume& volume, const std::string& folderPath,
                            const std::string& name, std::span<const std::uint8_t> image,
                            std::size_t count)
{
    for (const auto& entry : volume.listFolder(folderPath)) {
        if (entry.name != name || entry.position == 0 || entry.position > image.size()) continue;
        const auto bytes = image.subspan(static_cast<std::size_t>(entry.position));
        return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size()))};
    }
    return {};
}

} // namespace tarvelo::test
