// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/kept_runs.h"
#include "image/read_plan.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarvelo::image {
namespace {

using iso9660::Extent;

std::vector<std::pair<std::uint64_t, std::uint64_t>>
plan(const std::vector<Extent>& pieces, std::uint64_t maxGap, std::uint64_t maxRun)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
    for (const Extent& run : planReads(pieces, maxGap, maxRun))
        runs.emplace_back(run.offset, run.length);
    return runs;
}

TEST(ReadPlan, JoinsNeighboursWithinTheGapAndTheLongestRun)
{
    struct Row
    {
        const char* name;
        std::vector<Extent> pieces;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;
    } rows[] = {
        {"none", {}, {}},
        {"adjacent", {{0, 10}, {10, 10}, {20, 5}}, {{0, 25}}},
        {"gap read through", {{0, 10}, {14, 6}}, {{0, 20}}},
        {"gap too wide", {{0, 10}, {15, 5}}, {{0, 10}, {15, 5}}},
        {"run would pass the longest",
         {{0, 30}, {30, 30}, {60, 30}, {90, 30}},
         {{0, 90}, {90, 30}}},
        {"piece longer than a run", {{0, 200}, {200, 10}}, {{0, 200}, {200, 10}}},
        {"overlapping and repeated", {{0, 10}, {0, 10}, {5, 10}}, {{0, 15}}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(plan(row.pieces, 4, 100), row.runs) << row.name;
}

// A piece is found in a run that holds it whole; the oldest runs go once the bound is passed.
TEST(KeptRuns, FindsWholePiecesAndDropsTheOldestPastTheBound)
{
    KeptRuns kept(100);
    kept.keep(0, std::vector<std::uint8_t>(60, 1));
    EXPECT_TRUE(kept.find({10, 50}));
    EXPECT_FALSE(kept.find({10, 51})); // passes the run's end
    EXPECT_FALSE(kept.find({60, 1}));
    kept.keep(200, std::vector<std::uint8_t>(30, 2));
    EXPECT_EQ((*kept.find({205, 2}))[1], 2);
    kept.keep(400, std::vector<std::uint8_t>(30, 3)); // 120 bytes: the first run goes
    EXPECT_FALSE(kept.find({0, 1}));
    EXPECT_TRUE(kept.find({200, 30}));
    EXPECT_TRUE(kept.find({400, 30}));
}

} // namespace
} // namespace tarvelo::image
