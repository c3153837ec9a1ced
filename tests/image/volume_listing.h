// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/byte_source.h"
#include "platform/volume.h"

#include <span>
#include <string>
#include <vector>

namespace tarvelo::test {

// Every folder and file below the root, depth first in name order: "name/" for a folder,
// "name size" for a file, indented by two spaces per level. Stops with a line "..."
// after maxLines lines, so a volume that loops cannot hang a test.
std::vector<std::string> listTree(const platform::Volume& volume, std::size_t maxLines = 5000);

// Every byte of the source, as a string for comparing with the expected contents.
std::string readAll(const platform::ByteSource& source);

// The count bytes of the image where the listing of the folder says the named file's data
// begin; empty when it gives no position.
std::string bytesAtPosition(const platform::Volume& volume, const std::string& folderPath,
                            const std::string& name, std::span<const std::uint8_t> image,
                            std::size_t count);

} // namespace tarvelo::test
