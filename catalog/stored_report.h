// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "platform/output.h"
#include "report/run_ui.h"

namespace tarvelo::catalog {

// Writes a catalogued disc's report again: for a disc read from a source the same bytes
// the report of that source had, for an imported one the imported text (in UTF-8). The
// text is made by the report's own writer and walk over the stored tree. False when ui
// asked to stop first.
bool writeStoredReport(Database& db, const DiscRecord& disc, platform::PendingFile& file,
                       report::RunUi& ui);

} // namespace tarvelo::catalog
