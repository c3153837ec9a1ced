// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archive_reader.h"
#include "common/error.h"

#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::test {

struct FakeEntry
{
    std::string name;
    bool isDir = false;
};

// An archive reader that answers from a table, path to entries or to an error, and
// records every path it was asked to read. It opens no file.
class FakeArchiveReader final : public archive::NamesOnlyReader
{
public:
    explicit FakeArchiveReader(archive::ReaderState& state) : NamesOnlyReader(state) {}

    void add(const std::string& path, std::vector<FakeEntry> entries)
    {
        m_archives[path] = {std::move(entries), nullptr, 0, std::nullopt};
    }
    // Get_Contents of path raises error, which may be any exception.
    template <typename Exception>
    void fail(const std::string& path, const Exception& error)
    {
        m_archives[path] = {{}, std::make_exception_ptr(error), 0, std::nullopt};
    }
    // The directory reads, then FileName(failingEntry) raises error.
    void failAtEntry(const std::string& path, std::vector<FakeEntry> entries,
                     std::int32_t failingEntry, const Error& error)
    {
        m_archives[path] = {std::move(entries), std::make_exception_ptr(error), failingEntry,
                            std::nullopt};
    }

    // Get_Contents of path shows the notice before it reads on.
    void noticeWhileReading(const std::string& path, const std::string& text)
    {
        m_archives[path].notice = text;
    }

    const std::vector<std::string>& pathsRead() const noexcept { return m_pathsRead; }

    std::int16_t Get_Contents(const std::string& ZipName,
                              const archive::ReadContext& context) override
    {
        m_pathsRead.push_back(ZipName);
        m_state.ArchivePath = ZipName;
        m_state.ReadStatus = 0;
        m_state.EntryCount = 0;
        const auto found = m_archives.find(ZipName);
        if (found == m_archives.end()) throw Error(ErrorNumber::FileNotFound, "not in the fake");
        m_current = &found->second;
        if (m_current->notice) context.notices.notice(*m_current->notice);
        if (m_current->error && m_current->failingEntry == 0)
            std::rethrow_exception(m_current->error);
        m_state.EntryCount = static_cast<std::int32_t>(m_current->entries.size());
        m_state.ReadStatus = 1;
        return 0;
    }

    std::string FileName(std::int32_t FileNum) const override
    {
        if (InvalidFileNum(FileNum)) return {};
        if (m_current->error && FileNum == m_current->failingEntry)
            std::rethrow_exception(m_current->error);
        return entry(FileNum).name;
    }
    bool IsDir(std::int32_t FileNum) const override
    {
        return !InvalidFileNum(FileNum) && entry(FileNum).isDir;
    }
    std::int32_t Compressed_Size(std::int32_t) const override { return 0; }
    std::int32_t UnCompressed_Size(std::int32_t) const override { return 0; }

private:
    struct Archive
    {
        std::vector<FakeEntry> entries;
        std::exception_ptr error;
        std::int32_t failingEntry = 0; // 0: Get_Contents fails
        std::optional<std::string> notice;
    };

    const FakeEntry& entry(std::int32_t FileNum) const
    {
        return slot(m_current->entries, FileNum - 1);
    }

    std::map<std::string, Archive> m_archives;
    const Archive* m_current = nullptr;
    std::vector<std::string> m_pathsRead;
};

} // namespace tarvelo::test
