// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

// What `find` looks for, in search-key form: a substring, or with glob a whole name
// (or path) where "*" stands for any text and "?" for one character.
class Pattern
{
public:
    Pattern(std::string_view typed, bool glob);

    // Whether key (a search key) holds the substring, or matches the glob as a whole.
    bool matches(std::string_view key) const;

    // A full-text query for the trigram index that every match satisfies, or nothing when
    // the pattern has no run of three characters to look up (then every name is tried).
    std::optional<std::string> indexQuery() const;

private:
    std::string m_key;
    bool m_glob;
};

} // namespace tarvelo::catalog
