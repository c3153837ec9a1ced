// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tarvelo::common {

// The text every program prints for --version: its name, the version, and the licence.
std::string versionText(std::string_view program);

} // namespace tarvelo::common
