// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>

namespace tarvelo::platform {

// The label of the file system on the block device devno, as libblkid knows it; empty
// when the device has none, is no block device or the system does not know it.
std::string deviceLabel(dev_t devno);

} // namespace tarvelo::platform
