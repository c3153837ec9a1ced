#include "cli/options.h"

#include <optional>
#include <string_view>

namespace tarvelo::cli {
namespace {

// The options that only switch something on or off.
struct Flag
{
    const char* shortName;
    const char* longName;
    bool Options::*member;
    bool value;
};

constexpr Flag kFlags[] = {
    {"-f", "--force", &Options::force, true},
    {"-q", "--quiet", &Options::quiet, true},
    {"", "--no-zip", &Options::listZip, false},
    {"", "--no-rar", &Options::listRar, false},
};

const Flag* findFlag(std::string_view name)
{
    for (const Flag& flag : kFlags)
        if (name == flag.shortName || name == flag.longName) return &flag;
    return nullptr;
}

// One option as typed: its name ("-o", "--codepage") and the value glued to it, if any.
struct Typed
{
    std::string name;
    std::optional<std::string> gluedValue;
};

class Parser
{
public:
    explicit Parser(const std::vector<std::string>& args) : m_args(args) {}

    std::variant<ParsedCommand, UsageError> parse();

private:
    // Each is false when the parse ends there: help, version, or a usage error in m_error.
    bool apply(const Typed& option);
    bool setOutput(const Typed& option);
    bool setCodePage(const Typed& option);
    bool stopWith(Command command);
    std::optional<std::string> valueOf(const Typed& option);
    bool takeSource(const std::string& arg);
    bool takeShortGroup(const std::string& arg);
    bool fail(std::string message);

    const std::vector<std::string>& m_args;
    std::size_t m_next = 0;
    ParsedCommand m_parsed;
    std::optional<std::string> m_error;
};

std::variant<ParsedCommand, UsageError> Parser::parse()
{
    bool optionsEnded = false;
    while (m_next < m_args.size()) {
        const std::string& arg = m_args[m_next++];
        bool goOn = true;
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            goOn = takeSource(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg.starts_with("--")) {
            const auto equals = arg.find('=');
            if (equals == std::string::npos)
                goOn = apply({arg, std::nullopt});
            else
                goOn = apply({arg.substr(0, equals), arg.substr(equals + 1)});
        } else {
            goOn = takeShortGroup(arg);
        }
        if (!goOn) break;
    }
    if (m_error) return UsageError{*m_error};
    if (m_parsed.command != Command::Report) return m_parsed;
    if (m_parsed.options.source.empty()) return UsageError{"missing SOURCE"};
    if (m_parsed.options.output.empty()) return UsageError{"missing -o FILE"};
    return m_parsed;
}

// "-fq" is "-f -q"; "-oFILE" is "-o FILE"; a value ends the group.
bool Parser::takeShortGroup(const std::string& arg)
{
    for (std::size_t at = 1; at < arg.size(); ++at) {
        const std::string name{'-', arg[at]};
        if (name == "-o") {
            if (at + 1 < arg.size()) return apply({name, arg.substr(at + 1)});
            return apply({name, std::nullopt});
        }
        if (!apply({name, std::nullopt})) return false;
    }
    return true;
}

bool Parser::apply(const Typed& option)
{
    const std::string& name = option.name;
    if (name == "-h" || name == "--help") return stopWith(Command::Help);
    if (name == "--version") return stopWith(Command::Version);
    if (const Flag* flag = findFlag(name)) {
        if (option.gluedValue) return fail("option '" + name + "' takes no value");
        m_parsed.options.*(flag->member) = flag->value;
        return true;
    }
    if (name == "-o" || name == "--output") return setOutput(option);
    if (name == "--codepage") return setCodePage(option);
    return fail("unknown option '" + name + "'");
}

bool Parser::setOutput(const Typed& option)
{
    const std::optional<std::string> value = valueOf(option);
    if (!value) return false;
    if (!m_parsed.options.output.empty()) return fail("-o given more than once");
    m_parsed.options.output = *value;
    return true;
}

bool Parser::setCodePage(const Typed& option)
{
    const std::optional<std::string> value = valueOf(option);
    if (!value) return false;
    std::optional<common::CodePage> page = common::CodePage::byName(*value);
    if (!page) return fail("unknown code page '" + *value + "'");
    m_parsed.options.oemCodePage = std::move(*page);
    return true;
}

bool Parser::stopWith(Command command)
{
    m_parsed.command = command;
    return false;
}

std::optional<std::string> Parser::valueOf(const Typed& option)
{
    std::optional<std::string> value = option.gluedValue;
    if (!value && m_next < m_args.size()) value = m_args[m_next++];
    if (!value || value->empty()) {
        fail("option '" + option.name + "' needs a value");
        return std::nullopt;
    }
    return value;
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
      --codepage NAME code page of archive names that carry no encoding (default CP852)
  -q, --quiet         show no progress bar
  -h, --help          show this help and exit
      --version       show the version and exit

Exit status: 0 report complete, 1 no report, 2 usage error, 3 report incomplete;
ended by a signal (129, 130, 143 as a shell shows them) when interrupted.
)";
}

} // namespace tarvelo::cli
