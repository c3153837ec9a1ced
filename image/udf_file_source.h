// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_file_entry.h"
#include "platform/byte_source.h"

#include <memory>

namespace tarvelo::image::udf {

// A file on the disc as one run of bytes, so an archive inside an image is read exactly
// like one on a mounted disc: its embedded data, or its runs, sparse ones reading as
// zeros. Shares the disc, which thus lives as long as any file opened on it.
class FileSource final : public platform::ByteSource
{
public:
    FileSource(std::shared_ptr<const platform::ByteSource> disc, FileData data);

    std::uint64_t size() const override { return m_data.size; }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::shared_ptr<const platform::ByteSource> m_disc;
    FileData m_data;
    std::vector<std::uint64_t> m_runStarts; // the file offset of each run, for a binary search
};

// The whole of a file's bytes, for the tables the volume keeps in files.
std::vector<std::uint8_t> readWholeFile(const platform::ByteSource& disc, const FileData& data);

} // namespace tarvelo::image::udf
