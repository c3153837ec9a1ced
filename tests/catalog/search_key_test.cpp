// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/pattern.h"
#include "catalog/search_key.h"
#include "catalog/size_text_value.h"

#include <gtest/gtest.h>

namespace tarvelo::catalog {
namespace {

TEST(SearchKey, PeopleFindNamesAsTheyTypeThem)
{
    const struct
    {
        const char* row;
        const char* text;
        const char* key;
    } cases[] = {
        {"upper case Latin with carons", "ČAŠA", "casa"},
        {"lower case Latin with carons", "čaša", "casa"},
        {"Serbian Cyrillic", "Ђурђевак", "djurdjevak"},
        {"Latin d with stroke", "Đurđevak", "djurdjevak"},
        {"acute dropped", "zadaća", "zadaca"},
        {"Cyrillic digraphs", "ЉУБАВ њива џак", "ljubav njiva dzak"},
        {"Cyrillic with a mark", "ёж", "ez"},
        {"sharp s folds to ss", "Straße", "strasse"},
        {"ligature decomposed", "\xEF\xAC\x81le", "file"},
        {"full-width letters", "\xEF\xBC\xA1\xEF\xBC\xA2", "ab"},
        {"combining mark dropped", "e\xCC\x81t\xC3\xA9", "ete"},
        {"Greek with tonos", "Άλφα", "αλφα"},
        {"ASCII punctuation kept", "Invoice_2003 (v2).XLS", "invoice_2003 (v2).xls"},
        {"invalid UTF-8 replaced", "a\xFF" "b", "a\xEF\xBF\xBD" "b"},
        {"truncated sequence replaced", "a\xC4", "a\xEF\xBF\xBD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchKey(c.text), c.key) << c.row;
}

TEST(Pattern, SubstringsAndGlobsOnKeys)
{
    const struct
    {
        const char* row;
        const char* pattern;
        bool glob;
        const char* name;
        bool matches;
    } cases[] = {
        {"substring across case", "ČAŠA", false, "velika čaša.txt", true},
        {"Cyrillic finds Latin", "ђурђ", false, "Đurđevak.doc", true},
        {"missing substring", "zadaca", false, "zadatak.doc", false},
        {"glob star suffix", "*.xls", true, "INVOICE_2003.XLS", true},
        {"glob is anchored", "*.xls", true, "invoice.xlsx", false},
        {"question mark is one character", "?aša", true, "čaša", true},
        {"question mark is not two", "??aša", true, "čaša", false},
        {"star backtracks", "a*b*c", true, "axxbyybzc", true},
        {"star backtracks and fails", "a*b*c", true, "axxbyyb", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pattern(c.pattern, c.glob).matches(searchKey(c.name)), c.matches) << c.row;
}

TEST(Pattern, IndexTrigramsNeedThreeCharacters)
{
    using Trigrams = std::vector<std::string_view>;
    EXPECT_EQ(Pattern("ab", false).indexTrigrams(), Trigrams{});
    EXPECT_EQ(Pattern("*.x?", true).indexTrigrams(), Trigrams{});
    EXPECT_EQ(Pattern("čaša", false).indexTrigrams(), (Trigrams{"cas", "asa"}));
    EXPECT_EQ(Pattern("aaaa", false).indexTrigrams(), Trigrams{"aaa"});
    EXPECT_EQ(Pattern("日本語ファ", false).indexTrigrams(), (Trigrams{"日本語", "本語フ", "語ファ"}));
    EXPECT_EQ(Pattern("*.doc", true).indexTrigrams(), (Trigrams{".do", "doc"}));
}

TEST(SizeTextValue, ReportSizesToByteCounts)
{
    const struct
    {
        const char* text;
        std::optional<std::uint64_t> bytes;
        bool exact;
    } cases[] = {
        {"0 Bytes", 0, true},
        {"1018 Bytes", 1018, true},
        {"1.21 KBytes", 1239, false},
        {"1,21 KBytes", 1239, false},
        {"650 MBytes", 681574400, false},
        {"4482.27 MBytes", 4700000748, false},
        {"1.5 Bytes", std::nullopt, false},
        {"1.234 KBytes", std::nullopt, false},
        {"-1 KBytes", std::nullopt, false},
        {"12 GBytes", std::nullopt, false},
        {"99999999999999999999 MBytes", std::nullopt, false},
    };
    for (const auto& c : cases) {
        const auto value = sizeTextValue(c.text);
        ASSERT_EQ(value.has_value(), c.bytes.has_value()) << c.text;
        if (!value) continue;
        EXPECT_EQ(value->bytes, *c.bytes) << c.text;
        EXPECT_EQ(value->exact, c.exact) << c.text;
    }
}

} // namespace
} // namespace tarvelo::catalog
