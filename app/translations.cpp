// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace tarvelo::app {
namespace {

// The first of the variables that choose the language of messages, as the C library
// reads them; LANGUAGE may list several, the first one counts.
QString messageLanguage()
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) return value.section(u':', 0, 0);
    }
    return {};
}

} // namespace

Language languageFromEnvironment()
{
    return messageLanguage().startsWith(QLatin1String("en")) ? Language::English
                                                             : Language::Serbian;
}

void installTranslations(Language language)
{
    const bool english = language == Language::English;
    // Dates and sizes in the file dialogs follow the language as well.
    QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedStates)
                                : QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia));
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString file =
        english ? QStringLiteral(":/i18n/tarvelo_en.qm") : QStringLiteral(":/i18n/qt_sr.qm");
    if (translator->load(file)) QCoreApplication::installTranslator(translator);
}

} // namespace tarvelo::app
