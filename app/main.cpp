#include <clocale>

#include <QApplication>

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

} // namespace

int main(int argc, char* argv[])
{
    using namespace tarvelo;
    const QApplication application(argc, argv);
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
                                            QApplication::arguments().mid(1),
                                            localeDecimalSeparator());
    return window ? QApplication::exec() : 0;
}
