// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "common/error.h"

namespace tarvelo::test {

// The number of the error the action raised, or nothing when it raised none.
template <typename Action>
std::optional<ErrorNumber> errorOf(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return std::nullopt;
}

// The error the action raised, for tests of its message, or nothing when it raised none.
template <typename Action>
std::optional<Error> errorFrom(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace tarvelo::test
