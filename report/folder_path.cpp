// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/folder_path.h"

#include "common/error.h"

#include <stdexcept>

namespace tarvelo::report {

FolderPath::FolderPath(std::string rootPath, char separator)
    : m_path(std::move(rootPath)), m_separator(separator), m_levels{{0, m_path.size()}}
{
}

const std::string& FolderPath::enter(std::size_t index, std::size_t parent, std::string_view name)
{
    while (m_levels.size() > 1 && m_levels.back().folder != parent)
        m_levels.pop_back();
    if (m_levels.back().folder != parent)
        throw Error(ErrorNumber::InvalidFileFormat, "a folder away from its parent");
    m_path.resize(m_levels.back().length);
    if (m_path.empty() || m_path.back() != m_separator) m_path += m_separator;
    m_path += name;
    m_levels.push_back({index, m_path.size()});
    return m_path;
}

std::string_view FolderPath::pathOf(std::size_t folder) const
{
    for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level)
        if (level->folder == folder) return std::string_view(m_path).substr(0, level->length);
    throw std::logic_error("the path of a folder off the walk's path");
}

} // namespace tarvelo::report
