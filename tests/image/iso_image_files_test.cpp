// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "platform/host_volume_opener.h"
#include "image/iso9660_volume.h"
#include "platform/posix_volume.h"
#include "tests/image/volume_listing.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_dir.h"

#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;
using test::readAll;

std::string fileBytes(const fs::path& path)
{
    const auto bytes = test::readBytes(path);
    return {bytes.begin(), bytes.end()};
}

// A tree with the names, depths, sizes and archives a disc may hold, made into images by
// xorriso.
class IsoImageFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!test::xorrisoAvailable()) return;
        s_dir = std::make_unique<test::TempDir>();
        const test::TempDir& dir = *s_dir;
        test::writeMixedTree(dir.path() / "tree");
        for (const auto& [name, options] : kImages)
            test::makeIsoImage(dir.path() / "tree", dir.path() / name, options);
    }

    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override
    {
        if (!s_dir) GTEST_SKIP() << "xorriso is not installed";
    }

    static fs::path pathOf(const std::string& relative) { return s_dir->path() / relative; }

    static std::unique_ptr<platform::Volume> image(const std::string& name)
    {
        return platform::HostVolumeOpener().openVolume(pathOf(name).string());
    }

    static constexpr std::pair<const char*, const char*> kImages[] = {
        {"joliet.iso", "-J -joliet-long --norock"},
        {"joliet-rr.iso", "-J -joliet-long -R"},
        {"rock-ridge.iso", "-R"},
        // Folders deeper than eight levels moved to RR_MOVED, linked back from their place.
        {"rock-ridge-moved.iso", "-R -rr_reloc_dir RR_MOVED"},
    };

private:
    static inline std::unique_ptr<test::TempDir> s_dir;
};

TEST_F(IsoImageFiles, ImagesListAsTheTreeTheyWereMadeFrom)
{
    const auto expected = test::listTree(platform::PosixVolume(pathOf("tree").string()));
    ASSERT_GT(expected.size(), 20u);
    for (const auto& [name, options] : kImages)
        EXPECT_EQ(test::listTree(*image(name)), expected) << name << " made with " << options;
}

TEST_F(IsoImageFiles, FilesReadAsTheOriginals)
{
    const char* files[] = {"archives/inner.zip", "archives/deeper/second.RAR", "large.bin",
                           "zero.bin"};
    for (const auto& [name, options] : kImages) {
        const auto volume = image(name);
        EXPECT_EQ(volume->rootPath(), pathOf(name).string() + "/");
        for (const char* file : files)
            EXPECT_EQ(readAll(*volume->openFile(volume->rootPath() + file)),
                      fileBytes(pathOf("tree") / file))
                << file << " in " << name;
    }
}

TEST_F(IsoImageFiles, PlainImageShowsShortNamesWithoutVersions)
{
    const test::TempDir dir;
    dir.write("tree/readme.txt", "1");
    dir.write("tree/notes", "22");
    dir.write("tree/Docs/letter.doc", "333");
    test::makeIsoImage(dir.path() / "tree", dir.path() / "plain.iso", "--norock");
    const auto volume = platform::HostVolumeOpener().openVolume((dir.path() / "plain.iso").string());
    EXPECT_THAT(test::listTree(*volume),
                testing::ElementsAre("DOCS/", "  LETTER.DOC 3", "NOTES 2", "README.TXT 1"));
}

// Every cut of a real image, at sector bounds and between them, reads as far as it goes
// and then fails with an error: never a crash or a hang.
TEST_F(IsoImageFiles, TruncatedImagesEndInErrors)
{
    const auto bytes = test::readBytes(pathOf("joliet-rr.iso"));
    std::size_t completed = 0;
    for (std::size_t length = 0; length < bytes.size();
         length += length < 80 * 2048 ? 1021 : 65536) {
        const platform::MemoryByteSource cut(std::span<const std::uint8_t>(bytes).first(length));
        try {
            const IsoVolume volume(
                std::shared_ptr<const platform::ByteSource>(&cut, [](const platform::ByteSource*) {}), "cut.iso");
            test::listTree(volume);
            ++completed;
        } catch (const Error&) {
        }
    }
    EXPECT_GT(completed, 0u); // the file data at the end is not needed for a listing
}

// A read-only loop device over an image, detached at the end.
class LoopDevice
{
public:
    static std::unique_ptr<LoopDevice> attach(const fs::path& image)
    {
        FILE* pipe =
            ::popen(("losetup -f --show -r '" + image.string() + "' 2>/dev/null").c_str(), "r");
        if (pipe == nullptr) return nullptr;
        char line[256] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        const bool succeeded = ::pclose(pipe) == 0 && read;
        std::string path(line);
        if (!path.empty() && path.back() == '\n') path.pop_back();
        return succeeded && !path.empty() ? std::unique_ptr<LoopDevice>(new LoopDevice(path))
                                          : nullptr;
    }

    ~LoopDevice() { std::system(("losetup -d " + m_path + " 2>/dev/null").c_str()); }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& path() const { return m_path; }

private:
    explicit LoopDevice(std::string path) : m_path(std::move(path)) {}

    std::string m_path;
};

// A block device holding an image, as a drive holds a disc: read from the device.
TEST_F(IsoImageFiles, DeviceIsReadDirectly)
{
    const auto loop = LoopDevice::attach(pathOf("joliet.iso"));
    if (!loop) GTEST_SKIP() << "no loop device could be attached";
    const std::string& device = loop->path();

    const auto volume = platform::HostVolumeOpener().openVolume(device);
    EXPECT_EQ(volume->rootPath(), device + "/");
    EXPECT_EQ(test::listTree(*volume), test::listTree(*this->image("joliet.iso")));
    EXPECT_EQ(volume->facts().serialNumber, this->image("joliet.iso")->facts().serialNumber);
}

} // namespace
} // namespace tarvelo::image
