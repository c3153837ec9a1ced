#pragma once

#include "tests/image/udf_image_builder.h"

namespace tarvelo::test {

// The image of the builder's tree, laid out as the options say.
std::vector<std::uint8_t> writeUdfImage(const UdfImageBuilder& tree, const UdfImageOptions& options);

} // namespace tarvelo::test
