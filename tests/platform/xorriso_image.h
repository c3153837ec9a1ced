#pragma once

#include <filesystem>
#include <string>

namespace tarvelo::test {

bool xorrisoAvailable();

// Makes image from the folder tree with `xorriso -as mkisofs` and the options given
// (such as "-J -joliet-long"); throws when xorriso fails.
void makeIsoImage(const std::filesystem::path& tree, const std::filesystem::path& image,
                  const std::string& options);

} // namespace tarvelo::test
