// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/code_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvelo::common {
namespace {

std::string decode(const CodePage& page, std::vector<std::uint8_t> bytes)
{
    return page.toUtf8(bytes);
}

TEST(CodePage, DecodesDosPagesThroughTheirTables)
{
    const struct
    {
        const char* page;
        std::vector<std::uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"CP852", {'a', 0x9F, 0xE7, 0xA7}, "ačšž"},
        {"CP866", {0x8F, 0x90, 0x88, 0x82, 0x85, 0x92}, "ПРИВЕТ"},
        {"CP437", {0x8F, 0x90}, "ÅÉ"},
        {"CP1250", {0x8A, 0x9A}, "Šš"},
    };
    for (const auto& c : cases) {
        const auto page = CodePage::byName(c.page);
        ASSERT_TRUE(page) << c.page;
        EXPECT_EQ(decode(*page, c.bytes), c.text) << c.page;
    }
}

// An ASCII name may skip decoding only where the page keeps ASCII as it is: not in EBCDIC.
TEST(CodePage, TellsWhetherPrintableAsciiStandsForItself)
{
    const struct
    {
        const char* page;
        bool keeps;
    } cases[] = {{"CP852", true}, {"CP437", true}, {"CP1250", true}, {"IBM037", false}};
    for (const auto& c : cases) {
        const auto page = CodePage::byName(c.page);
        ASSERT_TRUE(page) << c.page;
        EXPECT_EQ(page->keepsPrintableAscii(), c.keeps) << c.page;
    }
}

TEST(CodePage, DefaultOemIsCp852)
{
    EXPECT_EQ(CodePage::defaultOem().name(), "CP852");
    EXPECT_EQ(decode(CodePage::defaultOem(), {0xD0}), "đ");
}

TEST(CodePage, RefusesUnknownAndMultiBytePages)
{
    EXPECT_FALSE(CodePage::byName("NO-SUCH-PAGE"));
    EXPECT_FALSE(CodePage::byName("UTF-8"));
    EXPECT_FALSE(CodePage::byName("SHIFT_JIS"));
}

TEST(CodePage, UnassignedBytesBecomeReplacementCharacters)
{
    const auto page = CodePage::byName("CP1250");
    ASSERT_TRUE(page);
    EXPECT_EQ(decode(*page, {0x81}), "\uFFFD");
}

} // namespace
} // namespace tarvelo::common
