#include "tests/platform/xorriso_image.h"

#include <cstdlib>
#include <stdexcept>

namespace tarvelo::test {
namespace {

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace

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
