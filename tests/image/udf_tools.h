// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace tarvelo::test {

bool commandAvailable(const std::string& name);

// What a command prints on standard output; throws when it fails.
std::string commandOutput(const std::string& command);

std::string quoted(const std::filesystem::path& path);

// The "key=value" lines that udfinfo prints about an image.
std::map<std::string, std::string> udfinfo(const std::filesystem::path& image);

// udfinfo's winserialnum as the signed number the report prints.
std::int32_t udfinfoSerial(const std::filesystem::path& image);

} // namespace tarvelo::test
