// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace tarvelo::app {
namespace {

// What a user does to a window: keys (access keys arrive as shortcuts), the mouse's
// buttons and wheel, touch and pen, dropped files, and asking it to close.
bool isUserAction(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool isEscapePress(const QEvent& event)
{
    return event.type() == QEvent::KeyPress &&
           static_cast<const QKeyEvent&>(event).key() == Qt::Key_Escape;
}

} // namespace

InputBlocker::InputBlocker(QWidget& window, std::function<void(StopWish)> wishStop)
    : m_window(window), m_wishStop(std::move(wishStop))
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserAction(event->type())) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &m_window) return false;
    event->ignore(); // an ignored close event keeps the window open
    if (isEscapePress(*event)) passOn(StopWish::Escape);
    if (event->type() == QEvent::Close) passOn(StopWish::Close);
    return true;
}

// Later, from the event loop: the wish may open a modal question, which must not run
// inside another window's event handling.
void InputBlocker::passOn(StopWish wish)
{
    QMetaObject::invokeMethod(
        &m_window, [wishStop = m_wishStop, wish] { wishStop(wish); }, Qt::QueuedConnection);
}

} // namespace tarvelo::app
