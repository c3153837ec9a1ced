// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the UDF image of a folder tree with the tests' image writer, for the benchmark
// and the fuzz seeds: udf_image_tool TREE IMAGE LAYOUT.
#include "tests/image/udf_image_builder.h"

#include <fstream>
#include <iostream>
#include <string_view>

namespace {

using tarvelo::test::UdfImageOptions;
using tarvelo::test::UdfLayout;

struct NamedLayout
{
    std::string_view name;
    UdfImageOptions options;
};

const NamedLayout kLayouts[] = {
    {"type1", {UdfLayout::Physical, 0x0102, "UDF IMAGE", false, false, true, false}},
    {"type1-fragmented", {UdfLayout::Physical, 0x0201, "UDF IMAGE", true, true, false, true}},
    {"metadata", {UdfLayout::Metadata, 0x0250, "UDF IMAGE", true, false, true, false}},
    {"metadata-fragmented", {UdfLayout::Metadata, 0x0260, "UDF IMAGE", true, true, false, true}},
    {"virtual", {UdfLayout::Virtual, 0x0201, "UDF IMAGE", false, false, true, false}},
    {"virtual-150", {UdfLayout::Virtual, 0x0150, "UDF IMAGE", false, true, false, true}},
};

} // namespace

int main(int argc, char** argv)
{
    const NamedLayout* layout = nullptr;
    for (const auto& named : kLayouts)
        if (argc == 4 && named.name == argv[3]) layout = &named;
    if (!layout) {
        std::cerr << "usage: udf_image_tool TREE IMAGE LAYOUT (";
        for (const auto& named : kLayouts) std::cerr << ' ' << named.name;
        std::cerr << " )\n";
        return 2;
    }
    const auto image = tarvelo::test::UdfImageBuilder::fromFolder(argv[1]).build(layout->options);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return out ? 0 : 1;
}
