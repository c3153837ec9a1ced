// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_file_source.h"

#include "common/checked.h"
#include "common/error.h"

#include <algorithm>

namespace tarvelo::image::iso9660 {

FileSource::FileSource(std::shared_ptr<const platform::ByteSource> disc,
                       std::vector<Extent> extents)
    : m_disc(std::move(disc)), m_extents(std::move(extents))
{
    m_ends.reserve(m_extents.size());
    std::uint64_t end = 0;
    for (const auto& extent : m_extents)
        m_ends.push_back(end = common::checkedAdd(end, extent.length));
}

void FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > size() || out.size() > size() - offset)
        throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
    // The first extent that ends after offset, then piece by piece.
    auto index = static_cast<std::size_t>(std::upper_bound(m_ends.begin(), m_ends.end(), offset) -
                                          m_ends.begin());
    for (; !out.empty(); ++index) {
        const Extent& extent = m_extents[index];
        const std::uint64_t within = offset - (m_ends[index] - extent.length);
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(extent.length - within, out.size()));
        m_disc->readAt(extent.offset + within, out.first(count));
        out = out.subspan(count);
        offset += count;
    }
}

std::uint64_t FileTable::add(std::span<const Extent> extents, bool interleaved)
{
    m_firsts.push_back(m_extents.size());
    m_extents.insert(m_extents.end(), extents.begin(), extents.end());
    m_interleaved.push_back(interleaved);
    return m_firsts.size() - 1;
}

FileTable::File FileTable::file(std::uint64_t number) const
{
    if (number >= m_firsts.size())
        throw Error(ErrorNumber::FileNotFound, "the file was never listed on this disc");
    const auto index = static_cast<std::size_t>(number);
    const std::size_t end = index + 1 < m_firsts.size() ? m_firsts[index + 1] : m_extents.size();
    return {std::span(m_extents).subspan(m_firsts[index], end - m_firsts[index]),
            m_interleaved[index]};
}

} // namespace tarvelo::image::iso9660
