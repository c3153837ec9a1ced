// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvelo::app {

// A text in Serbian Cyrillic written in Latin script, as the window writes Serbian; the
// system has its reasons in Serbian only in Cyrillic. A text with any Cyrillic letter
// outside the Serbian alphabet (another language) is left as it is.
QString toLatinScript(const QString& text);

} // namespace tarvelo::app
