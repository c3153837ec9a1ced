#include "image/iso9660_file_source.h"

#include "common/checked.h"
#include "common/error.h"

#include <algorithm>

namespace tarvelo::image::iso9660 {

FileSource::FileSource(std::shared_ptr<const platform::ByteSource> disc, std::vector<Extent> extents)
    : m_disc(std::move(disc)), m_extents(std::move(extents))
{
    for (const auto& extent : m_extents)
        m_size = common::checkedAdd(m_size, extent.length);
}

void FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_size || out.size() > m_size - offset)
        throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
    // Skip the extents wholly before offset, then copy piece by piece.
    std::uint64_t extentStart = 0;
    for (const auto& extent : m_extents) {
        if (out.empty()) return;
        if (offset < extentStart + extent.length) {
            const std::uint64_t within = offset - extentStart;
            const auto count = static_cast<std::size_t>(
                std::min<std::uint64_t>(extent.length - within, out.size()));
            m_disc->readAt(extent.offset + within, out.first(count));
            out = out.subspan(count);
            offset += count;
        }
        extentStart += extent.length;
    }
}

} // namespace tarvelo::image::iso9660
