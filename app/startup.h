#pragma once

#include <memory>
#include <vector>

#include <QIcon>

#include "app/main_window.h"

namespace tarvelo::app {

// The program's icon at 16, 32 and 48 pixels.
QIcon programIcon();

// Loads the main window with its drive list and shows it centred on the screen. With no
// drive, warns and gives nothing: the window is never shown and the program ends.
std::unique_ptr<MainWindow> loadMainWindow(const report::RunServices& services,
                                           const std::vector<platform::OpticalDrive>& drives,
                                           char decimalSeparator);

} // namespace tarvelo::app
