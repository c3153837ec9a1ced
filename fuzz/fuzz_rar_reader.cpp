// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds one input to the RAR reader (from memory, or as a sparse file claiming far more
// bytes than it holds) and asks every property of every entry.
// A tarvelo::Error is an accepted outcome; anything else (a crash, another exception, a
// leak, a hang) is a finding.
#include <cstddef>
#include <cstdint>

#include "archive/rar_reader.h"
#include "common/error.h"
#include "fuzz/fuzz_reader_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tarvelo::fuzz::InputOpener files({data, size});
    tarvelo::fuzz::IgnoredNotices notices;
    tarvelo::archive::ReaderState state;
    tarvelo::archive::Cls_Rar reader(state, tarvelo::common::CodePage::defaultOem());
    try {
        reader.Get_Contents("input.rar", {files, notices});
    } catch (const tarvelo::Error&) {
        return 0;
    }
    tarvelo::fuzz::askEveryProperty(reader);
    (void)reader.FileDateTime(1);
    return 0;
}
