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

} // namespace tarvelo::test
