// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/text.h"

#include <gtest/gtest.h>

namespace tarvelo::common {
namespace {

TEST(LineSafe, KeepsValidTextAndReplacesWhatCouldBreakALine)
{
    const struct
    {
        const char* name;
        std::string in;
        std::string out;
        bool validUtf8;
    } cases[] = {
        {"ascii", "README.TXT", "README.TXT", true},
        {"serbian latin", "Izveštaj čćžšđ", "Izveštaj čćžšđ", true},
        {"cyrillic", "Извештај", "Извештај", true},
        {"cjk", "世界", "世界", true},
        {"four-byte", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", true},
        {"cr lf", "a\r\nb", "a\uFFFD\uFFFDb", true},
        {"tab and nul", std::string("a\tb\0c", 5), "a\uFFFDb\uFFFDc", true},
        {"lone continuation", "a\x80z", "a\uFFFDz", false},
        {"truncated sequence", "a\xE4\xB8", "a\uFFFD\uFFFD", false},
        {"overlong slash", "\xC0\xAF", "\uFFFD\uFFFD", false},
        {"surrogate", "\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD", false},
        {"delete",
         "a\x7F"
         "b",
         "a\uFFFDb", true},
        {"next line and other C1 controls", "a\u0085b\u009Bc", "a\uFFFDb\uFFFDc", true},
        {"line and paragraph separators", "a\u2028b\u2029c", "a\uFFFDb\uFFFDc", true},
        {"bidirectional overrides", "evil\u202Etxt.exe\u202A\u202C",
         "evil\uFFFDtxt.exe\uFFFD\uFFFD", true},
        {"bidirectional isolates", "\u2066x\u2069\u2068", "\uFFFDx\uFFFD\uFFFD", true},
        {"neighbours of the replaced ranges", "\u00A0\u2027\u202F\u2065\u206A",
         "\u00A0\u2027\u202F\u2065\u206A", true},
        {"control deep in a long ASCII run", std::string(40, 'a') + "\n" + std::string(9, 'b'),
         std::string(40, 'a') + "\uFFFD" + std::string(9, 'b'), true},
        {"invalid byte deep in a long ASCII run", std::string(17, 'a') + "\xFF",
         std::string(17, 'a') + "\uFFFD", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lineSafe(c.in), c.out) << c.name;
        EXPECT_EQ(isValidUtf8(std::string_view(c.in)), c.validUtf8) << c.name;
    }
}

TEST(AsPathComponent, ReplacesWhatWouldNameAnotherFile)
{
    EXPECT_EQ(asPathComponent("notes.txt"), "notes.txt");
    EXPECT_EQ(asPathComponent("a/b/"), "a_b_");
    EXPECT_EQ(asPathComponent(std::string("a\0b", 3)), "a_b");
}

} // namespace
} // namespace tarvelo::common
