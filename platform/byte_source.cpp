// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/byte_source.h"

#include <algorithm>

#include "common/error.h"

namespace tarvelo::platform {

std::vector<std::uint8_t> ByteSource::read(std::uint64_t offset, std::size_t count) const
{
    if (offset > size() || count > size() - offset)
        throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
    std::vector<std::uint8_t> bytes(count);
    readAt(offset, bytes);
    return bytes;
}

void MemoryByteSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset)
        throw Error(ErrorNumber::InputPastEndOfFile, "input past end of file");
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
}

} // namespace tarvelo::platform
