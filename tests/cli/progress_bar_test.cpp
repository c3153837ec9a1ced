// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_bar.h"

#include <gtest/gtest.h>

namespace tarvelo::cli {
namespace {

TEST(ProgressLine, ShowsThePhaseAndFitsTheWidth)
{
    using Phase = report::Progress::Phase;
    const struct { const char* name; report::Progress progress; std::size_t width; const char* line; } cases[] = {
        {"reading", {Phase::Scanning, 12, 345, 0}, 80, "Reading the disc: 12 folders, 345 files"},
        {"writing, half", {Phase::Writing, 3, 50, 100}, 80,
         "Writing [###############...............] 50% 50/100 files"},
        {"writing, empty disc", {Phase::Writing, 0, 0, 0}, 80,
         "Writing [##############################] 100% 0/0 files"},
        {"reading, one of each", {Phase::Scanning, 1, 1, 0}, 80, "Reading the disc: 1 folder, 1 file"},
        {"narrow terminal", {Phase::Scanning, 12, 345, 0}, 16, "Reading the disc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(progressLine(c.progress, c.width), c.line) << c.name;
}

} // namespace
} // namespace tarvelo::cli
