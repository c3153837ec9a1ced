// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/yes_answer.h"

#include <langinfo.h>
#include <regex.h>

#include <clocale>

namespace tarvelo::cli {
namespace {

// What the C locale says, for a locale whose expression is missing or broken.
constexpr const char* kFallbackYes = "^[yY]";

// One category in the user's locale for a while. The character set matters as much as
// the messages: the Cyrillic letters of a UTF-8 expression are several bytes each.
class UserLocale
{
public:
    explicit UserLocale(int category) : m_category(category)
    {
        const char* current = std::setlocale(category, nullptr);
        m_previous = current != nullptr ? current : "C";
        std::setlocale(category, "");
    }
    ~UserLocale() { std::setlocale(m_category, m_previous.c_str()); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

private:
    int m_category;
    std::string m_previous;
};

class Expression
{
public:
    explicit Expression(const char* text)
        : m_compiled(::regcomp(&m_regex, text, REG_EXTENDED | REG_NOSUB) == 0)
    {
    }
    ~Expression()
    {
        if (m_compiled) ::regfree(&m_regex);
    }
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    bool compiled() const noexcept { return m_compiled; }
    bool matches(const char* text) const { return ::regexec(&m_regex, text, 0, nullptr, 0) == 0; }

private:
    regex_t m_regex{};
    bool m_compiled;
};

} // namespace

bool meansYes(const std::string& answer)
{
    const auto first = answer.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const UserLocale characters(LC_CTYPE);
    const UserLocale messages(LC_MESSAGES);
    const char* text = ::nl_langinfo(YESEXPR);
    const Expression locales(text != nullptr && *text != '\0' ? text : kFallbackYes);
    const Expression fallback(kFallbackYes);
    const Expression& yes = locales.compiled() ? locales : fallback;
    return yes.compiled() && yes.matches(answer.c_str() + first);
}

} // namespace tarvelo::cli
