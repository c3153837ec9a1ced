// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mount_table.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace tarvelo::platform {
namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in paths as \ and three octal digits.
std::string unescapeOctal(const std::string& field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool parseNumber(std::string_view text, unsigned& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

} // namespace

std::optional<MountEntry> parseMountInfoLine(const std::string& line)
{
    // id parent major:minor root mount-point options [optional fields...] - type source super
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint, options;
    if (!(fields >> id >> parent >> device >> root >> mountPoint >> options)) return std::nullopt;
    std::string field;
    while (fields >> field && field != "-") {
    }
    MountEntry entry;
    if (field != "-" || !(fields >> entry.fsType >> entry.source)) return std::nullopt;
    const auto colon = device.find(':');
    if (colon == std::string::npos ||
        !parseNumber(std::string_view(device).substr(0, colon), entry.major) ||
        !parseNumber(std::string_view(device).substr(colon + 1), entry.minor))
        return std::nullopt;
    entry.mountPoint = unescapeOctal(mountPoint);
    entry.source = unescapeOctal(entry.source);
    return entry;
}

std::vector<MountEntry> readMountTable(const std::filesystem::path& mountInfoFile)
{
    std::vector<MountEntry> table;
    std::ifstream in(mountInfoFile);
    std::string line;
    while (std::getline(in, line))
        if (auto entry = parseMountInfoLine(line)) table.push_back(std::move(*entry));
    return table;
}

} // namespace tarvelo::platform
