// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/error.h"

namespace tarvelo::platform {

// Owns one file descriptor and closes it on every path out.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }

    int get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }
    int release() noexcept { return std::exchange(m_fd, -1); }

    void reset() noexcept
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    // Closes and reports what the system said; on Linux the descriptor is gone even when
    // close fails, so it is never closed twice.
    void close()
    {
        const int fd = release();
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw Error::fromErrno(errno);
    }

private:
    int m_fd = -1;
};

} // namespace tarvelo::platform
