// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>

namespace tarvelo::cli {

// A code page --codepage help names, with what it was used for.
struct ListedCodePage
{
    const char* name;
    const char* use;
};

// The DOS and Windows pages that archives of their day were written in. Any other
// single-byte page the system's iconv knows is accepted too.
std::span<const ListedCodePage> listedCodePages();

// The text of --codepage help: one listed page a line, those this system can decode.
std::string codePageListText();

} // namespace tarvelo::cli
