// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"
#include "report/disc_scan.h"
#include "report/run_ui.h"

#include <string_view>

namespace tarvelo::report {

// Reads every folder of the volume once, without recursion, each subfolder reached from
// its parent where the volume allows. A folder that has gone since its parent was listed
// is left out; any other folder that cannot be read ends the scan. Progress goes to ui
// now and then, and ui is asked whether to stop before each folder.
DiscScan scanDisc(const platform::Volume& volume, RunUi& ui,
                  DiscScan::Dates dates = DiscScan::Dates::Dropped);

// The report's order of names: ASCII letters folded to upper case, then unsigned bytes,
// ties broken by the unfolded bytes, so the same disc always gives the same report.
bool nameBefore(std::string_view a, std::string_view b);

} // namespace tarvelo::report
