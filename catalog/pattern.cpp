// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/pattern.h"

#include "catalog/name_index.h"
#include "catalog/search_key.h"

namespace tarvelo::catalog {
namespace {

// The byte length of the character that starts at `at`.
std::size_t characterLength(std::string_view text, std::size_t at)
{
    std::size_t end = at + 1;
    while (end < text.size() && !startsCharacter(text[end]))
        ++end;
    return end - at;
}

// Glob matching with one point to return to at the last "*", which is enough because a
// later "*" can always take over what an earlier one would have matched.
bool globMatches(std::string_view glob, std::string_view text)
{
    std::size_t g = 0;
    std::size_t t = 0;
    std::size_t starGlob = std::string_view::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (g < glob.size() && glob[g] == '*') {
            starGlob = ++g;
            starText = t;
        } else if (g < glob.size() && glob[g] == '?') {
            ++g;
            t += characterLength(text, t);
        } else if (g < glob.size() && glob[g] == text[t]) {
            ++g;
            ++t;
        } else if (starGlob != std::string_view::npos) {
            g = starGlob;
            starText += characterLength(text, starText);
            t = starText;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == '*')
        ++g;
    return g == glob.size();
}

// The longest run of the pattern without wildcards: what every match contains.
std::string_view longestLiteral(std::string_view key, bool glob)
{
    if (!glob) return key;
    std::string_view best;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find_first_of("*?", start);
        if (end == std::string_view::npos) end = key.size();
        const std::string_view run = key.substr(start, end - start);
        if (characterCount(run) > characterCount(best)) best = run;
        start = end + 1;
    }
    return best;
}

} // namespace

Pattern::Pattern(std::string_view typed, bool glob) : m_key(searchKey(typed)), m_glob(glob) {}

bool Pattern::matches(std::string_view key) const
{
    return m_glob ? globMatches(m_key, key) : key.find(m_key) != std::string_view::npos;
}

std::vector<std::string_view> Pattern::indexTrigrams() const
{
    return trigramsOf(longestLiteral(m_key, m_glob));
}

bool Pattern::liesWithinOneName() const
{
    return !m_glob && m_key.find('/') == std::string::npos;
}

} // namespace tarvelo::catalog
