// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/app/app_fixture.h"

#include "app/window_fonts.h"

namespace tarvelo::test {

std::unique_ptr<platform::PendingFile> GatedOutputs::create(const std::string& path)
{
    std::unique_lock lock(m_mutex);
    m_waiting = m_closed;
    m_opened.wait(lock, [this] { return !m_closed; });
    m_waiting = false;
    return m_files.create(path);
}

void GatedOutputs::close()
{
    const std::lock_guard lock(m_mutex);
    m_closed = true;
}

void GatedOutputs::open()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closed = false;
    }
    m_opened.notify_all();
}

AppServices::AppServices()
{
    app::installFontFallbacks();
    discs.addDrive('D', {"DATA", 650000000, 0, 1234});
    discs.addEmptyDrive('E');
}

std::unique_ptr<app::MainWindow>
AppServices::window(const std::vector<platform::OpticalDrive>& listed)
{
    drives.drives = listed;
    return std::make_unique<app::MainWindow>(services(), drives, '.');
}

std::unique_ptr<app::MainWindow> AppServices::window()
{
    drives.empty = {"E:"};
    return window({{"D:", "DATA"}, {"E:", std::nullopt}});
}

} // namespace tarvelo::test
