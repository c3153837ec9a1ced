#pragma once

#include <cstdint>
#include <string>

namespace tarvelo::archive {

// One file header as the reader keeps it. Numbers keep the archive's bits in signed
// fields of the record's width; the high size words sit beside the low ones.
struct RarEntry
{
    std::int16_t HeadCrc = 0;
    std::uint8_t HeadType = 0;
    std::int16_t HeadFlags = 0;
    std::int32_t HeadSize = 0;
    std::int32_t PackSize = 0;
    std::int32_t UnpSize = 0;
    std::uint8_t HostOs = 0;
    std::int32_t FileCrc = 0;
    std::int32_t FTime = 0;
    std::int16_t FileDate = 0;
    std::int16_t FileTime = 0;
    std::uint8_t UnpVer = 0;
    std::uint8_t Method = 0;
    std::int16_t NameSize = 0;
    std::int32_t Attr = 0;
    std::int32_t HighPackSize = 0;
    std::int32_t HighUnpSize = 0;
    std::string FileName;
    std::string FileComment;
    std::int64_t DataPos = 0; // 1-based file position of the packed data
};

// The archive header's fields the reader keeps, one per reader object.
struct RarArchiveHeader
{
    std::int16_t HeadCrc = 0;
    std::uint8_t HeadType = 0;
    std::int16_t HeadFlags = 0;
    std::int16_t HeadSize = 0;
    std::int16_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
    std::string ArcComment;
};

} // namespace tarvelo::archive
