// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "common/error.h"

namespace tarvelo::platform {
namespace {

[[noreturn]] void throwPastEnd()
{
    throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
}

std::uint64_t sizeOf(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw Error::fromErrno(errno);
    if (S_ISREG(info.st_mode)) return static_cast<std::uint64_t>(info.st_size);
    if (!S_ISBLK(info.st_mode)) throw Error(ErrorNumber::PathFileAccess, "not a regular file");
    // A block device reports no size through stat; its end is where a seek lands.
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) throw Error::fromErrno(errno);
    return static_cast<std::uint64_t>(end);
}

} // namespace

std::unique_ptr<PosixByteSource> PosixByteSource::open(const std::string& path,
                                                       ReadAhead readAhead)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) throw Error::fromErrno(errno);
    const std::uint64_t size = sizeOf(fd.get());
    // Advice only: a system that does not take it reads as it always did.
    if (readAhead == ReadAhead::Off) ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_RANDOM);
    return std::unique_ptr<PosixByteSource>(new PosixByteSource(std::move(fd), size));
}

void PosixByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_size || out.size() > m_size - offset) throwPastEnd();
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) throwPastEnd();
        const ssize_t got =
            ::pread(m_fd.get(), out.data() + done, out.size() - done, static_cast<off_t>(at));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw Error::fromErrno(errno);
        }
        if (got == 0) throwPastEnd(); // the file shrank since it was opened
        done += static_cast<std::size_t>(got);
    }
}

} // namespace tarvelo::platform
