#include "common/code_page.h"
#include "platform/host_volume_opener.h"
#include "platform/posix_output.h"
#include "report/reader_set.h"
#include "report/report_run.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;

// A user who saves the report where told and is never asked anything else.
class SilentUi final : public report::RunUi
{
  public:
    explicit SilentUi(std::string savePath) : m_savePath(std::move(savePath)) {}

    std::optional<std::string> askSavePath() override { return m_savePath; }
    void processEvents() override {}
    bool confirmReplace(const std::string&) override { return true; }
    void setBusy(bool) override {}
    void progress(const report::Progress&) override {}
    bool stopRequested() override { return false; }
    void notice(std::string_view) override {}

  private:
    std::string m_savePath;
};

struct Report
{
    report::RunOutcome outcome;
    std::vector<std::string> body; // after the header, with the source's path as "<root>"
};

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

Report reportOf(const fs::path& source, const fs::path& reportFile)
{
    const platform::HostVolumeOpener volumes;
    platform::PosixOutputService outputs;
    report::ReaderSet readers(common::CodePage::defaultOem());
    SilentUi ui(reportFile.string());
    Report report{report::runReport({source.string()}, {volumes, outputs, readers.readers()}, ui),
                  {}};
    const auto bytes = test::readBytes(reportFile);
    const std::string text = replaced({bytes.begin(), bytes.end()}, source.string(), "<root>");
    constexpr std::size_t kHeaderLines = 8;
    std::size_t line = 0;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (++line > kHeaderLines) report.body.push_back(text.substr(at, end - at));
    return report;
}

// What the report of an image says below its header is what the report of the tree it
// was made from says, archives inside listed the same, paths aside.
TEST(IsoReport, ImageReportsAsTheTreeItWasMadeFrom)
{
    if (!test::xorrisoAvailable()) GTEST_SKIP() << "xorriso is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    const auto tree = reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    ASSERT_EQ(tree.outcome.kind, report::OutcomeKind::Done);
    ASSERT_EQ(tree.outcome.skippedArchives.size(), 1u); // the damaged one, listed as a file
    for (const char* heading : {"\t\t\tZIP contents:", "\t\t\tRAR contents:"})
        ASSERT_NE(std::find(tree.body.begin(), tree.body.end(), heading), tree.body.end())
            << heading;

    for (const char* options : {"-J -joliet-long --norock", "-J -joliet-long -R", "-R"}) {
        const fs::path image = dir.path() / "disc07.iso";
        test::makeIsoImage(dir.path() / "tree", image, options);
        const auto disc = reportOf(image, dir.path() / "image.txt");
        EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done) << options;
        EXPECT_EQ(disc.outcome.totalFiles, tree.outcome.totalFiles) << options;
        EXPECT_EQ(disc.outcome.totalFolders, tree.outcome.totalFolders) << options;
        EXPECT_EQ(disc.outcome.skippedArchives.size(), 1u) << options;
        EXPECT_EQ(disc.body, tree.body) << options;
    }
}

} // namespace
} // namespace tarvelo::image
