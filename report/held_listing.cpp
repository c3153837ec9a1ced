// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/held_listing.h"

#include "common/checked.h"
#include "common/stop_check.h"

#include <algorithm>

namespace tarvelo::report {
namespace {

// Keeps a reader's notices for the time its archive's turn comes.
class HeldNotices final : public common::NoticeSink
{
public:
    explicit HeldNotices(std::vector<std::string>& notices) : m_notices(notices) {}

    void notice(std::string_view text) override { m_notices.emplace_back(text); }

private:
    std::vector<std::string>& m_notices;
};

} // namespace

std::optional<HeldListing> HeldListing::read(archive::ArchiveReader& reader,
                                             const std::string& path,
                                             const platform::FileOpener& files,
                                             common::StopCheck& stop, bool withSizes,
                                             std::size_t roomBytes)
{
    HeldListing held;
    HeldNotices notices(held.m_notices);
    try {
        reader.Get_Contents(path, {files, notices, stop});
    } catch (const common::Stopped&) {
        throw;
    } catch (const std::exception&) { // whatever the walk's guard would take, it takes later
        held.m_failure = std::current_exception();
        return held;
    }
    held.m_count = reader.FileCount();
    const auto count = static_cast<std::size_t>(std::max(held.m_count, std::int32_t{0}));
    if (count <= roomBytes / sizeof(Entry)) held.m_entries.reserve(count);
    for (std::int32_t number = 1; number <= held.m_count; ++number) {
        try {
            if (!held.add(reader, number, withSizes, roomBytes)) return std::nullopt;
        } catch (const common::Stopped&) {
            throw;
        } catch (const std::exception&) {
            held.m_failure = std::current_exception();
            held.m_failedAt = number;
            break;
        }
    }
    held.m_entries.shrink_to_fit();
    held.m_names.shrink_to_fit();
    return held;
}

bool HeldListing::add(const archive::ArchiveReader& reader, std::int32_t number, bool withSizes,
                      std::size_t roomBytes)
{
    Entry entry;
    // In the order the walk asks for them, so a failure comes where it would have come.
    // The name is copied before the next call can end its view; should the sizes fail,
    // the listing ends before this entry and its name is never looked at.
    const archive::ListedEntry listed = reader.listedEntry(number);
    entry.isDir = listed.isFolder;
    entry.lineSafe = listed.lineSafe;
    if (bytes() + sizeof(Entry) + listed.name.size() > roomBytes) return false;
    m_names += listed.name;
    entry.nameEnd = common::checkedCast<std::uint32_t>(m_names.size());
    if (withSizes) {
        entry.uncompressedSize = reader.UnCompressed_Size(number);
        entry.compressedSize = reader.Compressed_Size(number);
    }
    m_entries.push_back(entry);
    return true;
}

std::size_t HeldListing::bytes() const noexcept
{
    std::size_t notices = 0;
    for (const std::string& text : m_notices)
        notices += text.size();
    return m_entries.size() * sizeof(Entry) + m_names.size() + notices;
}

std::int16_t HeldListingReader::Get_Contents(const std::string& ZipName,
                                             const archive::ReadContext& context)
{
    m_state.ArchivePath = ZipName;
    m_state.EntryCount = 0;
    m_state.ReadStatus = 0;
    for (const std::string& text : m_listing.m_notices)
        context.notices.notice(text);
    if (m_listing.m_failure && m_listing.m_failedAt == 0)
        std::rethrow_exception(m_listing.m_failure);
    m_state.EntryCount = m_listing.m_count;
    m_state.ReadStatus = 1;
    return 0;
}

const HeldListing::Entry* HeldListingReader::entry(std::int32_t FileNum) const
{
    if (FileNum < 0) archive::throwSubscriptOutOfRange();
    if (InvalidFileNum(FileNum)) return nullptr;
    if (m_listing.m_failure && FileNum == m_listing.m_failedAt)
        std::rethrow_exception(m_listing.m_failure);
    const auto index = static_cast<std::size_t>(FileNum - 1);
    return index < m_listing.m_entries.size() ? &m_listing.m_entries[index] : nullptr;
}

std::string_view HeldListingReader::fileNameView(std::int32_t FileNum) const
{
    const HeldListing::Entry* found = entry(FileNum);
    if (found == nullptr) return {};
    const std::uint32_t begin = found == m_listing.m_entries.data() ? 0 : (found - 1)->nameEnd;
    return std::string_view(m_listing.m_names).substr(begin, found->nameEnd - begin);
}

archive::ListedEntry HeldListingReader::listedEntry(std::int32_t FileNum) const
{
    const HeldListing::Entry* found = entry(FileNum);
    if (found == nullptr) return {};
    return {fileNameView(FileNum), found->isDir, found->lineSafe};
}

std::string HeldListingReader::FileName(std::int32_t FileNum) const
{
    return std::string(fileNameView(FileNum));
}

bool HeldListingReader::IsDir(std::int32_t FileNum) const
{
    const HeldListing::Entry* found = entry(FileNum);
    return found && found->isDir;
}

std::int32_t HeldListingReader::Compressed_Size(std::int32_t FileNum) const
{
    const HeldListing::Entry* found = entry(FileNum);
    return found ? found->compressedSize : 0;
}

std::int32_t HeldListingReader::UnCompressed_Size(std::int32_t FileNum) const
{
    const HeldListing::Entry* found = entry(FileNum);
    return found ? found->uncompressedSize : 0;
}

} // namespace tarvelo::report
