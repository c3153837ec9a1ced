// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archive_reader.h"
#include "archive/rar_reader.h"
#include "archive/zip_reader.h"
#include "common/code_page.h"
#include "report/report_run.h"

namespace tarvelo::report {

// The program's two archive readers over their one shared state, living as long as the
// front end that owns them. The code page is kept here because the readers borrow it.
class ReaderSet
{
public:
    explicit ReaderSet(const common::CodePage& oemCodePage);
    ReaderSet(const ReaderSet&) = delete;
    ReaderSet& operator=(const ReaderSet&) = delete;

    ArchiveReaders readers() noexcept { return {m_zip, m_rar}; }

private:
    common::CodePage m_oemCodePage;
    archive::ReaderState m_state;
    archive::Cls_Zip m_zip;
    archive::Cls_Rar m_rar;
};

} // namespace tarvelo::report
