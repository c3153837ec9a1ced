// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

class QWidget;

namespace tarvelo::app {

// Where "Comic Sans MS" is missing, the free face drawn after it stands in, and where
// that is missing too, the platform's sans. Call once before the windows are made.
void installFontFallbacks();

// The main window's font: "Comic Sans MS", 8.25 points.
QFont windowFont();

// Gives the window its font and the frame its own ("MS Sans Serif", 8.25 points). The
// controls inside the frame keep the window's font, as the frame's is for itself only.
void applyWindowFonts(QWidget& window, QWidget& frame);

} // namespace tarvelo::app
