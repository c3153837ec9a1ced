// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/byte_source.h"
#include "platform/posix_fd.h"

namespace tarvelo::platform {

// A host file (or a block device) read with pread, so reads at any offset need no seek.
class PosixByteSource final : public ByteSource
{
public:
    // Whether the system reads ahead of each request. A disc's readers ask for what they
    // need in requests already large and often far apart: on a drive, reading ahead of
    // them reads what nobody asked for, at a few megabytes a second.
    enum class ReadAhead
    {
        Allowed,
        Off,
    };

    // Opens path for reading. Anything but a regular file or a block device is refused,
    // and the open never waits (a FIFO named like an archive cannot hang the program).
    static std::unique_ptr<PosixByteSource> open(const std::string& path,
                                                 ReadAhead readAhead = ReadAhead::Allowed);

    std::uint64_t size() const override { return m_size; }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    PosixByteSource(UniqueFd fd, std::uint64_t size) : m_fd(std::move(fd)), m_size(size) {}

    UniqueFd m_fd;
    std::uint64_t m_size;
};

} // namespace tarvelo::platform
