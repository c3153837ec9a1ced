// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "platform/output.h"

#include <vector>

namespace tarvelo::catalog {

enum class ExportFormat
{
    Jsonl, // as find writes it
    Csv,   // as find writes it
    Dfxml, // Digital Forensics XML: a volume of fileobjects for each disc
};

// Writes every entry of the discs to file in the format.
void exportEntries(Catalog& catalog, const std::vector<DiscRecord>& discs, ExportFormat format,
                   platform::PendingFile& file);

} // namespace tarvelo::catalog
