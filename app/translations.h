// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvelo::app {

// The language the window speaks: English for a user whose language is English (from
// LANGUAGE, LC_ALL, LC_MESSAGES or LANG, the first one set), Serbian for everyone else.
enum class Language
{
    Serbian,
    English,
};

Language languageFromEnvironment();

// Installs the texts of the language: ours translated to English, or Qt's own (dialog
// and button texts) translated to Serbian. Call once, after the application is made.
void installTranslations(Language language);

} // namespace tarvelo::app
