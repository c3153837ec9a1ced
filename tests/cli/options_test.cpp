// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/catalog_options.h"
#include "cli/code_page_list.h"
#include "common/version.h"

namespace tarvelo::cli {
namespace {

using Args = std::vector<std::string>;

// The options in one line, so a table row can say all of them at once.
std::string describe(const Options& o)
{
    return o.source + " -> " + o.output + (o.force ? " force" : "") + (o.quiet ? " quiet" : "") +
           (o.listZip ? " zip" : "") + (o.listRar ? " rar" : "") + " " + o.oemCodePage.name() +
           (o.catalog ? " catalog=" + *o.catalog : "");
}

TEST(CommandLine, ValidFormsGiveTheirOptions)
{
    const struct { const char* name; Args args; const char* options; } cases[] = {
        {"minimal", {"disc", "-o", "r.txt"}, "disc -> r.txt zip rar CP852"},
        {"output first, glued", {"-or.txt", "disc/"}, "disc/ -> r.txt zip rar CP852"},
        {"long forms with =", {"--output=r.txt", "--codepage=CP437", "disc"},
         "disc -> r.txt zip rar CP437"},
        {"long forms apart", {"--output", "r.txt", "--codepage", "CP1250", "disc"},
         "disc -> r.txt zip rar CP1250"},
        {"every switch", {"-f", "-q", "--no-zip", "--no-rar", "disc", "-o", "r.txt"},
         "disc -> r.txt force quiet CP852"},
        {"long switches", {"--force", "--quiet", "--no-rar", "disc", "-o", "r.txt"},
         "disc -> r.txt force quiet zip CP852"},
        {"grouped switches ending in -o", {"-fqo", "r.txt", "disc"},
         "disc -> r.txt force quiet zip rar CP852"},
        {"standard output", {"disc", "-o", "-"}, "disc -> - zip rar CP852"},
        {"source that looks like an option", {"-o", "r.txt", "--", "-disc"},
         "-disc -> r.txt zip rar CP852"},
        {"long options shortened", {"--out=r.txt", "--forc", "--code", "CP437", "--no-z", "disc"},
         "disc -> r.txt force rar CP437"},
        {"default catalogue, the next word the source", {"--catalog", "disc", "-o", "r.txt"},
         "disc -> r.txt zip rar CP852 catalog="},
        {"catalogue named", {"--catalog=c.sqlite", "disc", "-o", "r.txt"},
         "disc -> r.txt zip rar CP852 catalog=c.sqlite"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCommandLine(c.args);
        const auto* command = std::get_if<ParsedCommand>(&parsed);
        ASSERT_NE(command, nullptr) << c.name << ": " << std::get<UsageError>(parsed).message;
        EXPECT_EQ(command->command, Command::Report) << c.name;
        EXPECT_EQ(describe(command->options), c.options) << c.name;
    }
}

TEST(CommandLine, HelpAndVersionNeedNothingElse)
{
    const struct { const char* name; Args args; Command command; } cases[] = {
        {"-h", {"-h"}, Command::Help},
        {"--help among others", {"disc", "--help", "--bogus"}, Command::Help},
        {"--version", {"--version"}, Command::Version},
        {"--version shortened", {"--vers"}, Command::Version},
        {"code-page names", {"--codepage", "help"}, Command::CodePages},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCommandLine(c.args);
        ASSERT_TRUE(std::holds_alternative<ParsedCommand>(parsed)) << c.name;
        EXPECT_EQ(std::get<ParsedCommand>(parsed).command, c.command) << c.name;
    }
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    const struct { const char* name; Args args; const char* message; } cases[] = {
        {"nothing", {}, "missing SOURCE"},
        {"no output", {"disc"}, "missing -o FILE"},
        {"-o without a value", {"disc", "-o"}, "option '-o' needs a value"},
        {"empty output", {"disc", "--output="}, "option '--output' needs a value"},
        {"two sources", {"a", "b", "-o", "r"}, "more than one SOURCE: 'a' and 'b'"},
        {"empty source", {"", "-o", "r"}, "SOURCE is empty"},
        {"output twice", {"disc", "-o", "a", "-o", "b"}, "-o given more than once"},
        {"unknown long option", {"--fast", "disc", "-o", "r"}, "unknown option '--fast'"},
        {"unknown short option", {"-x"}, "unknown option '-x'"},
        {"unknown inside a group", {"-fx"}, "unknown option '-x'"},
        {"value for a switch", {"--force=yes"}, "option '--force' takes no value"},
        {"unknown code page", {"--codepage", "KLINGON", "disc", "-o", "r"},
         "unknown code page 'KLINGON' (see --codepage help)"},
        {"ambiguous prefix", {"--no", "disc", "-o", "r"},
         "option '--no' is ambiguous: --no-zip, --no-rar"},
        {"value for a shortened switch", {"--forc=yes"}, "option '--force' takes no value"},
        {"shortened option without a value", {"disc", "--out"}, "option '--output' needs a value"},
        {"code page without a value", {"disc", "-o", "r", "--codepage"},
         "option '--codepage' needs a value"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCommandLine(c.args);
        const auto* error = std::get_if<UsageError>(&parsed);
        ASSERT_NE(error, nullptr) << c.name;
        EXPECT_EQ(error->message, c.message) << c.name;
    }
}

// A packager reads the licence from --version, of every program.
TEST(CommandLine, VersionNamesTheProgramAndTheLicence)
{
    for (const char* program : {kProgramName, kCatalogProgramName, "tarvelo"}) {
        const auto text = common::versionText(program);
        EXPECT_EQ(text.rfind(std::string(program) + " ", 0), 0U) << text;
        EXPECT_NE(text.find("GPL-3.0-or-later"), std::string::npos) << text;
    }
}

// What --codepage help offers must be what --codepage takes, on this system's iconv.
TEST(CommandLine, ListedCodePagesAreAccepted)
{
    const std::string listing = codePageListText();
    for (const ListedCodePage& page : listedCodePages()) {
        const auto parsed = parseCommandLine({"--codepage", page.name, "disc", "-o", "r"});
        ASSERT_TRUE(std::holds_alternative<ParsedCommand>(parsed)) << page.name;
        EXPECT_EQ(std::get<ParsedCommand>(parsed).options.oemCodePage.name(), page.name);
        EXPECT_NE(listing.find(std::string("  ") + page.name + " "), std::string::npos) << page.name;
    }
}

} // namespace
} // namespace tarvelo::cli
