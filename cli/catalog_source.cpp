// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_source.h"

#include "cli/outcome_text.h"
#include "common/error.h"

#include <cstdlib>
#include <filesystem>

namespace tarvelo::cli {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string catalogPath(const std::string& given)
{
    if (!given.empty()) return given;
    if (std::string fromEnvironment = environment("TARVELO_CATALOG"); !fromEnvironment.empty())
        return fromEnvironment;
    std::filesystem::path data = environment("XDG_DATA_HOME");
    if (data.empty() || data.is_relative()) {
        const std::string home = environment("HOME");
        if (home.empty())
            throw Error(ErrorNumber::PathNotFound,
                        "no HOME to keep the catalogue in; give --catalog FILE");
        data = std::filesystem::path(home) / ".local" / "share";
    }
    const std::filesystem::path folder = data / "tarvelo";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw Error(ErrorNumber::PathFileAccess, folder.string() + ": " + error.message());
    return (folder / "catalog.sqlite").string();
}

SourceIdentity identifySource(const std::string& source)
{
    std::error_code error;
    const auto status = std::filesystem::status(source, error);
    if (std::filesystem::is_block_file(status)) return {source, std::string(catalog::kFromDrive)};
    const auto absolute = std::filesystem::weakly_canonical(source, error);
    const std::string kind(std::filesystem::is_directory(status) ? catalog::kFromFolder
                                                                 : catalog::kFromImage);
    return {error ? source : absolute.string(), kind};
}

ReportCatalog::ReportCatalog(const std::string& given, const std::string& source,
                             char decimalSeparator)
    : m_path(catalogPath(given)), m_catalog(m_path, catalog::Catalog::Missing::Make),
      m_writer(m_catalog, [&] {
          const SourceIdentity identity = identifySource(source);
          return catalog::DiscDescription{"", "", identity.source, identity.kind,
                                          decimalSeparator, false};
      }())
{
}

std::string ReportCatalog::finish(const report::RunOutcome& outcome, bool& failed)
{
    failed = false;
    if (outcome.kind != report::OutcomeKind::Done && outcome.kind != report::OutcomeKind::Incomplete)
        return "the disc was not added to the catalogue " + cli::quoted(m_path);
    try {
        const std::int64_t number = m_writer.commit();
        return "added the disc to the catalogue " + cli::quoted(m_path) + " as disc " +
               std::to_string(number);
    } catch (const Error& error) {
        failed = true;
        return "the report is written, but the disc was not added to the catalogue " +
               cli::quoted(m_path) + ": " + error.what();
    }
}

} // namespace tarvelo::cli
