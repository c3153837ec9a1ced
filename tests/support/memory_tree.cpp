// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/memory_tree.h"

#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace tarvelo::platform {

std::optional<MemoryPath> parseMemoryPath(std::string_view path)
{
    const bool letter = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0]));
    if (!letter || path[1] != ':') return std::nullopt;
    MemoryPath parsed{common::asciiUpper(path[0]), {}};
    path.remove_prefix(2);
    if (!path.empty() && path.front() == kMemorySeparator) path.remove_prefix(1);
    while (!path.empty()) {
        const std::size_t end = std::min(path.find(kMemorySeparator), path.size());
        if (end == 0) return std::nullopt;
        parsed.names.emplace_back(path.substr(0, end));
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return parsed;
}

std::optional<MemoryFilePath> parseMemoryFilePath(std::string_view path)
{
    std::optional<MemoryPath> parsed = parseMemoryPath(path);
    if (!parsed || parsed->names.empty()) return std::nullopt;
    MemoryFilePath split{std::move(*parsed), {}};
    split.name = std::move(split.folder.names.back());
    split.folder.names.pop_back();
    return split;
}

std::string memoryRootPath(char letter)
{
    return {letter, ':', kMemorySeparator};
}

MemoryNode* childNode(const MemoryNode& folder, const std::string& name)
{
    const auto found = folder.children.find(name);
    return found == folder.children.end() ? nullptr : found->second.get();
}

MemoryNode* findNode(MemoryNode& root, const std::vector<std::string>& names)
{
    MemoryNode* node = &root;
    for (auto name = names.begin(); node != nullptr && name != names.end(); ++name)
        node = node->kind == EntryKind::Folder ? childNode(*node, *name) : nullptr;
    return node;
}

MemoryNode& findFolder(MemoryNode& root, const std::vector<std::string>& names,
                       const std::string& path)
{
    MemoryNode* folder = findNode(root, names);
    if (folder == nullptr || folder->kind != EntryKind::Folder)
        throw Error(ErrorNumber::PathNotFound, "no folder " + path);
    return *folder;
}

MemoryNode& makeFolders(MemoryNode& root, const std::vector<std::string>& names)
{
    MemoryNode* folder = &root;
    for (const std::string& name : names) {
        std::unique_ptr<MemoryNode>& next = folder->children[name];
        if (!next) next = std::make_unique<MemoryNode>();
        if (next->kind != EntryKind::Folder)
            throw std::invalid_argument("a file stands where a folder is wanted: " + name);
        folder = next.get();
    }
    return *folder;
}

} // namespace tarvelo::platform
