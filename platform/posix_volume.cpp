#include "platform/posix_volume.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "platform/posix_byte_source.h"
#include "platform/posix_device_label.h"
#include "platform/posix_fd.h"

namespace tarvelo::platform {
namespace {

struct DirCloser
{
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};
using DirStream = std::unique_ptr<DIR, DirCloser>;

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
DirStream openFolder(const std::string& path, dev_t volumeDevice)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!fd) throw Error::fromErrno(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw Error::fromErrno(errno);
    if (info.st_dev != volumeDevice) return nullptr;
    DirStream dir(::fdopendir(fd.get()));
    if (!dir) throw Error::fromErrno(errno);
    fd.release(); // the stream owns it now
    return dir;
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
    const DirStream dir = openFolder(folderPath, m_device);
    std::vector<FolderEntry> entries;
    if (!dir) return entries;
    const int dirFd = ::dirfd(dir.get());
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) throw Error::fromErrno(errno);
            return entries;
        }
        if (isDotOrDotDot(entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue; // removed since the folder was read
            throw Error::fromErrno(errno);
        }
        entries.push_back(entryOf(entry->d_name, info));
    }
}

std::unique_ptr<ByteSource> PosixVolume::openFile(const std::string& path) const
{
    return PosixByteSource::open(path);
}

} // namespace tarvelo::platform
