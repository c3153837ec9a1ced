#pragma once

#include "catalog/catalog.h"
#include "cli/catalog_options.h"

#include <string>

namespace tarvelo::cli {

// Runs one tarvelo-catalog command and gives its exit status; what went wrong is said
// on standard error.
int runCatalogCommand(const CatalogOptions& options, char decimalSeparator);

// The catalogue's path: the one given, else $TARVELO_CATALOG, else
// $XDG_DATA_HOME/tarvelo/catalog.sqlite (~/.local/share/...), its folder made if need be.
std::string catalogPath(const std::string& given);

// Each command; `catalog` is where the catalogue is.
int addDiscs(const CatalogOptions& options, const std::string& catalog, char decimalSeparator);
int importReports(const CatalogOptions& options, const std::string& catalog);
int findEntries(const CatalogOptions& options, const std::string& catalog);
int listDiscs(const CatalogOptions& options, const std::string& catalog);
int showFolder(const CatalogOptions& options, const std::string& catalog);
int writeReportAgain(const CatalogOptions& options, const std::string& catalog);
int exportEntries(const CatalogOptions& options, const std::string& catalog);

// What the catalogue calls a source: a folder, an image file or a drive, and for a folder
// its absolute path, so the same folder is known again whatever path named it.
struct SourceIdentity
{
    std::string source;
    std::string kind;
};
SourceIdentity identifySource(const std::string& source);

} // namespace tarvelo::cli
