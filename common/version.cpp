// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/version.h"

namespace tarvelo::common {

std::string versionText(std::string_view program)
{
    return std::string(program) + " " + TARVELO_VERSION + R"(
Licence GPL-3.0-or-later: GNU General Public License, version 3 or later.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";
}

} // namespace tarvelo::common
