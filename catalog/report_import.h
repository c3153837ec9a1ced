// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

// The text of a report file in UTF-8: as it is when it is valid UTF-8 (a byte-order mark
// dropped), else read as Windows-1250, the code page reports were written in on Windows.
std::string reportTextOf(std::string_view bytes);

// Adds the disc a text report describes, in one transaction, and gives its number. The
// report's layout is the one tarvelo-report writes; sizes known only as size text are
// kept as the byte count they stand for, marked inexact. A report the catalogue could
// not write back byte for byte is kept as its text as well. A text that is not such a
// report raises an error naming the line. replace: take the place of the same disc.
std::int64_t importReport(Catalog& catalog, const std::string& source, std::string_view bytes,
                          bool replace);

} // namespace tarvelo::catalog
