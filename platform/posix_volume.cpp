// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_volume.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>

#include "common/error.h"
#include "platform/posix_byte_source.h"
#include "platform/posix_device_label.h"
#include "platform/posix_fd.h"

namespace tarvelo::platform {
namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

EntryKind kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return EntryKind::Folder;
    return S_ISREG(mode) ? EntryKind::RegularFile : EntryKind::OtherFile;
}

// Folder descriptors kept open at once by one volume's walk: a deep tree must not use up
// the process's descriptors, which the report file and the archives need too.
std::size_t folderDescriptorLimit()
{
    constexpr rlim_t kMostKept = 256;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kMostKept;
    return static_cast<std::size_t>(std::clamp<rlim_t>(limit.rlim_cur / 4, 1, kMostKept));
}

// Calls visit with the name and type (DT_*) of each entry in the open folder. The kernel's
// records are read in large batches directly: a folder stream would add a stat and two
// fcntl calls per folder, which a tree of many small folders feels.
template <typename Visit>
void forEachName(int folderFd, Visit visit)
{
    alignas(dirent64) char buffer[1 << 15];
    for (;;) {
        const ssize_t got = ::getdents64(folderFd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw Error::fromErrno(errno);
        }
        if (got == 0) return;
        for (ssize_t at = 0; at < got;) {
            const auto* record = reinterpret_cast<const dirent64*>(buffer + at);
            if (!isDotOrDotDot(record->d_name)) visit(record->d_name, record->d_type);
            at += record->d_reclen;
        }
    }
}

// Gives every listed entry to the sink; says whether any of them is a folder.
bool listOpenFolder(int folderFd, EntrySink& sink)
{
    bool hasFolders = false;
    forEachName(folderFd, [&](const char* name, unsigned char type) {
        // A folder needs no stat: its size is not used, and whether it lies on another
        // file system is seen when it is opened.
        struct stat info {};
        if (type == DT_DIR) {
            sink.entry(name, EntryKind::Folder, 0, 0, std::nullopt, 0);
            hasFolders = true;
        } else if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            const EntryKind kind = kindOf(info.st_mode);
            const bool folder = kind == EntryKind::Folder;
            sink.entry(name, kind, folder ? 0 : static_cast<std::uint64_t>(info.st_size), 0,
                       folder ? ModifiedTime() : ModifiedTime(info.st_mtim.tv_sec), 0);
            hasFolders = hasFolders || folder;
        } else if (errno != ENOENT) { // an entry removed since the folder was read is left out
            throw Error::fromErrno(errno);
        }
    });
    return hasFolders;
}

class EntryCollector final : public EntrySink
{
public:
    void entry(std::string_view name, EntryKind kind, std::uint64_t size, std::uint64_t ref,
               ModifiedTime modified, std::uint64_t position) override
    {
        entries.push_back({std::string(name), kind, size, ref, modified, position});
    }

    std::vector<FolderEntry> entries;
};

} // namespace

struct FolderDescriptorBudget
{
    std::size_t limit = 1;
    std::size_t held = 0;
};

// A listed folder with subfolders: kept open while the budget allows, otherwise known by
// its parent and name.
class HostFolderAnchor final : public FolderAnchor
{
public:
    HostFolderAnchor(UniqueFd fd, std::shared_ptr<FolderDescriptorBudget> budget)
        : m_fd(std::move(fd)), m_budget(std::move(budget))
    {
        ++m_budget->held;
    }
    HostFolderAnchor(std::shared_ptr<const HostFolderAnchor> parent, std::string_view name)
        : m_parent(std::move(parent)), m_name(name)
    {
    }
    ~HostFolderAnchor() override
    {
        if (m_fd) --m_budget->held;
    }
    HostFolderAnchor(const HostFolderAnchor&) = delete;
    HostFolderAnchor& operator=(const HostFolderAnchor&) = delete;

