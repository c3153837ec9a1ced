// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/image_report.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;

// What the report of an image says below its header is what the report of the tree it
// was made from says, archives inside listed the same, paths aside.
TEST(IsoReport, ImageReportsAsTheTreeItWasMadeFrom)
{
    if (!test::xorrisoAvailable()) GTEST_SKIP() << "xorriso is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    const auto tree = test::reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    ASSERT_EQ(tree.outcome.kind, report::OutcomeKind::Done);
    ASSERT_EQ(tree.outcome.skippedArchives.size(), 1u); // the damaged one, listed as a file
    for (const char* heading : {"\t\t\tZIP contents:", "\t\t\tRAR contents:"})
        ASSERT_NE(std::find(tree.body.begin(), tree.body.end(), heading), tree.body.end())
            << heading;

    for (const char* options : {"-J -joliet-long --norock", "-J -joliet-long -R", "-R"}) {
        const fs::path image = dir.path() / "disc07.iso";
        test::makeIsoImage(dir.path() / "tree", image, options);
        const auto disc = test::reportOf(image, dir.path() / "image.txt");
        EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done) << options;
        EXPECT_EQ(disc.outcome.totalFiles, tree.outcome.totalFiles) << options;
        EXPECT_EQ(disc.outcome.totalFolders, tree.outcome.totalFolders) << options;
        EXPECT_EQ(disc.outcome.skippedArchives.size(), 1u) << options;
        EXPECT_EQ(disc.body, tree.body) << options;
    }
}

} // namespace
} // namespace tarvelo::image
