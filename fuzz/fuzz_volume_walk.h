// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the disc reader fuzz targets share: one input read as a disc image from memory,
// which may claim to be up to 1 TiB larger than the input: the volume facts, every
// folder, and the first and last bytes of every file, opened through its entry. A
// tarvelo::Error is an accepted outcome; anything else (a crash, another exception, a
// leak, a hang) is a finding.
#include "common/error.h"
#include "fuzz/fuzz_disc_support.h"
#include "platform/volume.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarvelo::fuzz {

inline void readEnds(const platform::Volume& volume, const std::string& path, std::uint64_t ref)
{
    constexpr std::size_t kProbeSize = 4096;
    try {
        const auto file = volume.openEntry(path, ref);
        const auto size = file->size();
        const auto probe = static_cast<std::size_t>(std::min<std::uint64_t>(size, kProbeSize));
        (void)file->read(0, probe);
        (void)file->read(size - probe, probe);
    } catch (const Error&) {
    }
}

// Without recursion, as the report's own scan.
inline void walkVolume(const platform::Volume& volume)
{
    std::vector<std::string> folders{volume.rootPath()};
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        try {
            for (const auto& entry : volume.listFolder(folder)) {
                const std::string path = volume.childPath(folder, entry.name);
                if (entry.kind == platform::EntryKind::Folder)
                    folders.push_back(path);
                else
                    readEnds(volume, path, entry.ref);
            }
        } catch (const Error&) {
        }
    }
}

// DiscVolume is built from the disc and the path its entries' paths begin with.
template <class DiscVolume>
void readWholeDisc(std::span<const std::uint8_t> input, const std::string& path)
{
    constexpr unsigned kMaxSparseShift = 40;
    auto disc = std::make_shared<SparseByteSource>(input, claimedDiscSize(input, kMaxSparseShift));
    try {
        const DiscVolume volume(disc, path);
        (void)volume.facts();
        walkVolume(volume);
    } catch (const Error&) {
    }
}

} // namespace tarvelo::fuzz
