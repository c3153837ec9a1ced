// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/sqlite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

// The text of an imported report that writing the disc's report again would not give
// back, kept beside the disc. Report text is repetitive, so it is kept compressed: as
// it is, it would cost as much room as everything else about the disc.
void keepText(Database& db, std::int64_t discId, std::string_view text);

// The kept text, if the disc has one; a damaged one raises an error.
std::optional<std::string> keptText(Database& db, std::int64_t discId);

} // namespace tarvelo::catalog
