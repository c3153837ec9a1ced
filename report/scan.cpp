// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/scan.h"

#include "common/error.h"
#include "report/archive_kind.h"
#include "report/folder_path.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tarvelo::report {
namespace {

constexpr std::size_t kProgressEveryFolders = 64;

// The longest folder path a host can open (PATH_MAX). A host reaching each folder from
// its parent could go deeper, but a disc image is held to the same limit, so the same
// disc gives the same report either way and a crafted image cannot make the report's
// lines grow with the square of its depth.
constexpr std::size_t kMaxPathBytes = 4096;

// A folder found in a listing, waiting for its own listing.
struct PendingFolder
{
    NameRef name;
    std::size_t parent = 0;
    std::shared_ptr<const platform::FolderAnchor> parentAnchor;
};

// Takes one folder's entries: files straight into the scan, subfolders' names aside so
// they can be put in order before they are listed in turn.
class FolderLister final : public platform::EntrySink
{
public:
    explicit FolderLister(DiscScan& scan) : m_scan(scan) {}

    void entry(std::string_view name, platform::EntryKind kind, std::uint64_t size,
               std::uint64_t ref, platform::ModifiedTime modified,
               std::uint64_t position) override
    {
        if (kind == platform::EntryKind::Folder)
            subfolders.push_back(m_scan.keepName(name));
        else // a position only orders the reads of archives: other files' cost no memory
            m_scan.addFile(name, kind, size, ref, modified,
                           archiveKindOf(kind, name) != ArchiveKind::None ? position : 0);
    }

    void sortSubfolders()
    {
        std::sort(subfolders.begin(), subfolders.end(), [this](NameRef a, NameRef b) {
            return nameBefore(m_scan.name(a), m_scan.name(b));
        });
    }

    std::vector<NameRef> subfolders;

private:
    DiscScan& m_scan;
};

void reportProgress(RunUi& ui, const DiscScan& scan)
{
    Progress progress;
    progress.phase = Progress::Phase::Scanning;
    progress.foldersDone = static_cast<std::int64_t>(scan.folderCount());
    progress.filesDone = scan.totalFiles();
    ui.progress(progress);
}

// Lists one folder into the scan and puts its subfolders on the stack, the first name
// on top; false when the folder had gone.
bool listFolder(const platform::Volume& volume, const std::string& path, PendingFolder&& pending,
                DiscScan& scan, std::vector<PendingFolder>& stack)
{
    if (path.size() >= kMaxPathBytes) throw Error(ErrorNumber::BadFileName, "File name too long");
    const std::size_t index = scan.folderCount();
    scan.addFolder(pending.name, pending.parent);
    FolderLister lister(scan);
    const platform::FolderListing listing = volume.listEntries(
        {path, std::move(pending.parentAnchor), scan.name(pending.name)}, lister);
    if (listing.gone && index == 0) throw Error(ErrorNumber::FileNotFound, "the folder has gone");
    if (listing.gone) {
        scan.dropFolder();
        return false;
    }
    scan.sortFiles();
    lister.sortSubfolders();
    scan.setSubfolderCount(index, lister.subfolders.size());
    for (auto name = lister.subfolders.rbegin(); name != lister.subfolders.rend(); ++name)
        stack.push_back({*name, index, listing.anchor});
    return true;
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

DiscScan scanDisc(const platform::Volume& volume, RunUi& ui, DiscScan::Dates dates)
{
    DiscScan scan(dates);
    FolderPath path(volume.rootPath(), volume.separator());
    std::vector<PendingFolder> stack(1);
    while (!stack.empty()) {
        if (ui.stopRequested()) {
            scan.end = ScanEnd::Stopped;
            break;
        }
        PendingFolder pending = std::move(stack.back());
        stack.pop_back();
        const std::size_t index = scan.folderCount();
        const std::size_t parent = pending.parent;
        const std::string& folderPath =
            index == 0 ? path.current() : path.enter(index, parent, scan.name(pending.name));
        try {
            if (!listFolder(volume, folderPath, std::move(pending), scan, stack))
                scan.setSubfolderCount(parent, scan.folder(parent).subfolderCount - 1);
        } catch (const Error& error) {
            if (scan.folderCount() > index) scan.dropFolder(); // nothing of it is kept
            scan.end = ScanEnd::Unreadable;
            scan.unreadable = Problem{folderPath, error.what()};
            break;
        }
        if (scan.folderCount() % kProgressEveryFolders == 0) reportProgress(ui, scan);
    }
    scan.addUpSizes();
    return scan;
}

} // namespace tarvelo::report
