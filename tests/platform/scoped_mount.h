// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace tarvelo::test {

// A file system mounted for one test and unmounted after it. Mounting needs privileges
// a machine may not grant; then the factories give nothing and the test is skipped.
class ScopedMount
{
public:
    // A tmpfs of the given size ("64k") at folder.
    static std::unique_ptr<ScopedMount> tmpfs(const std::filesystem::path& folder,
                                              const std::string& size);
    // A new ext2 file system with the label, in an image file, mounted through a loop device.
    static std::unique_ptr<ScopedMount> labelledImage(const std::filesystem::path& image,
                                                      const std::string& label,
                                                      const std::filesystem::path& folder);
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    const std::filesystem::path& folder() const noexcept { return m_folder; }

private:
    explicit ScopedMount(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    std::filesystem::path m_folder;
};

} // namespace tarvelo::test
