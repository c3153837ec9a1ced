// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class QWidget;

namespace tarvelo::app {

// Moves a window so that its whole frame, title bar included, is centred on centre, and
// kept on the screen as far as it fits.
void centreByFrame(QWidget& window, QPoint centre);

// Centres a window on its screen now, and once more when it is first shown, when the
// window manager has put its frame around it and the frame's size is known.
void centreOnScreen(QWidget& window);

} // namespace tarvelo::app
