// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::report {

// The paths of folders visited in pre-order, each made from its parent's: one string cut
// back and extended as the walk goes, so no path is kept per folder and a deep tree
// costs no more than its deepest path.
class FolderPath
{
public:
    // The walk starts at the root, folder 0.
    FolderPath(std::string rootPath, char separator);

    // Moves to folder `index`, the child `name` of `parent`, which must be the folder the
    // walk is at or one of its ancestors, as in pre-order; otherwise the folders are out
    // of order, which raises the invalid-format error.
    const std::string& enter(std::size_t index, std::size_t parent, std::string_view name);

    const std::string& current() const noexcept { return m_path; }
    char separator() const noexcept { return m_separator; }
    // The path of the folder the walk is at or of one of its ancestors.
    std::string_view pathOf(std::size_t folder) const;

private:
    struct Level
    {
        std::size_t folder;
        std::size_t length; // of its path, a prefix of m_path
    };

    std::string m_path;
    char m_separator;
    std::vector<Level> m_levels;
};

} // namespace tarvelo::report
