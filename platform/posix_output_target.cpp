// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_output_target.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "common/error.h"

namespace tarvelo::platform {
namespace {

// As many links as the kernel follows in one path before it gives up.
constexpr int kMaxLinks = 40;

using Kind = OutputTarget::Kind;

Kind kindOf(const struct stat& info)
{
    if (S_ISREG(info.st_mode)) return Kind::RegularFile;
    if (S_ISDIR(info.st_mode)) return Kind::Folder;
    if (S_ISBLK(info.st_mode)) return Kind::BlockDevice;
    return Kind::Stream;
}

// A link kept by /proc (what /dev/stdout and /dev/fd/N lead to) names an open descriptor,
// not a path: its text ("pipe:[123]", or a file that was since renamed) cannot be followed
// by hand, only opened.
bool isDescriptorAlias(const std::string& link)
{
    struct statfs folder {};
    return ::statfs(folderOf(link).c_str(), &folder) == 0 && folder.f_type == PROC_SUPER_MAGIC;
}

std::string linkTarget(const std::string& link)
{
    std::vector<char> text(PATH_MAX);
    const ssize_t size = ::readlink(link.c_str(), text.data(), text.size());
    if (size < 0) throw Error::fromErrno(errno);
    if (static_cast<std::size_t>(size) == text.size()) throw Error::fromErrno(ENAMETOOLONG);
    std::string target(text.data(), static_cast<std::size_t>(size));
    if (target.starts_with('/')) return target;
    return folderOf(link) + '/' + target;
}

// Nothing at the path: a new file can be made only in a folder that exists.
OutputTarget newFileAt(const std::string& path)
{
    struct stat folder {};
    if (::stat(folderOf(path).c_str(), &folder) != 0) throw Error::fromErrno(errno);
    if (!S_ISDIR(folder.st_mode)) throw Error::fromErrno(ENOTDIR);
    return {Kind::NewFile, path};
}

} // namespace

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

OutputTarget resolveOutputTarget(const std::string& path)
{
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) return newFileAt(current);
            throw Error::fromErrno(errno);
        }
        if (!S_ISLNK(info.st_mode)) return {kindOf(info), current};
        if (isDescriptorAlias(current)) return {Kind::Stream, current};
        if (links == kMaxLinks) throw Error::fromErrno(ELOOP);
        current = linkTarget(current);
    }
}

} // namespace tarvelo::platform
