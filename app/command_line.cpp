// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "common/version.h"

#include <QCommandLineParser>

namespace tarvelo::app {
namespace {

constexpr const char* kProgramName = "tarvelo";

// Written out rather than QCommandLineParser's own, whose words follow the window's
// language: the terminal text stays English, as the other programs' do.
QString helpText()
{
    return QStringLiteral(R"(Usage: tarvelo [options] [FILE...]

Opens the window that writes a disc's report, with each FILE (a disc image or a folder)
added to its list of sources, the last one selected.

Options:
  -h, --help     show this help and exit
      --version  show the version and licence and exit
      --         take every later argument as a FILE, even one beginning with '-'
)");
}

} // namespace

WindowCommandLine parseWindowCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("show this help and exit"));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("show the version and licence and exit"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a source"),
                                 QStringLiteral("[FILE...]"));
    WindowCommandLine command;
    if (!parser.parse(arguments)) {
        command.action = WindowCommandLine::Action::UsageError;
        command.text = parser.errorText();
    } else if (parser.isSet(help)) {
        command.action = WindowCommandLine::Action::Help;
        command.text = helpText();
    } else if (parser.isSet(version)) {
        command.action = WindowCommandLine::Action::Version;
        command.text = QString::fromStdString(common::versionText(kProgramName));
    } else {
        command.files = parser.positionalArguments();
    }
    return command;
}

} // namespace tarvelo::app