    int fd() const noexcept { return m_fd.get(); }
    const HostFolderAnchor* parent() const noexcept { return m_parent.get(); }
    const std::string& name() const noexcept { return m_name; }

private:
    UniqueFd m_fd;
    std::shared_ptr<FolderDescriptorBudget> m_budget;
    std::shared_ptr<const HostFolderAnchor> m_parent;
    std::string m_name;
};

std::string withoutTrailingSlashes(std::string_view path)
{
    const auto last = path.find_last_not_of('/');
    if (last == std::string_view::npos) return path.empty() ? std::string() : std::string("/");
    return std::string(path.substr(0, last + 1));
}

PosixVolume::PosixVolume(std::string_view source)
    : m_source(withoutTrailingSlashes(source)),
      m_budget(std::make_shared<FolderDescriptorBudget>())
{
    struct stat info {};
    if (::stat(m_source.c_str(), &info) != 0) throw Error::fromErrno(errno);
    if (!S_ISDIR(info.st_mode)) throw Error::fromErrno(ENOTDIR);
    m_device = info.st_dev;
    m_budget->limit = folderDescriptorLimit();
}

VolumeFacts PosixVolume::facts() const
{
    struct statvfs info {};
    if (::statvfs(m_source.c_str(), &info) != 0) throw Error::fromErrno(errno);
    VolumeFacts facts;
    facts.label = deviceLabel(m_device);
    facts.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    facts.freeBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    return facts;
}

std::string PosixVolume::rootPath() const
{
    return m_source == "/" ? m_source : m_source + '/';
}

std::vector<FolderEntry> PosixVolume::listFolder(const std::string& folderPath) const
{
    EntryCollector collector;
    listEntries({folderPath, nullptr, {}}, collector);
    return std::move(collector.entries);
}

FolderListing PosixVolume::listEntries(const FolderPlace& place, EntrySink& sink) const
{
    UniqueFd folder = openFolder(place);
    if (!folder) return {place.parent != nullptr, nullptr};
    struct stat info {};
    if (::fstat(folder.get(), &info) != 0) throw Error::fromErrno(errno);
    if (info.st_dev != m_device) return {};
    if (!listOpenFolder(folder.get(), sink)) return {};
    if (place.parent == nullptr || m_budget->held < m_budget->limit)
        return {false, std::make_shared<HostFolderAnchor>(std::move(folder), m_budget)};
    return {false, std::make_shared<HostFolderAnchor>(
                       std::static_pointer_cast<const HostFolderAnchor>(place.parent), place.name)};
}

UniqueFd PosixVolume::openFolder(const FolderPlace& place) const
{
    if (place.parent == nullptr) {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
        UniqueFd fd(::open(place.path.c_str(), flags));
        if (!fd) throw Error::fromErrno(errno);
        return fd;
    }
    // Past the budget the parent is not open: go down from its nearest open ancestor,
    // one name at a time, so no symbolic link on the way is followed either.
    std::vector<std::string_view> names{place.name};
    const auto* open = static_cast<const HostFolderAnchor*>(place.parent.get());
    for (; open->fd() < 0; open = open->parent())
        names.push_back(open->name());
    UniqueFd fd = openChild(open->fd(), names.back());
    for (auto name = names.rbegin() + 1; name != names.rend() && fd; ++name)
        fd = openChild(fd.get(), *name);
    return fd;
}

// Opens a subfolder by name, without updating its access time where that is allowed;
// nothing when it has gone.
UniqueFd PosixVolume::openChild(int parentFd, std::string_view name) const
{
    const std::string text(name);
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    UniqueFd fd;
    if (m_noAccessTime) {
        fd = UniqueFd(::openat(parentFd, text.c_str(), kFlags | O_NOATIME));
        if (!fd && errno == EPERM) m_noAccessTime = false; // only the owner may ask for it
    }
    if (!m_noAccessTime) fd = UniqueFd(::openat(parentFd, text.c_str(), kFlags));
    if (!fd && errno != ENOENT) throw Error::fromErrno(errno);
    return fd;
}

std::unique_ptr<ByteSource> PosixVolume::openFile(const std::string& path) const
{
    return PosixByteSource::open(path);
}

} // namespace tarvelo::platform
