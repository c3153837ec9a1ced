#include "app/startup.h"

#include <QScreen>
#include <QStyle>

#include "app/messages.h"

namespace tarvelo::app {

QIcon programIcon()
{
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/tarvelo/icon-%1.png").arg(QLatin1String(size)));
    return icon;
}

std::unique_ptr<MainWindow> loadMainWindow(const report::RunServices& services,
                                           const std::vector<platform::OpticalDrive>& drives,
                                           char decimalSeparator)
{
    if (drives.empty()) {
        showMessage(nullptr, noDriveMessage());
        return nullptr;
    }
    auto window = std::make_unique<MainWindow>(services, drives, decimalSeparator);
    window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                            window->screen()->availableGeometry()));
    window->show();
    return window;
}

} // namespace tarvelo::app
