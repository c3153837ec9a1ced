// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_options.h"

#include <getopt.h>

#include <charconv>
#include <optional>
#include <string_view>

namespace tarvelo::cli {
namespace {

// Options without a short form.
enum LongOnly : int
{
    kCatalog = 256,
    kVersion,
    kName,
    kNote,
    kNoZip,
    kNoRar,
    kCodePage,
    kReplace,
    kPath,
    kGlob,
    kFiles,
    kFolders,
    kNoArchives,
    kDisc,
    kMinSize,
    kMaxSize,
    kLimit,
    kFormat,
};

struct VerbSpec
{
    const char* name;
    CatalogVerb verb;
    const char* shortOptions; // after the leading ':'
    std::vector<option> longOptions;
    std::size_t minOperands;
    std::size_t maxOperands;
};

const option kHelp{"help", no_argument, nullptr, 'h'};

const std::vector<VerbSpec>& verbs()
{
    constexpr std::size_t kMany = static_cast<std::size_t>(-1);
    static const std::vector<VerbSpec> specs = {
        {"add", CatalogVerb::Add, "hq",
         {kHelp, {"name", required_argument, nullptr, kName}, {"note", required_argument, nullptr, kNote},
          {"no-zip", no_argument, nullptr, kNoZip}, {"no-rar", no_argument, nullptr, kNoRar},
          {"codepage", required_argument, nullptr, kCodePage}, {"replace", no_argument, nullptr, kReplace},
          {"quiet", no_argument, nullptr, 'q'}},
         1, kMany},
        {"import", CatalogVerb::Import, "h",
         {kHelp, {"replace", no_argument, nullptr, kReplace}}, 1, kMany},
        {"find", CatalogVerb::Find, "h",
         {kHelp, {"path", no_argument, nullptr, kPath}, {"glob", no_argument, nullptr, kGlob},
          {"files", no_argument, nullptr, kFiles}, {"folders", no_argument, nullptr, kFolders},
          {"no-archives", no_argument, nullptr, kNoArchives}, {"disc", required_argument, nullptr, kDisc},
          {"min-size", required_argument, nullptr, kMinSize}, {"max-size", required_argument, nullptr, kMaxSize},
          {"limit", required_argument, nullptr, kLimit}, {"format", required_argument, nullptr, kFormat}},
         1, 1},
        {"discs", CatalogVerb::Discs, "h", {kHelp, {"format", required_argument, nullptr, kFormat}}, 0, 0},
        {"show", CatalogVerb::Show, "h", {kHelp}, 1, 2},
        {"report", CatalogVerb::Report, "hfo:",
         {kHelp, {"output", required_argument, nullptr, 'o'}, {"force", no_argument, nullptr, 'f'}}, 1, 1},
        {"remove", CatalogVerb::Remove, "h", {kHelp}, 1, 1},
        {"export", CatalogVerb::Export, "hfo:",
         {kHelp, {"format", required_argument, nullptr, kFormat},
          {"output", required_argument, nullptr, 'o'}, {"force", no_argument, nullptr, 'f'}},
         0, kMany},
        {"check", CatalogVerb::Check, "h", {kHelp}, 0, 0},
    };
    return specs;
}

// A byte count: digits, optionally followed by K, M or G (powers of 1024).
std::optional<std::uint64_t> byteCount(std::string_view text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value);
    if (parsed.ec != std::errc{} || parsed.ptr == text.data()) return std::nullopt;
    const std::string_view suffix(parsed.ptr, static_cast<std::size_t>(end - parsed.ptr));
    int shift = 0;
    if (suffix == "K" || suffix == "k") shift = 10;
    else if (suffix == "M") shift = 20;
    else if (suffix == "G") shift = 30;
    else if (!suffix.empty()) return std::nullopt;
    if (shift != 0 && value > (UINT64_MAX >> shift)) return std::nullopt;
    return value << shift;
}

class Parser
{
public:
    explicit Parser(std::vector<std::string> args) : m_args(std::move(args))
    {
        m_argv.push_back(m_program.data());
        for (std::string& arg : m_args)
            m_argv.push_back(arg.data());
        m_argv.push_back(nullptr);
    }

    std::variant<CatalogOptions, CatalogUsageError> parse();

private:
    int argc() const { return static_cast<int>(m_argv.size() - 1); }
    bool parseGlobal();
    bool parseVerb(const VerbSpec& spec);
    bool apply(int option, const char* value);
    bool setSize(std::optional<std::uint64_t>& into, const char* option, const char* value);
    bool fail(std::string message);
    std::string offending() const;

