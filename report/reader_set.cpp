// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reader_set.h"

namespace tarvelo::report {

ReaderSet::ReaderSet(const common::CodePage& oemCodePage)
    : m_oemCodePage(oemCodePage), m_zip(m_state, m_oemCodePage), m_rar(m_state, m_oemCodePage)
{
}

} // namespace tarvelo::report
