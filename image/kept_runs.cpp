// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/kept_runs.h"

#include <algorithm>
#include <iterator>

namespace tarvelo::image {

std::optional<common::Bytes> KeptRuns::find(iso9660::Extent piece) const
{
    const auto after = m_runs.upper_bound(piece.offset);
    if (after == m_runs.begin()) return std::nullopt;
    const auto& [start, bytes] = *std::prev(after);
    if (piece.end() > start + bytes.size()) return std::nullopt;
    return common::Bytes(bytes).subspan(static_cast<std::size_t>(piece.offset - start),
                                        static_cast<std::size_t>(piece.length));
}

common::Bytes KeptRuns::keep(std::uint64_t offset, std::vector<std::uint8_t> run)
{
    if (const auto old = m_runs.find(offset); old != m_runs.end()) {
        m_bytes -= old->second.size();
        m_runs.erase(old);
        std::erase(m_order, offset);
    }
    while (!m_order.empty() && m_bytes + run.size() > m_limit) {
        const auto oldest = m_runs.find(m_order.front());
        m_bytes -= oldest->second.size();
        m_runs.erase(oldest);
        m_order.pop_front();
    }
    m_bytes += run.size();
    m_order.push_back(offset);
    return m_runs.insert_or_assign(offset, std::move(run)).first->second;
}

} // namespace tarvelo::image
