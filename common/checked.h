// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/error.h"

namespace tarvelo::common {

// Arithmetic that must fail instead of wrapping raises the overflow error.

[[noreturn]] void throwOverflow();

template <std::integral T>
T checkedAdd(T a, T b)
{
    T result{};
    if (__builtin_add_overflow(a, b, &result)) throwOverflow();
    return result;
}

template <std::integral T>
T checkedSub(T a, T b)
{
    T result{};
    if (__builtin_sub_overflow(a, b, &result)) throwOverflow();
    return result;
}

template <std::integral T>
T checkedMul(T a, T b)
{
    T result{};
    if (__builtin_mul_overflow(a, b, &result)) throwOverflow();
    return result;
}

// Converts to a narrower or differently signed type, failing when the value does not fit.
template <std::integral To, std::integral From>
To checkedCast(From value)
{
    if (!std::in_range<To>(value)) throwOverflow();
    return static_cast<To>(value);
}

} // namespace tarvelo::common
