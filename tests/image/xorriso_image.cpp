// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/xorriso_image.h"

#include "tests/archive/rar_fixtures.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/support/corpus.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tarvelo::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

void write(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string text(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// A real archive where the corpus is there; else one built here with a folder and a file.
std::string zipArchive()
{
    if (corpusPresent()) return text(readBytes(corpusDir() / "zip/infozip_unix.zip"));
    return text(buildZip({{.name = "letters/"}, {.name = "letters/a.txt", .data = "a"}}).bytes);
}

std::string rarArchive()
{
    if (corpusPresent()) return text(readBytes(corpusDir() / "rar/rar5_subdirs.rar"));
    return text(rar5::signature()) + text(rar5::mainHeader()) +
           text(rar5::file(rar5::FileHeader("sub").withFileFlags(0x0001))) +
           text(rar5::file(rar5::FileHeader("sub/deeper.txt").withData("deeper"))) +
           text(rar5::endHeader());
}

} // namespace

void writeMixedTree(const fs::path& folder)
{
    write(folder / "Četa računa, đak i žaba.txt", "Serbian Latin");
    write(folder / "Ђурђевдан/Песма.txt", "Cyrillic");
    write(folder / "日本/ファイル.txt", "CJK");
    write(folder / "A name of exactly sixty-four characters, at the Joliet limit.txt", "64");
    write(folder / "deep/1/2/3/4/5/6/7/8/9/bottom.txt", "ten levels down");
    write(folder / "README", "no extension");
    write(folder / "zero.bin", "");
    write(folder / "large.bin", std::string(300000, 'x'));
    fs::create_directories(folder / "empty");
    write(folder / "archives/inner.zip", zipArchive());
    write(folder / "archives/broken.zip", "nothing an archive has");
    write(folder / "archives/deeper/second.RAR", rarArchive());
}

bool xorrisoAvailable()
{
    return std::system("command -v xorriso >/dev/null 2>&1") == 0;
}

void makeIsoImage(const std::filesystem::path& tree, const std::filesystem::path& image,
                  const std::string& options)
{
    const std::string command = "xorriso -as mkisofs -quiet " + options + " -o " + quoted(image) +
                                " " + quoted(tree) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("xorriso failed: " + command);
}

} // namespace tarvelo::test
