#pragma once

#include <QObject>

class QWidget;

namespace tarvelo::app {

// While it lives, the input meant for one window and its controls is dropped, not kept
// for later, and the window refuses to close. The controls keep their look: nothing is
// disabled. Other windows (dialogs, message boxes) take input as usual.
class InputBlocker final : public QObject
{
public:
    explicit InputBlocker(QWidget& window);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
};

} // namespace tarvelo::app
