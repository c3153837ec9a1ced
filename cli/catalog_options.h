// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/find.h"
#include "common/code_page.h"

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tarvelo::cli {

inline constexpr const char* kCatalogProgramName = "tarvelo-catalog";

enum class CatalogVerb
{
    Help,
    Version,
    Add,
    Import,
    Find,
    Discs,
    Show,
    Report,
    Remove,
    Export,
    Check,
};

// One tarvelo-catalog command line: the catalogue, the verb, its options and operands.
struct CatalogOptions
{
    CatalogVerb verb = CatalogVerb::Help;
    std::string catalogPath; // empty: TARVELO_CATALOG, else the default
    std::vector<std::string> operands;
    // add and import
    std::string name;
    std::string note;
    bool listZip = true;
    bool listRar = true;
    common::CodePage oemCodePage = common::CodePage::defaultOem();
    bool replace = false;
    bool quiet = false;
    // find; its pattern is the one operand
    catalog::FindQuery query;
    std::string discSpec; // --disc, a number or a label
    // find, discs, export
    std::string format;
    // report and export
    std::string output;
    bool force = false;
};

struct CatalogUsageError
{
    std::string message;
};

// A usage error found only when the command runs (a format the command does not write).
class UsageProblem : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The command line after the program's name.
std::variant<CatalogOptions, CatalogUsageError>
parseCatalogCommandLine(const std::vector<std::string>& args);

std::string catalogUsageText();

} // namespace tarvelo::cli
