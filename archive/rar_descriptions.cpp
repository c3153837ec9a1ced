// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar_descriptions.h"

#include "archive/description_table.h"
#include "common/checked.h"

namespace tarvelo::archive::rar {
namespace {

constexpr CodeText kHostSystems[] = {
    {0, "MS-DOS"},
    {1, "OS/2"},
    {2, "Win32"},
    {3, "UNIX"},
};

constexpr CodeText kMethods[] = {
    {0x30, "No Compression"},
    {0x31, "Fastest"},
    {0x32, "Fast"},
    {0x33, "Normal"},
    {0x34, "Good"},
    {0x35, "Maximum"},
};

constexpr std::int32_t kWordSpan = 65536;

} // namespace

std::string_view SystemName(std::uint8_t code) noexcept
{
    return describe(kHostSystems, code, "unKnown");
}

std::string VersionText(std::uint8_t version)
{
    return versionText(version);
}

std::string_view MethodName(std::int16_t method) noexcept
{
    return describe(kMethods, method, "Unknown");
}

std::int16_t LongToWord(std::int32_t x)
{
    const std::int32_t low = x <= INT16_MAX ? x : common::checkedSub(x, kWordSpan);
    return common::checkedCast<std::int16_t>(low);
}

} // namespace tarvelo::archive::rar
