// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarvelo::platform {

// An open file as the archive readers see it: a length and reads at any offset. Closing
// is the destructor's job, so a file is closed on every path out of a read.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t size() const = 0;

    // Fills out with the bytes from offset on; a range that passes the end of the file
    // raises the input-past-end error and fills nothing that the caller may use.
    virtual void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;

    // The count bytes from offset, or the input-past-end error.
    std::vector<std::uint8_t> read(std::uint64_t offset, std::size_t count) const;
};

// Bytes held in memory, borrowed from the caller, who keeps them alive.
class MemoryByteSource final : public ByteSource
{
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// Opens files by path for reading.
class FileOpener
{
public:
    virtual ~FileOpener() = default;
    virtual std::unique_ptr<ByteSource> openFile(const std::string& path) const = 0;
};

} // namespace tarvelo::platform
