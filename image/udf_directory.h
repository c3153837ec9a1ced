// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/udf_records.h"
#include "platform/byte_source.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::image::udf {

// One named entry of a folder: its name and where its file entry lies.
struct DirectoryItem
{
    std::string name;
    BlockAddress entry;
};

// The items of a folder from its data, read in pieces so a forged length cannot make one
// huge buffer: deleted and parent identifiers left out, hidden ones kept. A damaged
// identifier raises the damaged-volume error naming the folder (what).
std::vector<DirectoryItem> readDirectory(const platform::ByteSource& data, std::string_view what);

} // namespace tarvelo::image::udf
