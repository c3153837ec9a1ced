// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <getopt.h>

#include <optional>
#include <string_view>

namespace tarvelo::cli {
namespace {

// What getopt_long gives back for each option; long-only options have keys past any char.
enum Key : int
{
    kOperand = 1, // an argument that is not an option, in its place on the line
    kMissingValue = ':',
    kRejected = '?',
    kOutput = 'o',
    kForce = 'f',
    kQuiet = 'q',
    kHelp = 'h',
    kVersion = 256,
    kNoZip,
    kNoRar,
    kCodePage,
    kCatalog,
};

// "-" first: operands come back in their place, whatever POSIXLY_CORRECT says; ":" next:
// a missing value is told apart from an unknown option.
constexpr const char* kShortOptions = "-:o:fqh";

// Each long option may be shortened to any prefix that no other option shares.
constexpr option kLongOptions[] = {
    {"output", required_argument, nullptr, kOutput},
    {"force", no_argument, nullptr, kForce},
    {"quiet", no_argument, nullptr, kQuiet},
    {"no-zip", no_argument, nullptr, kNoZip},
    {"no-rar", no_argument, nullptr, kNoRar},
    {"codepage", required_argument, nullptr, kCodePage},
    {"catalog", optional_argument, nullptr, kCatalog},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// The options that only switch something on or off.
struct Flag
{
    int key;
    bool Options::*member;
    bool value;
};

constexpr Flag kFlags[] = {
    {kForce, &Options::force, true},
    {kQuiet, &Options::quiet, true},
    {kNoZip, &Options::listZip, false},
    {kNoRar, &Options::listRar, false},
};

const Flag* findFlag(int key)
{
    for (const Flag& flag : kFlags)
        if (key == flag.key) return &flag;
    return nullptr;
}

// The long options a typed name (without "--" and value) can stand for.
std::vector<std::string> longNamesFor(std::string_view typed)
{
    std::vector<std::string> names;
    for (const option* known = kLongOptions; known->name != nullptr; ++known) {
        if (typed == known->name) return {std::string("--") + known->name};
        if (std::string_view(known->name).starts_with(typed))
            names.push_back(std::string("--") + known->name);
    }
    return names;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

class Parser
{
public:
    explicit Parser(const std::vector<std::string>& args);

    std::variant<ParsedCommand, UsageError> parse();

private:
    // Each is false when the parse ends there: help, version, or a usage error in m_error.
    bool apply(int key, const std::string& typed);
    bool reject(const std::string& typed);
    bool setOutput(const std::string& typed);
    bool setCodePage(const std::string& typed);
    bool stopWith(Command command);
    std::optional<std::string> value(const std::string& typed, int key);
    bool takeSource(const std::string& arg);
    bool fail(std::string message);

    std::vector<std::string> m_args; // the program's name first, as getopt expects
    std::vector<char*> m_argv;
    ParsedCommand m_parsed;
    std::optional<std::string> m_error;
};

Parser::Parser(const std::vector<std::string>& args) : m_args{kProgramName}
{
    m_args.insert(m_args.end(), args.begin(), args.end());
    for (std::string& arg : m_args)
        m_argv.push_back(arg.data());
    m_argv.push_back(nullptr);
}

std::variant<ParsedCommand, UsageError> Parser::parse()
{
    const int argc = static_cast<int>(m_args.size());
    optind = 0; // starts getopt afresh, as a second parse in one process needs
    opterr = 0; // its messages are ours
    bool goOn = true;
    while (goOn) {
        // The argument being read, for messages: a short option's group, or the long one.
        const int at = optind == 0 ? 1 : optind;
        const std::string typed = at < argc ? m_args[static_cast<std::size_t>(at)] : "";
        const int key = getopt_long(argc, m_argv.data(), kShortOptions, kLongOptions, nullptr);
        if (key == -1) break;
        goOn = apply(key, typed);
    }
    // What follows "--" is operands only.
    for (int at = optind; goOn && at < argc; ++at)
        goOn = takeSource(m_args[static_cast<std::size_t>(at)]);
    if (m_error) return UsageError{*m_error};
    if (m_parsed.command != Command::Report) return m_parsed;
    if (m_parsed.options.source.empty()) return UsageError{"missing SOURCE"};
    if (m_parsed.options.output.empty()) return UsageError{"missing -o FILE"};
    return m_parsed;
}

bool Parser::apply(int key, const std::string& typed)
{
    if (const Flag* flag = findFlag(key)) {
        m_parsed.options.*(flag->member) = flag->value;
        return true;
    }
    switch (key) {
    case kOperand:
        return takeSource(optarg);
    case kOutput:
        return setOutput(typed);
    case kCodePage:
        return setCodePage(typed);
    case kCatalog:
        m_parsed.options.catalog = optarg != nullptr ? optarg : "";
        return true;
    case kHelp:
        return stopWith(Command::Help);
    case kVersion:
        return stopWith(Command::Version);
    case kMissingValue:
        return value(typed, optopt).has_value();
    default:
        return reject(typed);
    }
}

// An option getopt refused: unknown, ambiguous, or given a value it does not take.
bool Parser::reject(const std::string& typed)
{
    if (!typed.starts_with("--"))
        return fail("unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'");
    const std::string name = typed.substr(2, typed.find('=') - 2);
    const std::vector<std::string> names = longNamesFor(name);
    if (names.empty()) return fail("unknown option '--" + name + "'");
    if (names.size() > 1) return fail("option '--" + name + "' is ambiguous: " + joined(names));
    return fail("option '" + names.front() + "' takes no value");
}

bool Parser::setOutput(const std::string& typed)
{
    const std::optional<std::string> output = value(typed, kOutput);
    if (!output) return false;
    if (!m_parsed.options.output.empty()) return fail("-o given more than once");
    m_parsed.options.output = *output;
    return true;
}

bool Parser::setCodePage(const std::string& typed)
{
    const std::optional<std::string> name = value(typed, kCodePage);
    if (!name) return false;
    if (*name == kCodePageHelp) return stopWith(Command::CodePages);
    std::optional<common::CodePage> page = common::CodePage::byName(*name);
    if (!page) return fail("unknown code page '" + *name + "' (see --codepage help)");
    m_parsed.options.oemCodePage = std::move(*page);
    return true;
}

bool Parser::stopWith(Command command)
{
    m_parsed.command = command;
    return false;
}

// The value getopt found for the option just read (key); an empty one counts as none.
std::optional<std::string> Parser::value(const std::string& typed, int key)
{
    if (optarg != nullptr && *optarg != '\0') return std::string(optarg);
    std::string name = "-" + std::string(1, static_cast<char>(key));
    if (typed.starts_with("--")) {
        const std::vector<std::string> names = longNamesFor(typed.substr(2, typed.find('=') - 2));
        name = names.size() == 1 ? names.front() : typed;
    }
    fail("option '" + name + "' needs a value");
    return std::nullopt;
}

bool Parser::takeSource(const std::string& arg)
{
    if (arg.empty()) return fail("SOURCE is empty");
    if (!m_parsed.options.source.empty())
        return fail("more than one SOURCE: '" + m_parsed.options.source + "' and '" + arg + "'");
    m_parsed.options.source = arg;
    return true;
}

bool Parser::fail(std::string message)
{
    m_error = std::move(message);
    return false;
}

} // namespace
std::variant<ParsedCommand, UsageError> parseCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).parse();
}

std::string usageText()
{
    return R"(Usage: tarvelo-report [options] SOURCE -o FILE

Writes a plain-text inventory of the disc at SOURCE (a folder, normally where a disc is
mounted; an ISO 9660 image file; or a drive such as /dev/sr0): its volume facts, every
folder and file with its size, and the entries of every .zip and .rar archive on it.

Options:
  -o, --output FILE   write the report to FILE ("-" for standard output)
  -f, --force         replace an existing FILE without asking
      --no-zip        do not list the entries of .zip archives
      --no-rar        do not list the entries of .rar archives
      --codepage NAME code page of archive names that carry no encoding
                      (default CP852; "--codepage help" lists the names)
      --catalog[=FILE] also add the disc to the catalogue FILE (default: that of
                      tarvelo-catalog), in the same one scan
  -q, --quiet         show no progress bar
  -h, --help          show this help and exit
      --version       show the version and licence and exit

A long option may be shortened to any prefix that is unique (--out, --no-z).

Exit status: 0 report complete, 1 no report, 2 usage error, 3 report incomplete;
ended by a signal (129, 130, 143 as a shell shows them) when interrupted.
)";
}

} // namespace tarvelo::cli
