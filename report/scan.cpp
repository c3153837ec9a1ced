#include "report/scan.h"

#include "common/checked.h"
#include "common/error.h"

#include <algorithm>
#include <limits>

namespace tarvelo::report {
namespace {

constexpr std::size_t kProgressEveryFolders = 64;

// The longest folder path a host can open (PATH_MAX). Folders deeper than that cannot be
// read from a mounted disc, and a disc image is held to the same limit, so the same disc
// gives the same report either way and a crafted image cannot make the paths kept (and
// the report's lines) grow with the square of its depth.
constexpr std::size_t kMaxPathBytes = 4096;

// A folder found in a listing, waiting for its own listing.
struct PendingFolder
{
    std::string path;
    std::string name;
    std::size_t parent = 0;
};

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

// Lists one folder into a scanned folder with its entries in report order; the
// subfolders' names come back in the same order.
ScannedFolder readFolder(const platform::Volume& volume, const PendingFolder& pending,
                         std::vector<std::string>& subfolders)
{
    if (pending.path.size() >= kMaxPathBytes)
        throw Error(ErrorNumber::BadFileName, "File name too long");
    std::vector<platform::FolderEntry> entries = volume.listFolder(pending.path);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return nameBefore(a.name, b.name); });

    ScannedFolder folder{pending.path, pending.name, pending.parent, {}, 0, 0};
    for (platform::FolderEntry& entry : entries) {
        if (entry.kind == platform::EntryKind::Folder) {
            subfolders.push_back(std::move(entry.name));
        } else {
            folder.totalSize = saturatingAdd(folder.totalSize, entry.size);
            folder.files.push_back({std::move(entry.name), entry.size, entry.kind, entry.ref});
        }
    }
    folder.subfolderCount = subfolders.size();
    return folder;
}

// Adds every folder's total to its parent's, children first: in pre-order a parent
// always stands before its children.
void aggregateSizes(std::vector<ScannedFolder>& folders)
{
    for (std::size_t i = folders.size(); i-- > 1;) {
        ScannedFolder& parent = folders[folders[i].parent];
        parent.totalSize = saturatingAdd(parent.totalSize, folders[i].totalSize);
    }
}

// Adds a listed folder and its counts; a count past 32 bits fails and keeps nothing.
void keep(DiscScan& scan, ScannedFolder&& folder)
{
    const std::int32_t files =
        common::checkedAdd(scan.totalFiles, common::checkedCast<std::int32_t>(folder.files.size()));
    const std::int32_t folders = scan.folders.empty()
                                     ? scan.totalFolders
                                     : common::checkedAdd(scan.totalFolders, std::int32_t{1});
    scan.folders.push_back(std::move(folder));
    scan.totalFiles = files;
    scan.totalFolders = folders;
}

void reportProgress(RunUi& ui, const DiscScan& scan)
{
    Progress progress;
    progress.phase = Progress::Phase::Scanning;
    progress.foldersDone = static_cast<std::int64_t>(scan.folders.size());
    progress.filesDone = scan.totalFiles;
    ui.progress(progress);
}

} // namespace

bool nameBefore(std::string_view a, std::string_view b)
{
    const auto folded = [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    };
    int firstDifference = 0; // of the unfolded bytes, for names equal when folded
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        if (folded(x) != folded(y)) return folded(x) < folded(y);
        if (firstDifference == 0) firstDifference = x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return firstDifference < 0;
}

DiscScan scanDisc(const platform::Volume& volume, RunUi& ui)
{
    DiscScan scan;
    std::vector<PendingFolder> stack{{volume.rootPath(), {}, 0}};
    std::vector<std::string> subfolders;
    while (!stack.empty()) {
        if (ui.stopRequested()) {
            scan.end = ScanEnd::Stopped;
            break;
        }
        const PendingFolder pending = std::move(stack.back());
        stack.pop_back();
        const std::size_t index = scan.folders.size();
        try {
            subfolders.clear();
            ScannedFolder folder = readFolder(volume, pending, subfolders);
            keep(scan, std::move(folder));
        } catch (const Error& error) {
            scan.end = ScanEnd::Unreadable;
            scan.unreadable = Problem{pending.path, error.what()};
            break;
        }
        // Pushed in reverse, so the first name is listed next: the walk's pre-order.
        for (auto name = subfolders.rbegin(); name != subfolders.rend(); ++name)
            stack.push_back({volume.childPath(pending.path, *name), std::move(*name), index});
        if (scan.folders.size() % kProgressEveryFolders == 0) reportProgress(ui, scan);
    }
    aggregateSizes(scan.folders);
    return scan;
}

} // namespace tarvelo::report
