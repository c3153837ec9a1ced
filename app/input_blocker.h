// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QObject>

class QWidget;

namespace tarvelo::app {

// While it lives, the input meant for one window and its controls is dropped, not kept
// for later, and the window refuses to close. The controls keep their look: nothing is
// disabled. Other windows (dialogs, message boxes) take input as usual. Esc and asking the
// window to close still reach wishStop, after the event has been dropped.
class InputBlocker final : public QObject
{
public:
    enum class StopWish
    {
        Escape,
        Close,
    };

    InputBlocker(QWidget& window, std::function<void(StopWish)> wishStop);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void passOn(StopWish wish);

    QWidget& m_window;
    std::function<void(StopWish)> m_wishStop;
};

} // namespace tarvelo::app
