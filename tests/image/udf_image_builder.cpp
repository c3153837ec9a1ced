// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/udf_image_builder.h"

#include "tests/image/udf_image_writer.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tarvelo::test {

UdfImageBuilder UdfImageBuilder::fromFolder(const std::filesystem::path& folder)
{
    UdfImageBuilder tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string path = std::filesystem::relative(entry.path(), folder).string();
        if (entry.is_directory()) {
            tree.folder(path);
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        tree.file(path, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    }
    return tree;
}

std::size_t UdfImageBuilder::nodeAt(const std::string& path, bool isFolder)
{
    std::size_t node = 0;
    for (std::size_t at = 0; at < path.size();) {
        const auto end = std::min(path.find('/', at), path.size());
        const std::string name = path.substr(at, end - at);
        const bool last = end == path.size();
        std::size_t found = 0;
        for (const std::size_t child : m_nodes[node].children)
            if (m_nodes[child].name == name) found = child;
        if (found == 0) {
            m_nodes.push_back(Node{name, !last || isFolder, {}, 0, 0, {}, kNoAlias});
            found = m_nodes.size() - 1;
            m_nodes[node].children.push_back(found);
        }
        node = found;
        at = end + 1;
    }
    return node;
}

UdfImageBuilder& UdfImageBuilder::folder(const std::string& path)
{
    nodeAt(path, true);
    return *this;
}

UdfImageBuilder& UdfImageBuilder::file(const std::string& path, const std::string& contents)
{
    return sparseFile(path, contents, contents.size());
}

UdfImageBuilder& UdfImageBuilder::sparseFile(const std::string& path, const std::string& contents,
                                             std::uint64_t size)
{
    if (size < contents.size()) throw std::invalid_argument("a file shorter than its contents");
    Node& node = m_nodes[nodeAt(path, false)];
    node.contents = contents;
    node.size = size;
    return *this;
}

UdfImageBuilder& UdfImageBuilder::deleted(const std::string& path)
{
    m_nodes[nodeAt(path, false)].characteristics |= 0x04;
    return *this;
}

UdfImageBuilder& UdfImageBuilder::hidden(const std::string& path)
{
    m_nodes[nodeAt(path, false)].characteristics |= 0x01;
    return *this;
}

UdfImageBuilder& UdfImageBuilder::alias(const std::string& path, const std::string& target)
{
    const std::size_t named = nodeAt(target, true);
    m_nodes[nodeAt(path, true)].aliasOf = named;
    return *this;
}

std::vector<std::uint8_t> UdfImageBuilder::build(const UdfImageOptions& options) const
{
    return writeUdfImage(*this, options);
}

} // namespace tarvelo::test
