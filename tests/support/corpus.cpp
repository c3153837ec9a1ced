// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/corpus.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace tarvelo::test {

std::filesystem::path corpusDir()
{
    return TARVELO_CORPUS_DIR;
}

bool corpusPresent()
{
    std::error_code error;
    return std::filesystem::is_regular_file(corpusDir() / "MANIFEST.tsv", error);
}

std::string corpusMissingReason()
{
    return "no archive corpus in " + corpusDir().string() +
           " (configure with -DTARVELO_CORPUS_DIR=FOLDER to read one)";
}

std::map<std::string, std::vector<ManifestEntry>> readManifest()
{
    std::ifstream in(corpusDir() / "MANIFEST.tsv");
    if (!in) throw std::runtime_error("cannot read the corpus manifest in " + corpusDir().string());
    std::map<std::string, std::vector<ManifestEntry>> manifest;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string archive, index, name, isDir;
        std::getline(fields, archive, '\t');
        std::getline(fields, index, '\t');
        std::getline(fields, name, '\t');
        std::getline(fields, isDir, '\t');
        auto& entries = manifest[archive];
        if (index != "0") entries.push_back({std::stoi(index), name, isDir == "1"});
    }
    return manifest;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tarvelo::test
