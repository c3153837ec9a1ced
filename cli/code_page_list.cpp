// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/code_page_list.h"

#include "common/code_page.h"

namespace tarvelo::cli {
namespace {

constexpr ListedCodePage kListed[] = {
    {"CP437", "DOS, United States"},
    {"CP737", "DOS, Greek"},
    {"CP775", "DOS, Baltic"},
    {"CP850", "DOS, Western Europe"},
    {"CP852", "DOS, Central Europe (the default)"},
    {"CP855", "DOS, Cyrillic"},
    {"CP857", "DOS, Turkish"},
    {"CP860", "DOS, Portuguese"},
    {"CP861", "DOS, Icelandic"},
    {"CP862", "DOS, Hebrew"},
    {"CP863", "DOS, Canadian French"},
    {"CP865", "DOS, Nordic"},
    {"CP866", "DOS, Russian"},
    {"CP869", "DOS, Greek 2"},
    {"CP874", "DOS and Windows, Thai"},
    {"CP1250", "Windows, Central Europe"},
    {"CP1251", "Windows, Cyrillic"},
    {"CP1252", "Windows, Western Europe"},
    {"CP1253", "Windows, Greek"},
    {"CP1254", "Windows, Turkish"},
    {"CP1256", "Windows, Arabic"},
    {"CP1257", "Windows, Baltic"},
};

} // namespace

std::span<const ListedCodePage> listedCodePages()
{
    return kListed;
}

std::string codePageListText()
{
    std::string text = "Code pages for --codepage (other single-byte iconv names work too):\n";
    for (const ListedCodePage& page : kListed) {
        if (!common::CodePage::byName(page.name)) continue; // this system's iconv lacks it
        std::string name = page.name;
        name.resize(8, ' ');
        text += "  " + name + page.use + '\n';
    }
    return text;
}

} // namespace tarvelo::cli
