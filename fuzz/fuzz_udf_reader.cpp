// Reads one input as a UDF disc image from memory, which may claim to be up to 1 TiB
// larger than the input: the volume facts, every folder, and the first and last bytes of
// every file, opened through its entry. A tarvelo::Error is an accepted outcome;
// anything else (a crash, another exception, a leak, a hang) is a finding.
#include "common/error.h"
#include "fuzz/fuzz_disc_support.h"
#include "image/udf_volume.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using tarvelo::image::UdfVolume;
using tarvelo::platform::EntryKind;

constexpr std::size_t kProbeSize = 4096;
constexpr unsigned kMaxSparseShift = 40;

void readEnds(const UdfVolume& volume, const std::string& path, std::uint64_t ref)
{
    try {
        const auto file = volume.openEntry(path, ref);
        const auto size = file->size();
        const auto probe = static_cast<std::size_t>(std::min<std::uint64_t>(size, kProbeSize));
        (void)file->read(0, probe);
        (void)file->read(size - probe, probe);
    } catch (const tarvelo::Error&) {
    }
}

// Without recursion, as the report's own scan.
void walk(const UdfVolume& volume)
{
    std::vector<std::string> folders{volume.rootPath()};
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        try {
            for (const auto& entry : volume.listFolder(folder)) {
                const std::string path = volume.childPath(folder, entry.name);
                if (entry.kind == EntryKind::Folder)
                    folders.push_back(path);
                else
                    readEnds(volume, path, entry.ref);
            }
        } catch (const tarvelo::Error&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span input(data, size);
    auto disc = std::make_shared<tarvelo::fuzz::SparseByteSource>(
        input, tarvelo::fuzz::claimedDiscSize(input, kMaxSparseShift));
    try {
        const UdfVolume volume(disc, "input.udf");
        (void)volume.facts();
        walk(volume);
    } catch (const tarvelo::Error&) {
    }
    return 0;
}
