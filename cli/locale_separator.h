// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvelo::cli {

// The locale's decimal separator (LC_NUMERIC), read once at start-up; numbers are
// formatted by the program itself afterwards, so the C locale is put back.
char localeDecimalSeparator();

} // namespace tarvelo::cli
