// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/disc_scan.h"

#include "common/checked.h"
#include "report/scan.h"

#include <algorithm>
#include <limits>

namespace tarvelo::report {
namespace {

constexpr std::uint64_t kRegularFileBit = 1;
constexpr std::uint64_t kRefBit = 2;
constexpr std::uint64_t kPositionBit = 4;
constexpr unsigned kFlagBits = 3;
constexpr std::size_t kRefBytes = sizeof(std::uint64_t);
constexpr std::size_t kPositionBytes = sizeof(std::uint64_t);
constexpr std::size_t kDateBytes = sizeof(std::int64_t);
// The date kept for a file whose disc records none: no disc gives this one.
constexpr std::int64_t kNoDate = std::numeric_limits<std::int64_t>::min();

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

} // namespace

ScannedFolder DiscScan::folder(std::size_t index) const
{
    const FolderRecord& record = m_folders[index];
    return {m_names.view(record.name), record.parent,         record.firstFile,
            record.fileCount,          record.subfolderCount, record.totalSize};
}

ScannedFile DiscScan::file(std::size_t index) const
{
    const FileRecord& record = m_files[index];
    const std::string_view name = nameOf(record);
    const char* trailer = name.data() + name.size();
    // The ref, then the position, each only where its bit says it is kept, then the date.
    const auto take = [&trailer, &record](std::uint64_t bit) {
        std::uint64_t number = 0;
        if ((record.nameAndFlags & bit) == 0) return number;
        std::copy_n(trailer, sizeof number, reinterpret_cast<char*>(&number));
        trailer += sizeof number;
        return number;
    };
    const std::uint64_t ref = take(kRefBit);
    const std::uint64_t position = take(kPositionBit);
    platform::ModifiedTime modified;
    std::int64_t date = kNoDate;
    if (m_keepDates) std::copy_n(trailer, kDateBytes, reinterpret_cast<char*>(&date));
    if (date != kNoDate) modified = date;
    const bool regular = (record.nameAndFlags & kRegularFileBit) != 0;
    return {name, record.size,
            regular ? platform::EntryKind::RegularFile : platform::EntryKind::OtherFile, ref,
            modified, position};
}

void DiscScan::addFolder(NameRef name, std::size_t parent)
{
    const std::int32_t folders =
        m_folders.empty() ? 0 : common::checkedAdd(m_totalFolders, std::int32_t{1});
    m_folders.push_back({name, static_cast<std::uint32_t>(parent),
                         static_cast<std::uint32_t>(m_files.size()), 0, 0, 0});
    m_totalFolders = folders;
}

void DiscScan::addFile(std::string_view name, platform::EntryKind kind, std::uint64_t size,
                       std::uint64_t ref, platform::ModifiedTime modified, std::uint64_t position)
{
    const std::int32_t files = common::checkedAdd(m_totalFiles, std::int32_t{1});
    const bool regular = kind == platform::EntryKind::RegularFile;
    // After the name: the ref and the position, each where there is one, then the date,
    // where dates are kept.
    char trailer[kRefBytes + kPositionBytes + kDateBytes];
    std::size_t trailerBytes = 0;
    for (const std::uint64_t number : {ref, position}) {
        if (number == 0) continue;
        std::copy_n(reinterpret_cast<const char*>(&number), sizeof number, trailer + trailerBytes);
        trailerBytes += sizeof number;
    }
    if (m_keepDates) {
        const std::int64_t date = modified.value_or(kNoDate);
        std::copy_n(reinterpret_cast<const char*>(&date), kDateBytes, trailer + trailerBytes);
        trailerBytes += kDateBytes;
    }
    const NameRef stored = m_names.add(name, std::string_view(trailer, trailerBytes));
    m_files.push_back({size, stored.bits() << kFlagBits | (regular ? kRegularFileBit : 0) |
                                 (ref != 0 ? kRefBit : 0) | (position != 0 ? kPositionBit : 0)});
    FolderRecord& folder = m_folders.back();
    ++folder.fileCount;
    folder.totalSize = saturatingAdd(folder.totalSize, size);
    m_totalFiles = files;
}

std::string_view DiscScan::nameOf(const FileRecord& record) const noexcept
{
    const std::string_view stored =
        m_names.view(NameRef::fromBits(record.nameAndFlags >> kFlagBits));
    return stored.substr(0, stored.size() - trailerSize(record));
}

std::size_t DiscScan::trailerSize(const FileRecord& record) const noexcept
{
    return ((record.nameAndFlags & kRefBit) != 0 ? kRefBytes : 0) +
           ((record.nameAndFlags & kPositionBit) != 0 ? kPositionBytes : 0) +
           (m_keepDates ? kDateBytes : 0);
}

void DiscScan::sortFiles()
{
    const auto first = m_files.begin() + static_cast<std::ptrdiff_t>(m_folders.back().firstFile);
    std::sort(first, m_files.end(), [this](const FileRecord& a, const FileRecord& b) {
        return nameBefore(nameOf(a), nameOf(b));
    });
}

void DiscScan::dropFolder()
{
    const FolderRecord& folder = m_folders.back();
    m_files.resize(folder.firstFile);
    m_totalFiles -= static_cast<std::int32_t>(folder.fileCount);
    if (m_folders.size() > 1) --m_totalFolders;
    m_folders.pop_back();
}

void DiscScan::setSubfolderCount(std::size_t folder, std::size_t count)
{
    m_folders[folder].subfolderCount = common::checkedCast<std::uint32_t>(count);
}

// In pre-order a parent always stands before its children, so one backward pass adds
// every folder into its parent after the folder has all of its own.
void DiscScan::addUpSizes()
{
    for (std::size_t i = m_folders.size(); i-- > 1;) {
        FolderRecord& parent = m_folders[m_folders[i].parent];
        parent.totalSize = saturatingAdd(parent.totalSize, m_folders[i].totalSize);
    }
}

} // namespace tarvelo::report
