#pragma once

#include "platform/volume.h"
#include "report/outcome.h"
#include "report/run_ui.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::report {

struct ScannedFile
{
    std::string name;
    std::uint64_t size = 0;
    platform::EntryKind kind = platform::EntryKind::RegularFile;
    std::uint64_t ref = 0; // the listing's FolderEntry::ref, to open the file by
};

struct ScannedFolder
{
    std::string path;
    std::string name;       // empty for the root
    std::size_t parent = 0; // index in DiscScan::folders; the root is its own parent
    std::vector<ScannedFile> files;
    std::size_t subfolderCount = 0;
    std::uint64_t totalSize = 0; // its files and everything below it that was read
};

enum class ScanEnd
{
    Complete,
    Unreadable, // a folder could not be listed: the scan ends before it
    Stopped,    // the user asked to stop
};

// The disc as the report shows it, read once: folders in the order the report writes
// them (pre-order, the root first), entries ordered by name.
struct DiscScan
{
    std::vector<ScannedFolder> folders;
    std::int32_t totalFiles = 0;
    std::int32_t totalFolders = 0; // folders below the root
    ScanEnd end = ScanEnd::Complete;
    std::optional<Problem> unreadable; // the folder that ended the scan, and why
};

// Reads every folder of the volume once, without recursion. Progress goes to ui now and
// then, and ui is asked whether to stop before each folder.
DiscScan scanDisc(const platform::Volume& volume, RunUi& ui);

// The report's order of names: ASCII letters folded to upper case, then unsigned bytes,
// ties broken by the unfolded bytes, so the same disc always gives the same report.
bool nameBefore(std::string_view a, std::string_view b);

} // namespace tarvelo::report
