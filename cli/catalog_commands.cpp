// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_commands.h"

#include "catalog/check.h"
#include "cli/catalog_source.h"
#include "cli/cli_run_ui.h"
#include "cli/outcome_text.h"
#include "common/error.h"

#include <iostream>

namespace tarvelo::cli {
namespace {

int removeDisc(const CatalogOptions& options, const std::string& catalogFile)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    const catalog::DiscRecord disc = catalog.disc(options.operands.front());
    catalog.remove(disc);
    printMessage("removed disc " + std::to_string(disc.id) + " " + cli::quoted(disc.label));
    return 0;
}

int checkCatalogue(const std::string& catalogFile)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    const std::vector<std::string> problems = catalog::checkCatalog(catalog);
    for (const std::string& problem : problems)
        printMessage(cli::quoted(catalogFile) + ": " + problem);
    if (!problems.empty()) return 1;
    std::cout << catalogFile << ": ok\n";
    return 0;
}

} // namespace

int runCatalogCommand(const CatalogOptions& options, char decimalSeparator)
{
    const std::string catalog = catalogPath(options.catalogPath);
    switch (options.verb) {
    case CatalogVerb::Add:
        return addDiscs(options, catalog, decimalSeparator);
    case CatalogVerb::Import:
        return importReports(options, catalog);
    case CatalogVerb::Find:
        return findEntries(options, catalog);
    case CatalogVerb::Discs:
        return listDiscs(options, catalog);
    case CatalogVerb::Show:
        return showFolder(options, catalog);
    case CatalogVerb::Report:
        return writeReportAgain(options, catalog);
    case CatalogVerb::Remove:
        return removeDisc(options, catalog);
    case CatalogVerb::Export:
        return exportEntries(options, catalog);
    case CatalogVerb::Check:
        return checkCatalogue(catalog);
    case CatalogVerb::Help:
    case CatalogVerb::Version:
        break;
    }
    return 0;
}

} // namespace tarvelo::cli
