#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "common/notice_sink.h"
#include "platform/byte_source.h"

namespace tarvelo::archive::zip {

// The central directory copied into memory, to be parsed from there.
struct CentralDirectory
{
    static constexpr std::uint64_t kUncounted = std::numeric_limits<std::uint64_t>::max();

    std::vector<std::uint8_t> headers; // from the first central header on
    std::uint64_t entryCount = 0;      // as the end record gives it, kUncounted without one
    std::vector<std::uint8_t> comment; // the archive comment, raw
};

// Finds the central directory through the end record, searched backwards from the end
// of the file, else by walking the local headers from the start ("Unknown header" goes
// to notices at most once). Fails when there is no central directory to find.
CentralDirectory readCentralDirectory(const platform::ByteSource& source,
                                      common::NoticeSink& notices);

} // namespace tarvelo::archive::zip
