// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QIcon>
#include <QStringList>

#include "app/main_window.h"

namespace tarvelo::app {

// The program's icon at 16, 32 and 48 pixels.
QIcon programIcon();

// Loads the main window with the drives and the images and folders given, and shows it
// centred on the screen. With nothing to list, warns and gives nothing: the window is
// never shown and the program ends.
std::unique_ptr<MainWindow> loadMainWindow(const report::RunServices& services,
                                           const platform::DriveFinder& drives,
                                           const QStringList& sources, char decimalSeparator);

} // namespace tarvelo::app
