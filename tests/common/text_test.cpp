// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/text.h"

#include <gtest/gtest.h>

#include "common/code_page.h"

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

// The fast scan must agree with the sequence scan wherever a name's hard part falls
// against the eight-byte words, so every row is tried behind 0 to 16 ASCII bytes.
TEST(CheckText, FastScanAgreesWithTheSequenceScan)
{
    const std::optional<CodePage> cp437 = CodePage::byName("CP437");
    ASSERT_TRUE(cp437);
    const auto fromCp437 = [&](std::string_view raw) {
        return cp437->toUtf8({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()});
    };
    using enum TextCheck;
    const struct
    {
        const char* name;
        std::string text;
        TextCheck check;
    } cases[] = {
        {"empty", "", PrintableAscii},
        {"exactly 8 bytes", "ABCDEFGH", PrintableAscii},
        {"exactly 16 bytes", "folder00/file.tx", PrintableAscii},
        {"two-byte sequence across a word", "ABCDEFG\xC3\xA9", LineSafe},
        {"cut sequence at a word's end", "ABCDEFG\xC3", NotUtf8},
        {"cut sequence before ASCII", "ABCDEFG\xC3X", NotUtf8},
        {"stray continuation", "\x80", NotUtf8},
        {"overlong two-byte", "\xC1\xBF", NotUtf8},
        {"overlong three-byte", "\xE0\x80\xAF", NotUtf8},
        {"overlong four-byte", "\xF0\x80\x80\xAF", NotUtf8},
        {"surrogate", "\xED\xA0\x80", NotUtf8},
        {"last before the surrogates", "\xED\x9F\xBF", LineSafe},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", NotUtf8},
        {"lead byte F5", "\xF5\x80\x80\x80", NotUtf8},
        {"four-byte", "\xF0\x9F\x98\x80", LineSafe},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", LineSafe},
        {"exactly 7 bytes", "ABCDEFG", PrintableAscii},
        {"exactly 9 bytes", "ABCDEFGHI", PrintableAscii},
        {"space and tilde", " ~", PrintableAscii},
        {"tab", "a\tb", Utf8},
        {"nul", std::string("a\0b", 3), Utf8},
        {"delete", "a\x7F", Utf8},
        {"next line", "\u0085", Utf8},
        {"last C1 control", "\u009F", Utf8},
        {"no-break space", "\u00A0", LineSafe},
        {"line separator", "\u2028", Utf8},
        {"paragraph separator", "\u2029", Utf8},
        {"right-to-left override", "\u202E", Utf8},
        {"first isolate", "\u2066", Utf8},
        {"pop isolate", "\u2069", Utf8},
        {"neighbours of the replaced ranges", "\u2026\u2027\u202F\u2065\u206A\u207F", LineSafe},
        {"control after a four-byte sequence", "\xF0\x9F\x98\x80\n", Utf8},
        {"invalid after a control", "\n\xFF", NotUtf8},
        {"CP437 upper half", fromCp437("\x80\x81\x82\x9B\xC9\xCD\xBB\xE0\xF9\xFC\xFF"), LineSafe},
        {"CP437 name with a control", fromCp437("A\x0D\x0A.TXT"), Utf8},
        {"CP437 bytes taken raw", "\x80\x81\x82.TXT", NotUtf8},
    };
    for (const auto& c : cases) {
        for (std::size_t shift = 0; shift <= 16; ++shift) {
            for (const std::size_t after :
                 std::initializer_list<std::size_t>{0, 1, 7, 8, 9, 15, 16}) {
                const std::string text = std::string(shift, 'x') + c.text + std::string(after, 'y');
                const auto where = [&] {
                    return " behind " + std::to_string(shift) + ", before " + std::to_string(after);
                };
                EXPECT_EQ(checkTextBySequence(text), c.check) << c.name << where();
                EXPECT_EQ(checkText(text), c.check) << c.name << where();
                EXPECT_EQ(lineSafe(text) == text, keptByLineSafe(c.check)) << c.name << where();
            }
        }
    }
}

// Every pair of bytes, with the third and fourth from the values where the ranges turn,
// inside a block and across the boundaries of words and of blocks, with whole blocks
// after them.
TEST(CheckText, FastScanAgreesOnEveryShortSequence)
{
    const unsigned char thirds[] = {0x41, 0x80, 0x9F, 0xA0, 0xA6, 0xA7, 0xA8,
                                    0xA9, 0xAA, 0xAE, 0xAF, 0xBF, 0xD0};
    const unsigned char fourths[] = {0x41, 0xB8};
    std::size_t disagreements = 0;
    for (const std::size_t before : {std::size_t{2}, std::size_t{6}, std::size_t{14}}) {
        std::string text = std::string(before, 'a') + "1234\xD0\xB8" + "bcdefghijklmnopqrstuv";
        for (unsigned first = 0; first < 256; ++first)
            for (unsigned second = 0; second < 256; ++second)
                for (const unsigned char third : thirds)
                    for (const unsigned char fourth : fourths) {
                        text[before] = static_cast<char>(first);
                        text[before + 1] = static_cast<char>(second);
                        text[before + 2] = static_cast<char>(third);
                        text[before + 3] = static_cast<char>(fourth);
                        if (checkText(text) != checkTextBySequence(text) && ++disagreements <= 5)
                            ADD_FAILURE()
                                << std::hex << first << " " << second << " " << unsigned{third}
                                << " " << unsigned{fourth} << " after " << std::dec << before;
                    }
    }
    EXPECT_EQ(disagreements, 0u);
}

TEST(AsPathComponent, ReplacesWhatWouldNameAnotherFile)
{
    EXPECT_EQ(asPathComponent("notes.txt"), "notes.txt");
    EXPECT_EQ(asPathComponent("a/b/"), "a_b_");
    EXPECT_EQ(asPathComponent(std::string("a\0b", 3)), "a_b");
}

} // namespace
} // namespace tarvelo::common
