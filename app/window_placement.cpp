// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_placement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace tarvelo::app {
namespace {

// Centres its window on the screen at the window's first exposure, then goes.
class CentreWhenFramed final : public QObject
{
public:
    explicit CentreWhenFramed(QWidget& window) : QObject(&window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && m_window.windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            centreOnScreenNow();
            deleteLater();
        }
        return false;
    }

    void centreOnScreenNow()
    {
        centreByFrame(m_window, m_window.screen()->availableGeometry().center());
    }

private:
    QWidget& m_window;
};

} // namespace

void centreByFrame(QWidget& window, QPoint centre)
{
    QRect frame = window.frameGeometry();
    frame.moveCenter(centre);
    const QRect screen = window.screen()->availableGeometry();
    frame.moveRight(std::min(frame.right(), screen.right()));
    frame.moveBottom(std::min(frame.bottom(), screen.bottom()));
    frame.moveLeft(std::max(frame.left(), screen.left()));
    frame.moveTop(std::max(frame.top(), screen.top()));
    window.move(frame.topLeft());
}

void centreOnScreen(QWidget& window)
{
    window.winId(); // makes the native window, to watch its exposure
    auto* centring = new CentreWhenFramed(window);
    centring->centreOnScreenNow();
    window.windowHandle()->installEventFilter(centring);
}

} // namespace tarvelo::app
