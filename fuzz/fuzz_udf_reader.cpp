// SPDX-License-Identifier: GPL-3.0-or-later
// Reads one input as a UDF disc image from memory (see fuzz_volume_walk.h).
#include "fuzz/fuzz_volume_walk.h"
#include "image/udf_volume.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tarvelo::fuzz::readWholeDisc<tarvelo::image::UdfVolume>(std::span(data, size), "input.udf");
    return 0;
}
