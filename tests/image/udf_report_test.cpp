#include "platform/host_volume_opener.h"
#include "tests/image/image_report.h"
#include "tests/image/udf_tools.h"
#include "tests/image/volume_listing.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;

void expectFactsOfUdfinfo(const fs::path& image, const std::string& name)
{
    const auto volume = platform::HostVolumeOpener().openVolume(image.string());
    EXPECT_EQ(volume->facts().label, test::udfinfo(image).at("label")) << name;
    EXPECT_EQ(volume->facts().serialNumber, test::udfinfoSerial(image)) << name;
}

// A bridge disc is shown from its UDF side: the report of the image is the report of the
// tree it was made from, with the UDF label and serial.
TEST(UdfReport, BridgeImageReportsAsTheTreeItWasMadeFrom)
{
    if (!test::commandAvailable("genisoimage") || !test::commandAvailable("udfinfo"))
        GTEST_SKIP() << "genisoimage or udftools is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    const auto tree = test::reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    ASSERT_EQ(tree.outcome.kind, report::OutcomeKind::Done);

    const fs::path image = dir.path() / "bridge.iso";
    test::commandOutput("genisoimage -quiet -udf -J -R -V 'BRIDGE DISC' -o " + test::quoted(image) +
                        " " + test::quoted(dir.path() / "tree") + " 2>&1");
    const auto disc = test::reportOf(image, dir.path() / "image.txt");
    EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done);
    EXPECT_EQ(disc.outcome.totalFiles, tree.outcome.totalFiles);
    EXPECT_EQ(disc.outcome.totalFolders, tree.outcome.totalFolders);
    EXPECT_EQ(disc.outcome.skippedArchives.size(), 1u);
    EXPECT_EQ(disc.body, tree.body);
    expectFactsOfUdfinfo(image, "bridge");
}

// Every revision on every kind of media that mkudffs formats (Type 1, sparable, virtual
// and metadata partitions, blocks of 512 and 2048 bytes): read, empty, with the label and
// serial udfinfo gives.
TEST(UdfReport, FormattedImagesOfEveryRevisionAndMedia)
{
    if (!test::commandAvailable("mkudffs") || !test::commandAvailable("udfinfo"))
        GTEST_SKIP() << "udftools is not installed";
    const test::TempDir dir;
    int made = 0;
    for (const char* revision : {"1.02", "1.50", "2.00", "2.01", "2.50", "2.60"}) {
        for (const char* media : {"hd", "cdrw", "dvdrw", "dvdr", "cdr", "bdr"}) {
            const std::string name = std::string(revision) + "-" + media;
            const fs::path image = dir.path() / (name + ".img");
            const std::string make = "truncate -s 8M " + test::quoted(image) +
                                     " && mkudffs --media-type=" + std::string(media) + " --udfrev=" + revision +
                                     " --label='Disc " + name + "' " + test::quoted(image) +
                                     " >/dev/null 2>&1 && echo made";
            if (test::commandOutput(make).empty()) continue; // a pairing mkudffs refuses
            ++made;
            expectFactsOfUdfinfo(image, name);
            const auto volume = platform::HostVolumeOpener().openVolume(image.string());
            // Sparable media of UDF 1.50 keep their defect list as a hidden file, which is listed.
            EXPECT_THAT(test::listTree(*volume),
                        ::testing::AnyOf(::testing::IsEmpty(),
                                         ::testing::ElementsAre("Non-Allocatable Space 0")))
                << name;
            EXPECT_GT(volume->facts().totalBytes, volume->facts().freeBytes) << name;
        }
    }
    EXPECT_GE(made, 20);
}

} // namespace
} // namespace tarvelo::image
