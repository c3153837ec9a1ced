// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace tarvelo::common {

// Receives the notices a reader shows its user without failing, such as "Unknown header".
class NoticeSink
{
public:
    virtual ~NoticeSink() = default;
    virtual void notice(std::string_view text) = 0;
};

} // namespace tarvelo::common
