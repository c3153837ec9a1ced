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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lineSafe(c.in), c.out) << c.name;
        EXPECT_EQ(isValidUtf8(std::string_view(c.in)), c.validUtf8) << c.name;
    }
}

} // namespace
} // namespace tarvelo::common
