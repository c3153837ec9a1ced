// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/checked.h"

namespace tarvelo::common {

void throwOverflow()
{
    throw Error(ErrorNumber::Overflow, "overflow");
}

} // namespace tarvelo::common
