// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace tarvelo::report {

// The short text of a byte count that follows every size label: a number with up to two
// decimals (exact halves to even, at most 15 significant digits, the given decimal
// separator) and " Bytes", " KBytes" or " MBytes". The unit is chosen after rounding, so
// 1019 bytes already give "1 KBytes".
std::string getSize(std::uint64_t fileSize, char decimalSeparator);

} // namespace tarvelo::report
