// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/archive_kind.h"

#include "common/text.h"

#include <algorithm>
#include <string>

namespace tarvelo::report {

ArchiveKind archiveKindOf(platform::EntryKind kind, std::string_view name)
{
    constexpr std::size_t kExtensionLength = 4;
    if (kind != platform::EntryKind::RegularFile || name.size() < kExtensionLength)
        return ArchiveKind::None;
    std::string tail(name.substr(name.size() - kExtensionLength));
    std::transform(tail.begin(), tail.end(), tail.begin(), common::asciiUpper);
    if (tail == ".ZIP") return ArchiveKind::Zip;
    if (tail == ".RAR") return ArchiveKind::Rar;
    return ArchiveKind::None;
}

archive::ArchiveReader* readerFor(ArchiveKind kind, const RunRequest& request,
                                  ArchiveReaders readers)
{
    if (kind == ArchiveKind::Zip && request.listZip) return &readers.zip;
    if (kind == ArchiveKind::Rar && request.listRar) return &readers.rar;
    return nullptr;
}

} // namespace tarvelo::report
