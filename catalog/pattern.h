// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// What `find` looks for, in search-key form: a substring, or with glob a whole name
// (or path) where "*" stands for any text and "?" for one character.
class Pattern
{
public:
    Pattern(std::string_view typed, bool glob);

    // Whether key (a search key) holds the substring, or matches the glob as a whole.
    bool matches(std::string_view key) const;

    // The trigrams every matching key holds (views into the pattern), none when the
    // pattern has no run of three characters to look up (then every name is tried).
    std::vector<std::string_view> indexTrigrams() const;

    // Whether every match within a path lies within one name of it: a substring that
    // holds no "/".
    bool liesWithinOneName() const;

private:
    std::string m_key;
    bool m_glob;
};

} // namespace tarvelo::catalog
