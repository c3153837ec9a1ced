// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"

#include <string>
#include <vector>

namespace tarvelo::catalog {

// SQLite's own integrity check of the file and the index, then the catalogue's rules:
// every disc's entries are its range of ids and no others, each begins with its root
// folder, every entry's folder or archive comes before it on the same disc, and the
// disc's file and folder totals are its entries'. What breaks a rule, one line each.
std::vector<std::string> checkCatalog(Catalog& catalog);

} // namespace tarvelo::catalog
