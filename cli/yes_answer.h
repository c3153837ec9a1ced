// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tarvelo::cli {

// Whether a typed answer means yes in the user's language, as the locale's YESEXPR says
// ("y" or "yes" in English, "d" or "да" in Serbian). The locale is the one the
// environment names for messages and characters (LC_ALL, LC_MESSAGES, LC_CTYPE, LANG);
// the program's own locale is back as it was afterwards.
bool meansYes(const std::string& answer);

} // namespace tarvelo::cli
