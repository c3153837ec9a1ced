// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/size_text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tarvelo::report {
namespace {

// Texts with a decimal point; each is also checked with a decimal comma.
TEST(SizeText, GivesTheTextOfEveryByteCount)
{
    const struct
    {
        const char* name;
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {"zero", 0, "0 Bytes"},
        {"one keeps the plural", 1, "1 Bytes"},
        {"largest in bytes", 1018, "1018 Bytes"},
        {"rounds up into kilobytes", 1019, "1 KBytes"},
        {"just below a kilobyte", 1023, "1 KBytes"},
        {"half to even, down", 1152, "1.12 KBytes"},
        {"half to even, up", 1408, "1.38 KBytes"},
        {"half to even, down again", 1664, "1.62 KBytes"},
        {"just below a half", 1151, "1.12 KBytes"},
        {"just above a half", 1153, "1.13 KBytes"},
        {"two decimals", 1234, "1.21 KBytes"},
        {"trailing zero dropped", 1126, "1.1 KBytes"},
        {"one decimal", 1536, "1.5 KBytes"},
        {"largest in kilobytes", 1043333, "1018.88 KBytes"},
        {"rounds up into megabytes", 1043334, "1 MBytes"},
        {"just below a megabyte", 1048575, "1 MBytes"},
        {"megabyte half to even", 1179648, "1.12 MBytes"},
        {"megabyte half to even, up", 1441792, "1.38 MBytes"},
        {"one and a half megabytes", 1572864, "1.5 MBytes"},
        {"a compact disc", 681574400, "650 MBytes"},
        {"a DVD, beyond 32 bits", 4700000000, "4482.27 MBytes"},
        {"fifteen digits, half to even", 10485760000000262144u, "10000000000000.2 MBytes"},
        {"fifteen digits, half up", 10485760000000786432u, "10000000000000.8 MBytes"},
        {"largest count", 18446744073709551615u, "17592186044416 MBytes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(getSize(c.bytes, '.'), c.text) << c.name;
        std::string comma = c.text;
        std::replace(comma.begin(), comma.end(), '.', ',');
        EXPECT_EQ(getSize(c.bytes, ','), comma) << c.name << ", decimal comma";
    }
}

} // namespace
} // namespace tarvelo::report
