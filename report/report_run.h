// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "archive/archive_reader.h"
#include "platform/output.h"
#include "platform/volume.h"
#include "report/inventory_sink.h"
#include "report/outcome.h"
#include "report/run_ui.h"

namespace tarvelo::report {

struct RunRequest
{
    std::string source; // what the volume opener takes: a folder, an image, a drive
    bool listZip = true;
    bool listRar = true;
    char decimalSeparator = '.';
};

// The two readers the walk lists archives with; they share one reader state.
struct ArchiveReaders
{
    archive::ArchiveReader& zip;
    archive::ArchiveReader& rar;
};

struct RunServices
{
    const platform::VolumeOpener& volumes;
    platform::OutputService& outputs;
    ArchiveReaders readers;
    InventorySink* inventory = nullptr; // also hears the disc, when given
};

// One report from the chosen source to the saved file. Messages, questions and the
// caption go through ui; the outcome says how it ended, for the front end to word.
RunOutcome runReport(const RunRequest& request, const RunServices& services, RunUi& ui);

} // namespace tarvelo::report