    std::string m_program = kCatalogProgramName;
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
    CatalogOptions m_options;
    std::optional<std::string> m_error;
};

std::string Parser::offending() const
{
    const int at = optind - 1;
    return at > 0 && at < argc() ? m_argv[static_cast<std::size_t>(at)] : "?";
}

bool Parser::parseGlobal()
{
    static const option global[] = {
        kHelp, {"catalog", required_argument, nullptr, kCatalog},
        {"version", no_argument, nullptr, kVersion}, {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    for (;;) {
        const int option = getopt_long(argc(), m_argv.data(), "+:h", global, nullptr);
        if (option == -1) return true;
        if (option == 'h') return m_options.verb = CatalogVerb::Help, false;
        if (option == kVersion) return m_options.verb = CatalogVerb::Version, false;
        if (option == kCatalog) m_options.catalogPath = optarg;
        if (option == ':') return fail("option '" + offending() + "' needs a value");
        if (option == '?') return fail("unknown option '" + offending() + "'");
    }
}

bool Parser::parseVerb(const VerbSpec& spec)
{
    std::vector<option> longOptions = spec.longOptions;
    longOptions.push_back({nullptr, 0, nullptr, 0});
    const std::string shortOptions = std::string(":") + spec.shortOptions;
    // The verb stands where the program's name stood, so getopt starts after it.
    std::vector<char*> argv(m_argv.begin() + optind, m_argv.end());
    const int count = static_cast<int>(argv.size() - 1);
    optind = 0;
    for (;;) {
        const int option =
            getopt_long(count, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (option == -1) break;
        const int at = optind - 1;
        const std::string typed = at > 0 && at < count ? argv[static_cast<std::size_t>(at)] : "?";
        if (option == ':') return fail("option '" + typed + "' needs a value");
        if (option == '?') return fail("unknown option '" + typed + "' for " + spec.name);
        if (option == 'h') return m_options.verb = CatalogVerb::Help, false;
        if (!apply(option, optarg)) return false;
    }
    for (int at = optind; at < count; ++at)
        m_options.operands.emplace_back(argv[static_cast<std::size_t>(at)]);
    if (m_options.operands.size() < spec.minOperands)
        return fail(std::string(spec.name) + ": missing operand");
    if (m_options.operands.size() > spec.maxOperands)
        return fail(std::string(spec.name) + ": too many operands, from '" +
                    m_options.operands[spec.maxOperands] + "' on");
    return true;
}

bool Parser::apply(int option, const char* value)
{
    CatalogOptions& o = m_options;
    catalog::FindQuery& q = o.query;
    switch (option) {
    case kName: o.name = value; break;
    case kNote: o.note = value; break;
    case kNoZip: o.listZip = false; break;
    case kNoRar: o.listRar = false; break;
    case kReplace: o.replace = true; break;
    case 'q': o.quiet = true; break;
    case 'f': o.force = true; break;
    case 'o': o.output = value; break;
    case kFormat: o.format = value; break;
    case kPath: q.wholePath = true; break;
    case kGlob: q.glob = true; break;
    case kFiles: q.only = catalog::FindQuery::Only::Files; break;
    case kFolders: q.only = catalog::FindQuery::Only::Folders; break;
    case kNoArchives: q.archiveEntries = false; break;
    case kDisc: o.discSpec = value; break;
    case kMinSize: return setSize(q.minSize, "--min-size", value);
    case kMaxSize: return setSize(q.maxSize, "--max-size", value);
    case kLimit: return setSize(q.limit, "--limit", value);
    case kCodePage: {
        std::optional<common::CodePage> page = common::CodePage::byName(value);
        if (!page) return fail(std::string("unknown code page '") + value + "'");
        o.oemCodePage = std::move(*page);
        break;
    }
    default: return fail("unexpected option");
    }
    return true;
}

bool Parser::setSize(std::optional<std::uint64_t>& into, const char* option, const char* value)
{
    into = byteCount(value);
    if (!into) return fail(std::string(option) + " takes a number, not '" + value + "'");
    return true;
}

bool Parser::fail(std::string message)
{
    m_error = std::move(message);
    return false;
}

std::variant<CatalogOptions, CatalogUsageError> Parser::parse()
{
    if (!parseGlobal()) {
        if (m_error) return CatalogUsageError{*m_error};
        return m_options;
    }
    if (optind >= argc()) return CatalogUsageError{"missing command (add, find, discs, ...)"};
    const std::string_view verb = m_argv[static_cast<std::size_t>(optind)];
    for (const VerbSpec& spec : verbs()) {
        if (verb != spec.name) continue;
        m_options.verb = spec.verb;
        if (!parseVerb(spec) && m_error) return CatalogUsageError{*m_error};
        if (spec.verb == CatalogVerb::Find && m_options.verb == CatalogVerb::Find)
            m_options.query.pattern = m_options.operands.front();
        return m_options;
    }
    return CatalogUsageError{"unknown command '" + std::string(verb) + "'"};
}

} // namespace

std::variant<CatalogOptions, CatalogUsageError>
parseCatalogCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).parse();
}

std::string catalogUsageText()
{
    return R"(Usage: tarvelo-catalog [--catalog FILE] COMMAND [options] [operands]

Keeps the inventories of many discs in one catalogue and finds files across them.

Commands:
  add [--name TEXT] [--note TEXT] [--no-zip] [--no-rar] [--codepage NAME] [--replace]
      [-q] SOURCE...        read each disc (folder, image or drive) into the catalogue
  import [--replace] REPORT...
                            add discs from text reports of tarvelo-report (UTF-8) or
                            of earlier Windows programs (Windows-1250)
  find [--path] [--glob] [--files | --folders] [--no-archives] [--disc DISC]
       [--min-size N] [--max-size N] [--limit N] [--format text|jsonl|csv] PATTERN
                            list the entries whose name (or path) holds PATTERN
  discs [--format text|jsonl|csv]
                            list the discs with their numbers
  show DISC [PATH]          list a folder of a disc (its root by default)
  report DISC -o FILE [-f]  write the disc's text report again ("-" for standard output)
  remove DISC               take a disc out of the catalogue
  export [DISC...] --format jsonl|csv|dfxml -o FILE [-f]
                            write every entry of the discs (all by default)
  check                     check the catalogue's integrity

DISC is the number `discs` shows, or a label no other disc has. PATTERN is compared
ignoring case and diacritics, with Serbian Cyrillic read as Latin; with --glob, "*"
and "?" match any text and one character. Sizes N take K, M and G suffixes.

Options:
      --catalog FILE  the catalogue (default: $TARVELO_CATALOG, else
                      $XDG_DATA_HOME/tarvelo/catalog.sqlite)
  -h, --help          show this help and exit
      --version       show the version and licence and exit

Exit status: 0 done, 1 failed (find: nothing found), 2 usage error, 3 a disc was added
but a folder on it could not be read, 130 interrupted.
)";
}

} // namespace tarvelo::cli
