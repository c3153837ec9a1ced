// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "archive/rar_names.h"

namespace tarvelo::test {
namespace {

using Raw = std::vector<std::uint8_t>;

Raw raw(std::string_view bytes)
{
    return Raw(bytes.begin(), bytes.end());
}

TEST(RarCompactName, Codes)
{
    const struct
    {
        const char* name;
        std::string legacy;
        std::string encoded;
        const char* expected;
    } cases[] = {
        {"one byte each (code 0)", "ab",
         std::string("\x00\x00"
                     "ab",
                     4),
         "ab"},
        {"byte under the high byte (code 1)", "??", "\x04\x50\x42\x35", "те"},
        {"two bytes (code 2)", "?", std::string("\x00\x80\xAC\x20", 4), "€"},
        {"run from the legacy name (code 3)", "abcdef", std::string("\x00\xC0\x04", 3), "abcdef"},
        {"run with a correction", "A", "\x04\xC0\x80\x0F", "ѐ"}, // 'A' + 0x0F under 0x04: U+0450
        {"run stops at the legacy name's end", "ab", std::string("\x00\xC0\x7F", 3), "ab"},
        {"surrogate pair", "?", std::string("\x00\xA0\x35\xD8\x00\xDC", 6), "\xF0\x9D\x90\x80"},
        {"lone surrogate", "?", std::string("\x00\x80\x00\xD8", 4), "\xEF\xBF\xBD"},
        {"stops at a zero unit", "ab",
         std::string("\x00\x00"
                     "a\x00"
                     "b",
                     5),
         "a"},
        {"bytes run out inside a two-byte unit", "ab",
         std::string("\x00\x20"
                     "a\x41",
                     4),
         "a"},
        {"nothing but the high byte", "ab", "\x04", ""},
        {"nothing at all", "ab", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::rar::decodeCompactName(raw(c.legacy), raw(c.encoded)), c.expected)
            << c.name;
}

// Each name also says whether it can go on a report line as it is, whichever way it
// was decoded.
TEST(RarFileName, EncodingByFlagAndHost)
{
    const auto& cp852 = common::CodePage::defaultOem();
    const std::uint16_t unicode = 0x0200;
    const struct
    {
        const char* name;
        std::string field;
        std::uint16_t flags;
        std::uint8_t host;
        const char* expected;
        bool lineSafe;
    } cases[] = {
        {"OEM name from Windows", "\x9F\x61j", 0, 2, "čaj", true},
        {"UTF-8 bytes from Windows are OEM", "\xC5\xA1", 0, 2, "┼í", true},
        {"UTF-8 from UNIX", "\xC5\xA1kola", 0, 3, "škola", true},
        {"invalid UTF-8 from UNIX is OEM", "\x9F\x61j", 0, 3, "čaj", true},
        {"Unicode flag without a zero byte is UTF-8", "caf\xC3\xA9", unicode, 2, "café", true},
        {"Unicode flag with compact name", std::string("????\0\x04\x55\x42\x35\x41\x42", 11),
         unicode, 2, "тест", true},
        {"compact part empty: legacy name", std::string("d\\x.txt\0", 8), unicode, 2, "d\\x.txt",
         true},
        {"separators stay as stored", "dir\\file", 0, 2, "dir\\file", true},
        {"empty name", "", 0, 2, "", true},
        {"OEM name with a carriage return", "a\rb", 0, 2, "a\rb", false},
        {"UTF-8 from UNIX with a line separator", "a\u2028b", 0, 3, "a\u2028b", false},
        {"UTF-8 from UNIX with a C1 control", "a\u0085b", 0, 3, "a\u0085b", false},
        {"compact name with a line feed", std::string("ab\0\x00\x00\x61\x0A", 7), unicode, 2, "a\n",
         false},
    };
    for (const auto& c : cases) {
        const Raw field = raw(c.field);
        std::string scratch;
        const archive::DecodedText name =
            archive::rar::decodeFileName(field, c.flags, c.host, cp852, scratch);
        EXPECT_EQ(name.text, c.expected) << c.name;
        EXPECT_EQ(name.lineSafe, c.lineSafe) << c.name;
    }
}

// Names of printable ASCII skip decoding only where the page keeps ASCII as it is.
TEST(RarFileName, AsciiThroughAPageThatChangesIt)
{
    const auto ibm037 = common::CodePage::byName("IBM037");
    ASSERT_TRUE(ibm037);
    const Raw field = raw("ABC");
    std::string scratch;
    EXPECT_EQ(archive::rar::decodeFileName(field, 0, 2, *ibm037, scratch).text, "\u00A0âä");
}

} // namespace
} // namespace tarvelo::test
