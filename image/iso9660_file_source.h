#pragma once

#include "platform/byte_source.h"
#include "image/iso9660_directory.h"

#include <memory>
#include <vector>

namespace tarvelo::image::iso9660 {

// A file on the disc as one run of bytes over its extents, so an archive inside an
// image is read exactly like one on a mounted disc. Shares the disc, which thus lives
// as long as any file opened on it.
class FileSource final : public platform::ByteSource
{
  public:
    FileSource(std::shared_ptr<const platform::ByteSource> disc, std::vector<Extent> extents);

    std::uint64_t size() const override { return m_size; }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

  private:
    std::shared_ptr<const platform::ByteSource> m_disc;
    std::vector<Extent> m_extents;
    std::uint64_t m_size = 0;
};

} // namespace tarvelo::image::iso9660
