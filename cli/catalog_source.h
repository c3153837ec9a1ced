// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "catalog/disc_writer.h"
#include "report/outcome.h"

#include <optional>
#include <string>

namespace tarvelo::cli {

// The catalogue's path: the one given, else $TARVELO_CATALOG, else
// $XDG_DATA_HOME/tarvelo/catalog.sqlite (~/.local/share/...), its folder made if need be.
std::string catalogPath(const std::string& given);

// What the catalogue calls a source: a folder, an image file or a drive, and for a folder
// or an image its absolute path, so the same folder is known again whatever path named it
// and the disc list says where each came from.
struct SourceIdentity
{
    std::string source;
    std::string kind;
};
SourceIdentity identifySource(const std::string& source);

// The catalogue a report run adds its disc to, in the run's one scan. The disc is kept
// only when the report run says it may be (complete, or incomplete with what was read).
class ReportCatalog
{
public:
    // Opens (or makes) the catalogue; raises an error when it cannot be used.
    ReportCatalog(const std::string& given, const std::string& source, char decimalSeparator);

    catalog::DiscWriter& sink() noexcept { return m_writer; }

    // Commits the disc after a run that wrote a report, and gives the message that says
    // how it went; failed tells whether the disc could not be added.
    std::string finish(const report::RunOutcome& outcome, bool& failed);

private:
    std::string m_path;
    catalog::Catalog m_catalog;
    catalog::DiscWriter m_writer;
};

} // namespace tarvelo::cli
