// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/text.h"

#include <optional>
#include <string_view>

namespace tarvelo::common {

// The fast half of checkText: LineSafe or PrintableAscii when it can prove the text
// line-safe, sixteen bytes at a time where the text is printable ASCII and two-byte
// sequences; nothing when it cannot (the text is not line-safe, or holds a four-byte
// sequence), and then the sequence scan decides.
std::optional<TextCheck> fastCheck(std::string_view text) noexcept;

} // namespace tarvelo::common
