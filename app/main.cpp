// SPDX-License-Identifier: GPL-3.0-or-later
#include <clocale>
#include <cstdio>

#include <QApplication>

#include "app/command_line.h"
#include "app/startup.h"
#include "app/translations.h"
#include "app/window_fonts.h"
#include "common/code_page.h"
#include "platform/host_volume_opener.h"
#include "platform/optical_drives.h"
#include "platform/posix_output.h"
#include "report/reader_set.h"

namespace {

// The user's decimal separator for size texts, read once.
char localeDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "");
    const std::lconv* conventions = std::localeconv();
    const char* point = conventions != nullptr ? conventions->decimal_point : nullptr;
    return point != nullptr && *point != '\0' ? *point : '.';
}

// The command line as given, before the window system takes any of it.
QStringList givenArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Help and version go to stdout; a usage error to stderr, with status 2, as from the
// other programs.
int printWithoutWindow(const tarvelo::app::WindowCommandLine& command)
{
    using Action = tarvelo::app::WindowCommandLine::Action;
    if (command.action != Action::UsageError) {
        std::fputs(command.text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    std::fprintf(stderr, "tarvelo: %s\ntry 'tarvelo --help' for more information\n",
                 command.text.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace tarvelo;
    const auto command = app::parseWindowCommandLine(givenArguments(argc, argv));
    if (command.action != app::WindowCommandLine::Action::Open) return printWithoutWindow(command);
    // Only the program's name reaches Qt: every other argument was a FILE, even one
    // that looks like a Qt option.
    int qtArgc = 1;
    const QApplication application(qtArgc, argv);
    // The system's reasons (strerror) in the user's language, where the system has it.
    std::setlocale(LC_MESSAGES, "");
    app::installTranslations(app::languageFromEnvironment());
    QApplication::setWindowIcon(app::programIcon());
    app::installFontFallbacks();

    const platform::HostVolumeOpener volumes;
    platform::PosixOutputService outputs;
    report::ReaderSet readers(common::CodePage::defaultOem());
    const platform::CdromDiscProbe probe;
    const platform::HostDriveFinder drives("/", probe, volumes);

    const auto window = app::loadMainWindow({volumes, outputs, readers.readers()}, drives,
                                            command.files,
                                            localeDecimalSeparator());
    return window ? QApplication::exec() : 0;
}
