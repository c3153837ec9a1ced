// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/notice_sink.h"
#include "common/stop_check.h"
#include "platform/byte_source.h"

namespace tarvelo::archive {

// The state both readers share: the most recent read of either one decides FileCount
// and the entry-number check of both. Its owner (whoever owns the readers) makes one
// and hands it to both, so callers read one archive at a time.
struct ReaderState
{
    std::string ArchivePath;
    std::int32_t EntryCount = 0;
    std::uint8_t ReadStatus = 0; // 0: no entry table to hand out
    std::string ZipComment;
};

// What one read needs from its caller: where the bytes come from, who hears notices and
// who may stop it (a stop ends the read by throwing common::Stopped).
struct ReadContext
{
    const platform::FileOpener& files;
    common::NoticeSink& notices;
    common::StopCheck& stop = common::neverStop();
};

// An entry as a listing shows it, fetched in one call: the name (valid until the next call
// or read), whether it is a folder, and whether the reader, which checked the name when
// it decoded it, found it fit for a report line as it is (common::TextCheck::LineSafe).
struct ListedEntry
{
    std::string_view name;
    bool isFolder = false;
    bool lineSafe = false;
};

// A date-time as days since 1899-12-30 (0 is the zero date-time).
using DateTime = double;

// The surface both archive readers share. Entries are numbered from 1 to FileCount();
// a number that names no entry yields the property's default (empty, 0, false), and a
// negative one fails with the subscript-out-of-range error.
class ArchiveReader
{
public:
    virtual ~ArchiveReader() = default;
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Reads the archive's directory into memory; always 0, failures raise an Error.
    virtual std::int16_t Get_Contents(const std::string& ZipName, const ReadContext& context) = 0;

    // Packing is not part of this program: nothing is written.
    std::int16_t Pack(const std::string& ZipName, const std::vector<std::string>& Files,
                      std::int16_t CompType, std::int16_t CompLevel, bool IncludeDir);

    virtual bool CanUnpack() const = 0;
    std::int32_t FileCount() const { return m_state.EntryCount; }
    virtual std::string FileName(std::int32_t FileNum) const = 0;
    // FileName without a copy, valid until the next call or read: for listing many entries.
    virtual std::string_view fileNameView(std::int32_t FileNum) const;
    // fileNameView and IsDir together, for listing many entries; a number that names no
    // entry gives an empty name.
    virtual ListedEntry listedEntry(std::int32_t FileNum) const;
    virtual std::string CommentsFile(std::int32_t FileNum) const = 0;
    virtual std::string CommentsPack() const = 0;
    virtual bool IsDir(std::int32_t FileNum) const = 0;
    virtual std::string Method(std::int32_t FileNum) const = 0;
    virtual std::int32_t CRC32(std::int32_t FileNum) const = 0;
    virtual std::int32_t Compressed_Size(std::int32_t FileNum) const = 0;
    virtual std::int32_t UnCompressed_Size(std::int32_t FileNum) const = 0;
    virtual bool Encrypted(std::int32_t FileNum) const = 0;
    virtual std::string SystemMadeBy(std::int32_t FileNum) const = 0;
    virtual std::string VersionMadeBy(std::int32_t FileNum) const = 0;
    virtual std::string SystemNeeded(std::int32_t FileNum) const = 0;
    virtual std::string VersionNeeded(std::int32_t FileNum) const = 0;

protected:
    explicit ArchiveReader(ReaderState& state) : m_state(state) {}

    // True when FileNum names no entry of the most recent read.
    bool InvalidFileNum(std::int32_t FileNum) const;

    // The table slot of an entry number that passed the check; a number outside the
    // table fails with the subscript-out-of-range error.
    template <typename Table>
    static const typename Table::value_type& slot(const Table& table, std::int32_t index);

    ReaderState& m_state;

private:
    mutable std::string m_nameCopy; // for readers that keep no name text to point into
};

// A reader of listings kept elsewhere, which know names, folder flags and sizes only:
// every other property reads as the default of a number that names nothing.
class NamesOnlyReader : public ArchiveReader
{
public:
    bool CanUnpack() const override { return false; }
    std::string CommentsFile(std::int32_t) const override { return {}; }
    std::string CommentsPack() const override { return {}; }
    std::string Method(std::int32_t) const override { return {}; }
    std::int32_t CRC32(std::int32_t) const override { return 0; }
    bool Encrypted(std::int32_t) const override { return false; }
    std::string SystemMadeBy(std::int32_t) const override { return {}; }
    std::string VersionMadeBy(std::int32_t) const override { return {}; }
    std::string SystemNeeded(std::int32_t) const override { return {}; }
    std::string VersionNeeded(std::int32_t) const override { return {}; }

protected:
    using ArchiveReader::ArchiveReader;
};

// An unsigned 16-bit field kept in a signed 16-bit value, widened to 0..65535.
std::int32_t WordToLong(std::int16_t value) noexcept;

[[noreturn]] void throwSubscriptOutOfRange();

// What notices hear when damage ended a listing after `listed` entries, which are kept.
std::string damagedListingNotice(std::uint64_t listed, std::string_view reason);

template <typename Table>
const typename Table::value_type& ArchiveReader::slot(const Table& table, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) throwSubscriptOutOfRange();
    return table[static_cast<std::size_t>(index)];
}

} // namespace tarvelo::archive
