// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_commands.h"

#include "catalog/report_import.h"
#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/outcome_text.h"
#include "common/error.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvelo::cli {
namespace {

// Far beyond the report of any disc, so a wrong file cannot take all memory.
constexpr std::uintmax_t kLargestReport = std::uintmax_t{1} << 30;

std::string readReportFile(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) throw Error(ErrorNumber::FileNotFound, error.message());
    if (size > kLargestReport) throw Error(ErrorNumber::InvalidFileFormat, "too large for a report");
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(ErrorNumber::DeviceIo, "cannot read it");
    return bytes;
}

} // namespace

int importReports(const CatalogOptions& options, const std::string& catalogFile)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Make);
    int status = 0;
    for (const std::string& path : options.operands) {
        if (interruptRequested()) {
            printMessage("interrupted; " + cli::quoted(path) +
                         " and the reports after it were not imported");
            return 130;
        }
        try {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(path, error);
            const std::int64_t number = catalog::importReport(
                catalog, error ? path : absolute.string(), readReportFile(path), options.replace);
            printMessage("imported " + cli::quoted(path) + " as disc " + std::to_string(number));
        } catch (const Error& error) {
            printMessage("cannot import " + cli::quoted(path) + ": " + error.what() +
                         "; the catalogue is as it was");
            status = 1;
        }
    }
    return status;
}

} // namespace tarvelo::cli
