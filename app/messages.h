#pragma once

#include <optional>

#include <QMessageBox>
#include <QString>

#include "report/outcome.h"

class QWidget;

namespace tarvelo::app {

// The window's caption, and the caption while a report is written.
QString idleCaption();
QString busyCaption();

// A message box of the program: its icon and text; the title is always the program's.
struct Message
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
};

Message noDriveMessage();
// A notice a reader shows without failing, such as "Unknown header".
Message noticeMessage(const QString& text);
// What the user is told when a run has ended; nothing for a run the user ended.
std::optional<Message> outcomeMessage(const report::RunOutcome& outcome);

// A modal message box with an OK button, over parent (none before the window is shown).
void showMessage(QWidget* parent, const Message& message);

// Asks whether the existing file named fileName is to be replaced; true for Yes.
bool askReplace(QWidget* parent, const QString& fileName);

} // namespace tarvelo::app
