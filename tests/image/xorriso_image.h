// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace tarvelo::test {

bool xorrisoAvailable();

// Writes a tree with what a disc may hold into folder: Unicode names (Serbian Latin and
// Cyrillic, CJK), a 64-character name, ten levels of folders, an empty folder, files of
// no and of several sectors' size, readable and damaged archives.
void writeMixedTree(const std::filesystem::path& folder);

// Makes image from the folder tree with `xorriso -as mkisofs` and the options given
// (such as "-J -joliet-long"); throws when xorriso fails.
void makeIsoImage(const std::filesystem::path& tree, const std::filesystem::path& image,
                  const std::string& options);

} // namespace tarvelo::test
