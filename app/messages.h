// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QMessageBox>
#include <QString>

#include "report/outcome.h"

class QWidget;

namespace tarvelo::app {

// The window's own texts are written in Serbian and translated in this context.
inline constexpr char kTextContext[] = "Tarvelo";
QString text(const char* serbian);

// The window's caption, and the caption while a report is written: with the share done
// once the disc has been scanned.
QString idleCaption();
QString busyCaption(std::optional<int> percentDone = std::nullopt);

// A message box of the program: its icon and text; the title is always the program's.
struct Message
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
};

Message noDriveMessage();
// A notice a reader shows without failing, such as "Unknown header".
Message noticeMessage(const QString& text);
// An image or folder the user gave that cannot be read, with the reason.
Message cannotAddMessage(const QString& path, const QString& reason);
// What the user is told when a run has ended; nothing for a run the user ended.
// discThere tells an empty drive from a disc that could not be read.
std::optional<Message> outcomeMessage(const report::RunOutcome& outcome, bool discThere = false);

// A modal message box with an OK button, over parent (none before the window is shown).
void showMessage(QWidget* parent, const Message& message);

// Asks whether the existing file named fileName is to be replaced; true for Yes.
bool askReplace(QWidget* parent, const QString& fileName);

// Asks whether the report being written is to be given up; true for Yes.
bool askStop(QWidget* parent);

} // namespace tarvelo::app
