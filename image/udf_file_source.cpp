// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_file_source.h"

#include "common/error.h"

#include <algorithm>

namespace tarvelo::image::udf {

FileSource::FileSource(std::shared_ptr<const platform::ByteSource> disc, FileData data)
    : m_disc(std::move(disc)), m_data(std::move(data))
{
    std::uint64_t start = 0;
    for (const Run& run : m_data.runs) {
        m_runStarts.push_back(start);
        start += run.length;
    }
}

void FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_data.size || out.size() > m_data.size - offset)
        throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
    if (m_data.embedded) {
        std::copy_n(m_data.bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return;
    }
    auto index = static_cast<std::size_t>(
        std::upper_bound(m_runStarts.begin(), m_runStarts.end(), offset) - m_runStarts.begin());
    for (; !out.empty() && index > 0 && index <= m_data.runs.size(); ++index) {
        const Run& run = m_data.runs[index - 1];
        const std::uint64_t within = offset - m_runStarts[index - 1];
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(run.length - within, out.size()));
        if (run.sparse)
            std::fill_n(out.begin(), count, std::uint8_t{0});
        else
            m_disc->readAt(run.offset + within, out.first(count));
        out = out.subspan(count);
        offset += count;
    }
}

std::vector<std::uint8_t> readWholeFile(const platform::ByteSource& disc, const FileData& data)
{
    if (data.embedded) return data.bytes;
    std::vector<std::uint8_t> bytes;
    for (const Run& run : data.runs) {
        const std::size_t at = bytes.size();
        bytes.resize(at + static_cast<std::size_t>(run.length));
        if (!run.sparse) disc.readAt(run.offset, std::span(bytes).subspan(at));
    }
    return bytes;
}

} // namespace tarvelo::image::udf
