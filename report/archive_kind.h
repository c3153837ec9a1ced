// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/volume.h"
#include "report/report_run.h"

#include <string_view>

namespace tarvelo::report {

enum class ArchiveKind
{
    None,
    Zip,
    Rar,
};

// The last four characters of the name, upper-cased, name the archive kind. Only regular
// files are ever opened: a FIFO or a device named like an archive could block.
ArchiveKind archiveKindOf(platform::EntryKind kind, std::string_view name);

// The reader that lists archives of the kind, when the request asks for them; else null.
archive::ArchiveReader* readerFor(ArchiveKind kind, const RunRequest& request,
                                  ArchiveReaders readers);

} // namespace tarvelo::report
