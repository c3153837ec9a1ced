// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/locale_separator.h"

#include <clocale>
#include <cstring>

namespace tarvelo::cli {

char localeDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "");
    const char* point = std::localeconv()->decimal_point;
    // A separator of several bytes cannot stand in one char; the point does instead.
    const char separator = point != nullptr && std::strlen(point) == 1 ? point[0] : '.';
    std::setlocale(LC_NUMERIC, "C");
    return separator;
}

} // namespace tarvelo::cli
