// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/rar_records.h"
#include "archive/read_window.h"
#include "common/code_page.h"

namespace tarvelo::archive::rar {

// Receives what a block walk finds, as it finds it, so that a walk that fails keeps
// the entries read before the failure.
class WalkListener
{
public:
    virtual ~WalkListener() = default;
    virtual void archiveHeader(RarArchiveHeader header) = 0;
    virtual void fileEntry(const RarEntry& entry) = 0;
};

// Walks the blocks of a RAR 1.5 to 4.x archive from the block after the marker. Ends
// quietly at the end of the file, at a block cut off by it, at the end-of-archive block
// or after an archive header that says the block headers are encrypted; a block header
// that contradicts itself fails with the invalid-file-format error.
void walkBlocks(ReadWindow& window, const common::CodePage& oemCodePage, WalkListener& listener);

// The same for a RAR 5 archive, from the block after the signature.
void walkRar5Blocks(ReadWindow& window, const common::CodePage& oemCodePage,
                    WalkListener& listener);

} // namespace tarvelo::archive::rar
