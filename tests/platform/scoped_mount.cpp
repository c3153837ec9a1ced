// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/platform/scoped_mount.h"

#include <sys/mount.h>

#include <cstdlib>

namespace tarvelo::test {
namespace {

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace

std::unique_ptr<ScopedMount> ScopedMount::tmpfs(const std::filesystem::path& folder,
                                                const std::string& size)
{
    std::filesystem::create_directories(folder);
    const std::string options = "size=" + size;
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) return nullptr;
    return std::unique_ptr<ScopedMount>(new ScopedMount(folder));
}

std::unique_ptr<ScopedMount> ScopedMount::labelledImage(const std::filesystem::path& image,
                                                        const std::string& label,
                                                        const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    if (!run("truncate -s 1M " + quoted(image)) ||
        !run("mkfs.ext2 -q -L " + label + " " + quoted(image)) ||
        !run("mount -o loop,ro " + quoted(image) + " " + quoted(folder)))
        return nullptr;
    return std::unique_ptr<ScopedMount>(new ScopedMount(folder));
}

ScopedMount::~ScopedMount()
{
    ::umount2(m_folder.c_str(), MNT_DETACH);
}

} // namespace tarvelo::test
