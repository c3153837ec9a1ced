// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/checked.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include <gtest/gtest.h>

namespace tarvelo::common {
namespace {

using Int16Limits = std::numeric_limits<std::int16_t>;
using Int32Limits = std::numeric_limits<std::int32_t>;

// The value an operation gives, or nothing when it raised the overflow error.
std::optional<std::int64_t> outcomeOf(const std::function<std::int64_t()>& operation)
{
    try {
        return operation();
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow);
        return std::nullopt;
    }
}

TEST(CheckedArithmetic, FailsAtTheEdgeOfItsTypeInsteadOfWrapping)
{
    const struct
    {
        const char* name;
        std::function<std::int64_t()> operation;
        std::optional<std::int64_t> result; // nothing: overflow
    } cases[] = {
        {"32-bit add at the top", [] { return checkedAdd(Int32Limits::max() - 1, 1); },
         Int32Limits::max()},
        {"32-bit add past the top", [] { return checkedAdd(Int32Limits::max(), 1); },
         std::nullopt},
        {"32-bit sub past the bottom", [] { return checkedSub(Int32Limits::min(), 1); },
         std::nullopt},
        {"32-bit negative add", [] { return checkedAdd(-5, -6); }, -11},
        {"16-bit add past the top",
         [] { return checkedAdd<std::int16_t>(Int16Limits::max(), std::int16_t{1}); },
         std::nullopt},
        {"16-bit sub to the bottom",
         [] { return checkedSub<std::int16_t>(std::int16_t{-32767}, std::int16_t{1}); },
         Int16Limits::min()},
        {"32-bit mul past the top", [] { return checkedMul(65536, 32768); }, std::nullopt},
        {"32-bit mul below the top", [] { return checkedMul(65535, 32768); }, 2147450880},
        {"unsigned sub below zero",
         [] { return static_cast<std::int64_t>(checkedSub(std::uint32_t{0}, std::uint32_t{1})); },
         std::nullopt},
        {"cast of a fitting size", [] { return checkedCast<std::int32_t>(std::size_t{7}); }, 7},
        {"cast of a size past 31 bits",
         [] { return checkedCast<std::int32_t>(std::size_t{1} << 31); }, std::nullopt},
        {"cast of a negative to unsigned", [] { return checkedCast<std::uint16_t>(-1); },
         std::nullopt},
        {"cast of 65535 to 16 bits signed", [] { return checkedCast<std::int16_t>(65535); },
         std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcomeOf(c.operation), c.result) << c.name;
}

} // namespace
} // namespace tarvelo::common
