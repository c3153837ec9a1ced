// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_run_ui.h"

#include <type_traits>

#include <QFileInfo>
#include <QMetaObject>
#include <QWidget>

#include "app/messages.h"
#include "app/report_save_dialog.h"

namespace tarvelo::app {

QtRunUi::QtRunUi(QWidget& window, ReportSaveDialog& saveDialog)
    : m_window(window), m_saveDialog(saveDialog)
{
}

// Runs action on the window's thread and waits for its result. Once a stop is asked
// for, the action is skipped and the result is the cancelling default.
template <typename Action> auto QtRunUi::onWindowThread(Action action)
{
    using Result = std::invoke_result_t<Action>;
    auto unlessStopped = [this, &action]() -> Result {
        if (m_stop) return Result();
        return action();
    };
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(&m_window, unlessStopped, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(&m_window, unlessStopped, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

std::optional<std::string> QtRunUi::askSavePath()
{
    return onWindowThread([this] { return m_saveDialog.ask(); });
}

void QtRunUi::processEvents()
{
    // Nothing to do: the window's thread handles its events all through the run.
}

bool QtRunUi::confirmReplace(const std::string& path)
{
    return onWindowThread([this, &path] {
        return askReplace(&m_window, QFileInfo(QString::fromStdString(path)).fileName());
    });
}

void QtRunUi::setBusy(bool busy)
{
    onWindowThread([this, busy] { m_window.setWindowTitle(busy ? busyCaption() : idleCaption()); });
}

void QtRunUi::progress(const report::Progress& progress)
{
    if (progress.phase != report::Progress::Phase::Writing || progress.filesTotal <= 0) return;
    const int percent = static_cast<int>(progress.filesDone * 100 / progress.filesTotal);
    if (percent == m_percentShown) return;
    m_percentShown = percent;
    // Not waited for: the run goes on while the caption changes. The caption after the
    // run is set after this, through the same queue.
    QMetaObject::invokeMethod(
        &m_window, [window = &m_window, percent] { window->setWindowTitle(busyCaption(percent)); },
        Qt::QueuedConnection);
}

bool QtRunUi::stopRequested()
{
    return m_stop;
}

void QtRunUi::notice(std::string_view text)
{
    const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    onWindowThread([this, &message] { showMessage(&m_window, noticeMessage(message)); });
}

void QtRunUi::requestStop() noexcept
{
    m_stop = true;
}

} // namespace tarvelo::app
