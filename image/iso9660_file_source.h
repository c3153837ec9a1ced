// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/iso9660_directory.h"
#include "platform/byte_source.h"

#include <memory>
#include <span>
#include <vector>

namespace tarvelo::image::iso9660 {

// A file on the disc as one run of bytes over its extents, so an archive inside an
// image is read exactly like one on a mounted disc. Shares the disc, which thus lives
// as long as any file opened on it. A read finds its first extent by bisection, so a
// file of many extents reads in time linear in what it reads.
class FileSource final : public platform::ByteSource
{
public:
    FileSource(std::shared_ptr<const platform::ByteSource> disc, std::vector<Extent> extents);

    std::uint64_t size() const override { return m_ends.empty() ? 0 : m_ends.back(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::shared_ptr<const platform::ByteSource> m_disc;
    std::vector<Extent> m_extents;
    std::vector<std::uint64_t> m_ends; // where each extent ends within the file
};

// The data extents of every file listed, file after file, so a listed file is opened by
// its number without reading its folder again: 16 bytes an extent and 8 a file.
class FileTable
{
public:
    struct File
    {
        std::span<const Extent> extents;
        bool interleaved = false;
    };

    // The new file's number.
    std::uint64_t add(std::span<const Extent> extents, bool interleaved);

    // Raises the file-not-found error for a number add() never gave.
    File file(std::uint64_t number) const;

private:
    std::vector<Extent> m_extents;
    std::vector<std::size_t> m_firsts; // each file's first extent in m_extents
    std::vector<bool> m_interleaved;
};

} // namespace tarvelo::image::iso9660
