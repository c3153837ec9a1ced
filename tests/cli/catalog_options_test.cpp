// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_options.h"

#include <gtest/gtest.h>

namespace tarvelo::cli {
namespace {

using Args = std::vector<std::string>;

std::string describe(const CatalogOptions& o)
{
    std::string text = o.catalogPath + " |";
    for (const std::string& operand : o.operands)
        text += " " + operand;
    const catalog::FindQuery& q = o.query;
    if (!o.name.empty()) text += " name=" + o.name;
    if (!o.listZip) text += " no-zip";
    if (o.replace) text += " replace";
    if (q.wholePath) text += " path";
    if (q.glob) text += " glob";
    if (q.only == catalog::FindQuery::Only::Files) text += " files";
    if (!q.archiveEntries) text += " no-archives";
    if (q.minSize) text += " min=" + std::to_string(*q.minSize);
    if (q.limit) text += " limit=" + std::to_string(*q.limit);
    if (!o.discSpec.empty()) text += " disc=" + o.discSpec;
    if (!o.format.empty()) text += " format=" + o.format;
    if (!o.output.empty()) text += " -o " + o.output + (o.force ? " force" : "");
    return text;
}

TEST(CatalogCommandLine, EachCommandTakesItsOptions)
{
    const struct
    {
        const char* row;
        Args args;
        CatalogVerb verb;
        const char* options;
    } cases[] = {
        {"add with catalogue", {"--catalog", "c.db", "add", "--name=Backup", "--no-zip", "d1", "d2"},
         CatalogVerb::Add, "c.db | d1 d2 name=Backup no-zip"},
        {"import replacing", {"import", "a.txt", "--replace"}, CatalogVerb::Import, " | a.txt replace"},
        {"find with everything", {"find", "--path", "--glob", "--files", "--no-archives", "--disc", "3",
                                  "--min-size", "2K", "--limit", "10", "--format", "jsonl", "inv"},
         CatalogVerb::Find, " | inv path glob files no-archives min=2048 limit=10 disc=3 format=jsonl"},
        {"a pattern like an option", {"find", "--", "-x-"}, CatalogVerb::Find, " | -x-"},
        {"report", {"report", "MYDISC", "-o", "-", "-f"}, CatalogVerb::Report, " | MYDISC -o - force"},
        {"export of all discs", {"export", "--format=dfxml", "-o", "out.xml"}, CatalogVerb::Export,
         " | format=dfxml -o out.xml"},
        {"show a folder", {"show", "1", "DOCS"}, CatalogVerb::Show, " | 1 DOCS"},
        {"help of a command", {"find", "--help"}, CatalogVerb::Help, " |"},
        {"version", {"--version"}, CatalogVerb::Version, " |"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCatalogCommandLine(c.args);
        const auto* options = std::get_if<CatalogOptions>(&parsed);
        ASSERT_NE(options, nullptr) << c.row << ": " << std::get<CatalogUsageError>(parsed).message;
        EXPECT_EQ(options->verb, c.verb) << c.row;
        EXPECT_EQ(describe(*options), c.options) << c.row;
    }
}

TEST(CatalogCommandLine, UsageErrorsSayWhatIsWrong)
{
    const struct
    {
        const char* row;
        Args args;
        const char* message;
    } cases[] = {
        {"no command", {}, "missing command (add, find, discs, ...)"},
        {"unknown command", {"serch", "x"}, "unknown command 'serch'"},
        {"option of another command", {"discs", "--replace"}, "unknown option '--replace' for discs"},
        {"missing value", {"find", "x", "--limit"}, "option '--limit' needs a value"},
        {"size that is no number", {"find", "--max-size", "big", "x"}, "--max-size takes a number, not 'big'"},
        {"size past 64 bits", {"find", "--min-size", "99999999999999999999G", "x"},
         "--min-size takes a number, not '99999999999999999999G'"},
        {"missing pattern", {"find"}, "find: missing operand"},
        {"two patterns", {"find", "a", "b"}, "find: too many operands, from 'b' on"},
        {"unknown code page", {"add", "--codepage", "CP99999", "d"}, "unknown code page 'CP99999'"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCatalogCommandLine(c.args);
        const auto* error = std::get_if<CatalogUsageError>(&parsed);
        ASSERT_NE(error, nullptr) << c.row;
        EXPECT_EQ(error->message, c.message) << c.row;
    }
}

} // namespace
} // namespace tarvelo::cli
