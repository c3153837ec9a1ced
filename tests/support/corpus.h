// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tarvelo::test {

// One row of the corpus's MANIFEST.tsv: an entry of a real archive as the oracles list it.
struct ManifestEntry
{
    int index = 0;
    std::string name;
    bool isDir = false;
};

// The real archives beside the project, read only.
std::filesystem::path corpusDir();

// Whether the corpus is there: a clone without it skips the tests that read it.
bool corpusPresent();

// Why a test that reads the corpus was skipped, with where it was looked for.
std::string corpusMissingReason();

// Ends the test as skipped when the corpus is absent; the first line of a test that reads it.
#define TARVELO_SKIP_WITHOUT_CORPUS()                                                            \
    if (!::tarvelo::test::corpusPresent()) GTEST_SKIP() << ::tarvelo::test::corpusMissingReason()

// Archive (such as "zip/empty.zip") to its entries in stored order; an archive that no
// tool lists has an empty list.
std::map<std::string, std::vector<ManifestEntry>> readManifest();

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);

} // namespace tarvelo::test
