// SPDX-License-Identifier: GPL-3.0-or-later
// Archives read in the order they lie on the disc, listed in the report's order.
#include "common/stop_check.h"
#include "report/archive_read_ahead.h"
#include "report/scan.h"
#include "tests/report/run_harness.h"

#include <map>
#include <new>
#include <gtest/gtest.h>

namespace tarvelo::report {
namespace {

using Positions = std::map<std::string, std::uint64_t>;

// Drive D: as a disc image shows it: its files lie at the positions given by path.
class PlacedVolume final : public platform::Volume
{
public:
    PlacedVolume(std::unique_ptr<platform::Volume> inner, const Positions& positions)
        : m_inner(std::move(inner)), m_positions(positions)
    {
    }

    platform::VolumeFacts facts() const override { return m_inner->facts(); }
    std::string rootPath() const override { return m_inner->rootPath(); }
    char separator() const override { return m_inner->separator(); }
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override
    {
        auto entries = m_inner->listFolder(folderPath);
        for (auto& entry : entries)
            if (const auto at = m_positions.find(childPath(folderPath, entry.name));
                at != m_positions.end())
                entry.position = at->second;
        return entries;
    }
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override
    {
        return m_inner->openFile(path);
    }

private:
    std::unique_ptr<platform::Volume> m_inner;
    const Positions& m_positions;
};

class PlacedOpener final : public platform::VolumeOpener
{
public:
    PlacedOpener(const platform::VolumeOpener& inner, const Positions& positions)
        : m_inner(inner), m_positions(positions)
    {
    }

    std::unique_ptr<platform::Volume> openVolume(const std::string& source) const override
    {
        return std::make_unique<PlacedVolume>(m_inner.openVolume(source), m_positions);
    }

private:
    const platform::VolumeOpener& m_inner;
    const Positions& m_positions;
};

// Every call the catalogue would hear, one line each.
class InventoryLog final : public InventorySink
{
public:
    void volume(const platform::VolumeFacts&, std::int32_t, std::int32_t, const std::string&,
                char) override
    {
    }
    void folder(std::size_t index, std::size_t, std::string_view name, std::uint64_t) override
    {
        lines.push_back("folder " + std::to_string(index) + " " + std::string(name));
    }
    void file(std::string_view name, std::uint64_t, platform::EntryKind,
              platform::ModifiedTime) override
    {
        lines.push_back("file " + std::string(name));
    }
    void archiveListed(std::int32_t count) override
    {
        lines.push_back("listed " + std::to_string(count));
    }
    void archiveEntry(std::string_view name, bool isFolder, std::uint64_t, std::uint64_t) override
    {
        lines.push_back(std::string(isFolder ? "folder entry " : "entry ") + std::string(name));
    }

