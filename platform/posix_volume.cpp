#include "platform/posix_volume.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

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

FolderEntry entryOf(const char* name, const struct stat& info)
{
    if (S_ISDIR(info.st_mode)) return {name, EntryKind::Folder, 0};
    const EntryKind kind = S_ISREG(info.st_mode) ? EntryKind::RegularFile : EntryKind::OtherFile;
    return {name, kind, static_cast<std::uint64_t>(info.st_size)};
}

// Opens a folder of the volume for reading; nothing when it lies on another file system.
UniqueFd openFolder(const std::string& path, dev_t volumeDevice)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!fd) throw Error::fromErrno(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw Error::fromErrno(errno);
    if (info.st_dev != volumeDevice) return {};
    return fd;
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

} // namespace

std::string withoutTrailingSlashes(std::string_view path)
{
    const auto last = path.find_last_not_of('/');
    if (last == std::string_view::npos) return path.empty() ? std::string() : std::string("/");
    return std::string(path.substr(0, last + 1));
}

PosixVolume::PosixVolume(std::string_view source) : m_source(withoutTrailingSlashes(source))
{
    struct stat info {};
    if (::stat(m_source.c_str(), &info) != 0) throw Error::fromErrno(errno);
    if (!S_ISDIR(info.st_mode)) throw Error::fromErrno(ENOTDIR);
    m_device = info.st_dev;
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
    std::vector<FolderEntry> entries;
    const UniqueFd folder = openFolder(folderPath, m_device);
    if (!folder) return entries;
    forEachName(folder.get(), [&](const char* name, unsigned char type) {
        // A folder needs no stat: its size is not used, and whether it lies on another
        // file system is seen when it is opened.
        struct stat info {};
        if (type == DT_DIR)
            entries.push_back({name, EntryKind::Folder, 0});
        else if (::fstatat(folder.get(), name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            entries.push_back(entryOf(name, info));
        else if (errno != ENOENT) // an entry removed since the folder was read is left out
            throw Error::fromErrno(errno);
    });
    return entries;
}

std::unique_ptr<ByteSource> PosixVolume::openFile(const std::string& path) const
{
    return PosixByteSource::open(path);
}

} // namespace tarvelo::platform
