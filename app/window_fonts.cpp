// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_fonts.h"

#include <QWidget>

namespace tarvelo::app {
namespace {

constexpr double kPointSize = 8.25;

QFont font(const QString& family)
{
    QFont result(family);
    result.setPointSizeF(kPointSize);
    result.setStyleHint(QFont::SansSerif);
    return result;
}

} // namespace

void installFontFallbacks()
{
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

QFont windowFont()
{
    return font(QStringLiteral("Comic Sans MS"));
}

void applyWindowFonts(QWidget& window, QWidget& frame)
{
    window.setFont(windowFont());
    frame.setFont(font(QStringLiteral("MS Sans Serif")));
    for (QWidget* control : frame.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setFont(windowFont());
}

} // namespace tarvelo::app