    std::vector<std::string> lines;
};

// What a run shows of itself, to compare a run that reads ahead with one that does not.
struct RunSeen
{
    OutcomeKind kind;
    std::string report;
    std::vector<Problem> skipped;
    std::vector<std::string> notices;
    std::vector<std::string> inventory;
    std::vector<std::string> zipReads;
};

// Archives spread over folders so that the report's order (A.ZIP, Z.ZIP, then SUB's) and
// the disc's order differ; `damage` sets what goes wrong.
template <typename Damage> RunSeen runOn(const Positions& positions, Damage damage)
{
    test::RunHarness h;
    for (const char* path : {"D:\\A.ZIP", "D:\\Z.ZIP", "D:\\SUB\\B.ZIP", "D:\\SUB\\C.ZIP",
                             "D:\\SUB\\M.RAR", "D:\\SUB\\readme.txt"})
        h.files.addSizedFile(path, 100);
    for (const char* path : {"D:\\A.ZIP", "D:\\Z.ZIP", "D:\\SUB\\B.ZIP", "D:\\SUB\\C.ZIP"})
        h.zip.add(path, {{std::string(path).substr(3) + "-one.txt"}, {"folder", true}, {"two"}});
    h.rar.add("D:\\SUB\\M.RAR", {{"song.mp3"}});
    damage(h);
    const PlacedOpener volumes(h.files, positions);
    InventoryLog inventory;
    const RunOutcome outcome =
        runReport(h.request, {volumes, h.files, {h.zip, h.rar}, &inventory}, h.ui);
    return {outcome.kind,    h.report(),       outcome.skippedArchives,
            h.ui.notices,    inventory.lines, h.zip.pathsRead()};
}

const Positions kReversed = {{"D:\\A.ZIP", 9000},     {"D:\\Z.ZIP", 1000},
                             {"D:\\SUB\\B.ZIP", 7000}, {"D:\\SUB\\C.ZIP", 3000},
                             {"D:\\SUB\\M.RAR", 5000}, {"D:\\SUB\\readme.txt", 2000}};

TEST(ArchiveReadAhead, OpensInDiscOrderAndReportsAsInNameOrder)
{
    const struct
    {
        const char* name;
        void (*damage)(test::RunHarness&);
    } rows[] = {
        {"every archive whole", [](test::RunHarness&) {}},
        {"a directory that cannot be read",
         [](test::RunHarness& h) {
             h.zip.fail("D:\\SUB\\B.ZIP", Error(ErrorNumber::InvalidFileFormat, "bad end record"));
         }},
        {"an entry that cannot be read",
         [](test::RunHarness& h) {
             h.zip.failAtEntry("D:\\SUB\\C.ZIP", {{"kept"}, {"lost"}}, 2,
                               Error(ErrorNumber::InvalidFileFormat, "bad name"));
         }},
        {"no memory for a directory",
         [](test::RunHarness& h) { h.zip.fail("D:\\Z.ZIP", std::bad_alloc()); }},
        {"notices while reading",
         [](test::RunHarness& h) {
             h.zip.noticeWhileReading("D:\\Z.ZIP", "Unknown header");
             h.zip.noticeWhileReading("D:\\A.ZIP", "Comment cut");
         }},
        {"a stop inside one read",
         [](test::RunHarness& h) { h.zip.fail("D:\\SUB\\C.ZIP", common::Stopped()); }},
        {"stopped while writing",
         [](test::RunHarness& h) { h.ui.stopAt = test::ScriptedUi::StopAt::Writing; }},
    };
    for (const auto& row : rows) {
        const RunSeen inNameOrder = runOn({}, row.damage);
        const RunSeen inDiscOrder = runOn(kReversed, row.damage);
        EXPECT_EQ(inDiscOrder.kind, inNameOrder.kind) << row.name;
        EXPECT_EQ(inDiscOrder.report, inNameOrder.report) << row.name;
        EXPECT_EQ(inDiscOrder.notices, inNameOrder.notices) << row.name;
        EXPECT_EQ(inDiscOrder.inventory, inNameOrder.inventory) << row.name;
        ASSERT_EQ(inDiscOrder.skipped.size(), inNameOrder.skipped.size()) << row.name;
        for (std::size_t i = 0; i < inNameOrder.skipped.size(); ++i) {
            EXPECT_EQ(inDiscOrder.skipped[i].path, inNameOrder.skipped[i].path) << row.name;
            EXPECT_EQ(inDiscOrder.skipped[i].reason, inNameOrder.skipped[i].reason) << row.name;
        }
    }
    const auto reads = runOn(kReversed, [](test::RunHarness&) {}).zipReads;
    EXPECT_EQ(reads, (std::vector<std::string>{"D:\\Z.ZIP", "D:\\SUB\\C.ZIP", "D:\\SUB\\B.ZIP",
                                               "D:\\A.ZIP"}));
    const auto inNameOrder = runOn({}, [](test::RunHarness&) {}).zipReads;
    EXPECT_EQ(inNameOrder, (std::vector<std::string>{"D:\\A.ZIP", "D:\\Z.ZIP", "D:\\SUB\\B.ZIP",
                                                     "D:\\SUB\\C.ZIP"}));
}

// Listings that do not fit in the memory held for them are read at their turn.
TEST(ArchiveReadAhead, WhatDoesNotFitIsReadAtItsTurn)
{
    test::RunHarness h;
    for (const char* path : {"D:\\A.ZIP", "D:\\B.ZIP", "D:\\C.ZIP"}) {
        h.files.addSizedFile(path, 100);
        h.zip.add(path, {{std::string(120, 'x')}});
    }
    h.zip.add("D:\\B.ZIP", {{std::string(4000, 'x')}}); // too large to hold
    const Positions positions = {{"D:\\A.ZIP", 3000}, {"D:\\B.ZIP", 2000}, {"D:\\C.ZIP", 1000}};
    const PlacedVolume volume(h.files.openVolume("D:"), positions);
    const DiscScan scan = scanDisc(volume, h.ui);
    ArchiveReadAhead readAhead(volume, h.request, {h.zip, h.rar}, h.ui, false, 1000);
    readAhead.plan(scan);

    // A.ZIP's turn: C.ZIP is held, B.ZIP is read but does not fit.
    EXPECT_FALSE(readAhead.turnOf(scan, 0).has_value());
    EXPECT_FALSE(readAhead.turnOf(scan, 1).has_value());
    EXPECT_TRUE(readAhead.turnOf(scan, 2).has_value());
    EXPECT_EQ(h.zip.pathsRead(), (std::vector<std::string>{"D:\\C.ZIP", "D:\\B.ZIP"}));
}

} // namespace
} // namespace tarvelo::report
