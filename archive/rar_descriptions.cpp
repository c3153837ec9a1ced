#include "archive/rar_descriptions.h"

#include <algorithm>

#include "common/checked.h"

namespace tarvelo::archive::rar {
namespace {

// A description table is data: rows, one lookup, one default.
struct CodeText
{
    int code;
    std::string_view text;
};

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

template <std::size_t N>
std::string_view lookup(const CodeText (&table)[N], int code, std::string_view fallback) noexcept
{
    const auto row = std::find_if(std::begin(table), std::end(table),
                                  [code](const CodeText& r) { return r.code == code; });
    return row == std::end(table) ? fallback : row->text;
}

constexpr std::int32_t kWordSpan = 65536;

} // namespace

std::string_view SystemName(std::uint8_t code) noexcept
{
    return lookup(kHostSystems, code, "unKnown");
}

std::string VersionText(std::uint8_t version)
{
    return std::to_string(version / 10) + '.' + std::to_string(version % 10);
}

std::string_view MethodName(std::int16_t method) noexcept
{
    return lookup(kMethods, method, "Unknown");
}

std::int16_t LongToWord(std::int32_t x)
{
    const std::int32_t low = x <= INT16_MAX ? x : common::checkedSub(x, kWordSpan);
    return common::checkedCast<std::int16_t>(low);
}

} // namespace tarvelo::archive::rar
