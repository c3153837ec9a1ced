// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/code_page.h"

namespace tarvelo::cli {

inline constexpr const char* kProgramName = "tarvelo-report";
inline constexpr const char* kStandardOutput = "-";
inline constexpr const char* kCodePageHelp = "help"; // --codepage help lists the names

// What one report run of the command line asks for.
struct Options
{
    std::string source;
    std::string output; // kStandardOutput for standard output
    bool force = false;
    bool listZip = true;
    bool listRar = true;
    common::CodePage oemCodePage = common::CodePage::defaultOem();
    bool quiet = false;
    // --catalog: also add the disc to this catalogue ("" for the default one).
    std::optional<std::string> catalog;
};

enum class Command
{
    Report,
    Help,
    Version,
    CodePages, // list the code-page names --codepage takes
};

struct ParsedCommand
{
    Command command = Command::Report;
    Options options;
};

struct UsageError
{
    std::string message;
};

// The command line after the program's name, as the user typed it.
std::variant<ParsedCommand, UsageError> parseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();


} // namespace tarvelo::cli
