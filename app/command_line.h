// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tarvelo::app {

// What the window's command line asks for: the files to open at start (as before any
// option existed), or only a text on the terminal.
struct WindowCommandLine
{
    enum class Action
    {
        Open,
        Help,
        Version,
        UsageError,
    };
    Action action = Action::Open;
    QStringList files;
    QString text; // the help, the version, or what is wrong
};

// arguments begin with the program's name; "--" ends the options, for a file whose name
// begins with '-'.
WindowCommandLine parseWindowCommandLine(const QStringList& arguments);

} // namespace tarvelo::app
