// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "cli/catalog_options.h"

#include <string>

namespace tarvelo::cli {

// Runs one tarvelo-catalog command and gives its exit status; what went wrong is said
// on standard error.
int runCatalogCommand(const CatalogOptions& options, char decimalSeparator);

// Each command; `catalog` is where the catalogue is.
int addDiscs(const CatalogOptions& options, const std::string& catalog, char decimalSeparator);
int importReports(const CatalogOptions& options, const std::string& catalog);
int findEntries(const CatalogOptions& options, const std::string& catalog);
int listDiscs(const CatalogOptions& options, const std::string& catalog);
int showFolder(const CatalogOptions& options, const std::string& catalog);
int writeReportAgain(const CatalogOptions& options, const std::string& catalog);
int exportEntries(const CatalogOptions& options, const std::string& catalog);

} // namespace tarvelo::cli
