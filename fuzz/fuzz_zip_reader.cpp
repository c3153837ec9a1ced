// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds one input to the ZIP reader (from memory, or as a sparse file claiming far more
// bytes than it holds) and asks every property of every entry.
// A tarvelo::Error is an accepted outcome; anything else (a crash, another exception, a
// leak, a hang) is a finding.
#include <cstddef>
#include <cstdint>

#include "archive/zip_reader.h"
#include "common/error.h"
#include "fuzz/fuzz_reader_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tarvelo::fuzz::InputOpener files({data, size});
    tarvelo::fuzz::IgnoredNotices notices;
    tarvelo::archive::ReaderState state;
    tarvelo::archive::Cls_Zip reader(state, tarvelo::common::CodePage::defaultOem());
    try {
        reader.Get_Contents("input.zip", {files, notices});
    } catch (const tarvelo::Error&) {
        return 0;
    }
    tarvelo::fuzz::askEveryProperty(reader);
    return 0;
}
