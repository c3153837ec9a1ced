// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QWidget;

namespace tarvelo::test {

// Plays the user's part in the modal windows the program opens: each step answers the
// next modal window that shows up, and every window is recorded as the user saw it.
// A modal window that comes when no step is left is closed and recorded as unexpected,
// so a fault shows as a failed comparison, not a test that hangs.
class ModalScript final : public QObject
{
public:
    using Step = std::function<void(QWidget& modal)>;

    ModalScript();

    // Steps spelled as words: "save:PATH", "cancel", and a button to press ("Ok",
    // "Yes", "No").
    explicit ModalScript(const QStringList& answers);

    void add(Step step) { m_steps.push_back(std::move(step)); }
    bool done() const noexcept { return m_steps.empty(); }

    // "dialog [offered name]" for the save dialog; "Icon [Buttons]: text" for a message box.
    const QStringList& seen() const noexcept { return m_seen; }
    const QStringList& titles() const noexcept { return m_titles; }

    static Step saveAs(const QString& path);
    static Step cancel();
    static Step press(const QString& button);

private:
    void poll();
    void record(QWidget& modal);

    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_handled;
    QStringList m_seen;
    QStringList m_titles;
};

} // namespace tarvelo::test
