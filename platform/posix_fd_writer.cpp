// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_fd_writer.h"

#include <unistd.h>

#include <cerrno>

#include "common/error.h"

namespace tarvelo::platform {

FdWriter::FdWriter(int fd) : m_fd(fd)
{
    m_buffer.reserve(kCapacity);
}

void FdWriter::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > kCapacity) flush();
    if (bytes.size() >= kCapacity)
        writeAll(bytes);
    else
        m_buffer.append(bytes);
}

void FdWriter::flush()
{
    writeAll(m_buffer);
    m_buffer.clear();
}

void FdWriter::writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw Error::fromErrno(errno);
        }
        if (written == 0) throw Error(ErrorNumber::DeviceIo, "the system accepted no bytes");
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace tarvelo::platform
