// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/disc_volume.h"

#include "common/error.h"
#include "image/iso9660_volume.h"
#include "image/udf_descriptors.h"
#include "image/udf_volume.h"

namespace tarvelo::image {

std::unique_ptr<platform::Volume> openDiscVolume(std::shared_ptr<const platform::ByteSource> disc,
                                                 const std::string& path,
                                                 std::uint64_t sessionStartSector,
                                                 std::optional<std::uint64_t> lastWrittenSector)
{
    if (!udf::hasUdfRecognition(*disc, sessionStartSector))
        return std::make_unique<IsoVolume>(disc, path, sessionStartSector);
    try {
        return std::make_unique<UdfVolume>(disc, path, sessionStartSector, lastWrittenSector);
    } catch (const Error& damaged) {
        if (damaged.number() != ErrorNumber::InvalidFileFormat) throw;
        try {
            return std::make_unique<IsoVolume>(disc, path, sessionStartSector);
        } catch (const Error&) {
            throw damaged;
        }
    }
}

} // namespace tarvelo::image
