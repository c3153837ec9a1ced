// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tarvelo::test {

// Where the tree's entries and folders are kept.
enum class UdfLayout
{
    Physical, // one Type 1 partition
    Metadata, // entries and folders in a metadata partition (UDF 2.50 and 2.60)
    Virtual,  // entries and folders through a virtual allocation table at the image's end
};

struct UdfImageOptions
{
    UdfLayout layout = UdfLayout::Physical;
    std::uint16_t revision = 0x0201;
    std::string label = "UDF DISC";
    bool extendedEntries = false; // extended file entries instead of file entries
    bool longAds = false;         // long allocation descriptors instead of short ones
    bool embedSmallFiles = true;  // data that fits is held in the entry itself
    // Every block of a file or folder its own extent, in reverse order on the disc, and
    // the descriptors past the second one in an allocation extent.
    bool fragment = false;
};

// A small UDF image writer for trees that no Debian tool writes: metadata partitions,
// virtual allocation tables, extended entries, continuations. Block size 2048.
class UdfImageBuilder
{
public:
    // Every folder and file below the folder, with its bytes.
    static UdfImageBuilder fromFolder(const std::filesystem::path& folder);

    // Paths are relative, separated by '/'; parents are made as needed.
    UdfImageBuilder& folder(const std::string& path);
    UdfImageBuilder& file(const std::string& path, const std::string& contents);
    // A file of size bytes recorded as one sparse extent after its contents.
    UdfImageBuilder& sparseFile(const std::string& path, const std::string& contents,
                                std::uint64_t size);
    // Identifiers a listing leaves out or keeps: deleted, hidden.
    UdfImageBuilder& deleted(const std::string& path);
    UdfImageBuilder& hidden(const std::string& path);
    // An identifier at path that names the entry of the folder at target, as a forged
    // disc may: a loop back to an ancestor, or one folder under two names.
    UdfImageBuilder& alias(const std::string& path, const std::string& target);

    std::vector<std::uint8_t> build(const UdfImageOptions& options) const;

    // Byte offsets in the last image built of the descriptors tests damage: "anchor",
    // "logical volume", "file set", "root entry", "root folder data".
    const std::map<std::string, std::uint64_t>& landmarks() const { return m_landmarks; }

private:
    struct Node
    {
        std::string name;
        bool isFolder = false;
        std::string contents;
        std::uint64_t size = 0;
        std::uint8_t characteristics = 0;
        std::vector<std::size_t> children;
        std::size_t aliasOf = kNoAlias; // else the node whose entry its identifier names
    };
    static constexpr std::size_t kNoAlias = SIZE_MAX;
    std::size_t nodeAt(const std::string& path, bool isFolder);

    std::vector<Node> m_nodes{Node{"", true, {}, 0, 0, {}, kNoAlias}};
    mutable std::map<std::string, std::uint64_t> m_landmarks;
    friend class UdfImageWriter;
};

} // namespace tarvelo::test
