// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "app/messages.h"
#include "app/window_placement.h"

namespace tarvelo::app {

QIcon programIcon()
{
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/tarvelo/icon-%1.png").arg(QLatin1String(size)));
    return icon;
}

std::unique_ptr<MainWindow> loadMainWindow(const report::RunServices& services,
                                           const platform::DriveFinder& drives,
                                           const QStringList& sources, char decimalSeparator)
{
    auto window = std::make_unique<MainWindow>(services, drives, decimalSeparator);
    window->addSources(sources);
    if (!window->hasEntries()) {
        showMessage(nullptr, noDriveMessage());
        return nullptr;
    }
    centreOnScreen(*window);
    window->show();
    return window;
}

} // namespace tarvelo::app
