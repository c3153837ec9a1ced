// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_descriptions.h"

#include "archive/description_table.h"

namespace tarvelo::archive::zip {
namespace {

constexpr CodeText kHostSystems[] = {
    {0, "MS-DOS and OS/2 (FAT / VFAT / FAT32 file systems)"},
    {1, "Amiga"},
    {2, "2 - OpenVMS"},
    {3, "UNIX"},
    {4, "VM/CMS"},
    {5, "Atari ST"},
    {6, "OS/2 H.P.F.S."},
    {7, "Macintosh"},
    {8, "Z-System"},
    {9, "CP/M"},
    {10, "Windows NTFS"},
    {11, "MVS (OS/390 - Z/OS)"},
    {12, "VSE"},
    {13, "Acorn Risc"},
    {14, "VFAT"},
    {15, "Alternate MVS"},
    {16, "BeOS"},
    {17, "Tandem"},
    {18, "OS/400"},
};
constexpr std::string_view kUnknownSystem = "UnKnown";

constexpr CodeText kMethods[] = {
    {0, "No Compression"},
    {1, "Shrunk"},
    {2, "Reduce Factor 1"},
    {3, "Reduce Factor 2"},
    {4, "Reduce Factor 3"},
    {5, "Reduce Factor 4"},
    {6, "Imploded"},
    {7, "Tokenized"},
    {8, "Deflated"},
    {9, "Enhanced Deflating"},
    {10, "PKWARE Imploding"},
    {11, "Reserved"},
    {12, "BZip2"},
};
constexpr std::string_view kUnknownMethod = "Unknown";

} // namespace

std::string_view SystemName(std::uint8_t code)
{
    return describe(kHostSystems, code, kUnknownSystem);
}

std::string VersionText(std::uint8_t value)
{
    return versionText(value);
}

std::string_view MethodName(std::int16_t code)
{
    return describe(kMethods, code, kUnknownMethod);
}

} // namespace tarvelo::archive::zip
