// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/latin_script.h"

#include <algorithm>
#include <iterator>

namespace tarvelo::app {
namespace {

struct Letter
{
    char16_t cyrillic;
    const char* latin; // UTF-8
};

// Vuk's alphabet in its order, capitals then small letters.
constexpr Letter kAlphabet[] = {
    {u'А', "A"},  {u'Б', "B"},  {u'В', "V"},  {u'Г', "G"}, {u'Д', "D"},  {u'Ђ', "Đ"}, {u'Е', "E"},
    {u'Ж', "Ž"},  {u'З', "Z"},  {u'И', "I"},  {u'Ј', "J"}, {u'К', "K"},  {u'Л', "L"}, {u'Љ', "Lj"},
    {u'М', "M"},  {u'Н', "N"},  {u'Њ', "Nj"}, {u'О', "O"}, {u'П', "P"},  {u'Р', "R"}, {u'С', "S"},
    {u'Т', "T"},  {u'Ћ', "Ć"},  {u'У', "U"},  {u'Ф', "F"}, {u'Х', "H"},  {u'Ц', "C"}, {u'Ч', "Č"},
    {u'Џ', "Dž"}, {u'Ш', "Š"},  {u'а', "a"},  {u'б', "b"}, {u'в', "v"},  {u'г', "g"}, {u'д', "d"},
    {u'ђ', "đ"},  {u'е', "e"},  {u'ж', "ž"},  {u'з', "z"}, {u'и', "i"},  {u'ј', "j"}, {u'к', "k"},
    {u'л', "l"},  {u'љ', "lj"}, {u'м', "m"},  {u'н', "n"}, {u'њ', "nj"}, {u'о', "o"}, {u'п', "p"},
    {u'р', "r"},  {u'с', "s"},  {u'т', "t"},  {u'ћ', "ć"}, {u'у', "u"},  {u'ф', "f"}, {u'х', "h"},
    {u'ц', "c"},  {u'ч', "č"},  {u'џ', "dž"}, {u'ш', "š"},
};

const Letter* serbianLetter(QChar c)
{
    const auto found = std::find_if(std::begin(kAlphabet), std::end(kAlphabet),
                                    [c](const Letter& l) { return l.cyrillic == c.unicode(); });
    return found != std::end(kAlphabet) ? found : nullptr;
}

bool isCyrillic(QChar c)
{
    return c.script() == QChar::Script_Cyrillic;
}

} // namespace

QString toLatinScript(const QString& text)
{
    const bool serbian = std::all_of(text.begin(), text.end(), [](QChar c) {
        return !isCyrillic(c) || serbianLetter(c) != nullptr;
    });
    if (!serbian) return text;
    QString latin;
    latin.reserve(text.size());
    for (const QChar c : text) {
        const Letter* letter = isCyrillic(c) ? serbianLetter(c) : nullptr;
        if (letter != nullptr)
            latin += QString::fromUtf8(letter->latin);
        else
            latin += c;
    }
    return latin;
}

} // namespace tarvelo::app
