// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_device_label.h"

#include <blkid.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <memory>

namespace tarvelo::platform {
namespace {

struct FreeDeleter
{
    void operator()(char* text) const noexcept { std::free(text); }
};
using MallocText = std::unique_ptr<char, FreeDeleter>;

} // namespace

std::string deviceLabel(dev_t devno)
{
    // Major 0 holds the file systems without a device (tmpfs, overlay, proc...): nothing
    // to look up, and the lookup would scan all of /dev for it.
    if (major(devno) == 0) return {};
    const MallocText device(blkid_devno_to_devname(devno));
    if (!device) return {};
    const MallocText label(blkid_get_tag_value(nullptr, "LABEL", device.get()));
    return label ? std::string(label.get()) : std::string();
}

} // namespace tarvelo::platform
