// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include <QString>

class QFileDialog;
class QWidget;

namespace tarvelo::app {

// Qt's own file dialog, the same on every desktop and in the window's language.
void useOwnFileDialog(QFileDialog& dialog);

// CDlg, the save dialog of every run: it offers the file chosen in the run before, and
// asks nothing about an existing file (the run asks that itself).
class ReportSaveDialog
{
public:
    explicit ReportSaveDialog(QWidget& owner);

    // The chosen report's full path, or nothing when the user cancelled.
    std::optional<std::string> ask();

private:
    QFileDialog* m_dialog; // a child of the owner window, which deletes it
    QString m_previousChoice;
};

} // namespace tarvelo::app
