// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "archive/read_window.h"
#include "archive/zip_records.h"
#include "common/notice_sink.h"

namespace tarvelo::archive::zip {

// Where the central directory lies; its headers are read from there in chunks, never
// copied into memory whole.
struct DirectoryPlace
{
    static constexpr std::uint64_t kUncounted = std::numeric_limits<std::uint64_t>::max();

    std::uint64_t start = 0;           // the first central header
    std::uint64_t end = 0;             // no header runs past this offset
    std::uint64_t entryCount = 0;      // as the end record gives it, kUncounted without one
    std::vector<std::uint8_t> comment; // the archive comment, raw
};

// Finds the central directory through the end record, searched backwards from the end of
// the file (a candidate whose directory is not where it says gives way to the one before
// it), else by walking the local headers from the start, which ends at the first place
// that holds no known record ("Unknown header" goes to notices). Fails when there is no
// central directory to find.
DirectoryPlace locateCentralDirectory(ReadWindow& window, common::NoticeSink& notices);

// Receives each complete central header with the name, extra field and comment after it.
class CentralHeaderVisitor
{
public:
    virtual ~CentralHeaderVisitor() = default;
    virtual void centralHeader(const CentralHeader& header, Bytes variable) = 0;
};

// Hands the headers of the directory to visitor, at most `limit` of them and no more than
// the end record counts. A header with another signature ends the directory; one whose
// lengths run past its end, or a directory that ends before its count, is damage: with
// headers before it they are kept and notices hear of it, without any it fails.
void visitCentralHeaders(ReadWindow& window, const DirectoryPlace& place, std::uint64_t limit,
                         CentralHeaderVisitor& visitor, common::NoticeSink& notices);

} // namespace tarvelo::archive::zip
