// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a whole report over one input read as a disc image (its UDF or ISO 9660 tree,
// chosen as for a real disc), which may claim to be larger than the input (up to 16 MiB
// more, so archives inside stay within what a run may allocate): the scan, every folder's
// section, and the archives inside listed by the program's own readers. The report goes
// nowhere. Any outcome is accepted; a crash, an escaping exception, a leak or a hang is
// a finding.
#include "common/code_page.h"
#include "fuzz/fuzz_disc_support.h"
#include "image/disc_volume.h"
#include "report/reader_set.h"
#include "report/report_run.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace {

using namespace tarvelo;

constexpr unsigned kMaxSparseShift = 24;

class InputDiscOpener final : public platform::VolumeOpener
{
public:
    explicit InputDiscOpener(std::span<const std::uint8_t> input) : m_input(input) {}

    std::unique_ptr<platform::Volume> openVolume(const std::string& source) const override
    {
        auto disc = std::make_shared<fuzz::SparseByteSource>(
            m_input, fuzz::claimedDiscSize(m_input, kMaxSparseShift));
        return image::openDiscVolume(std::move(disc), source);
    }

private:
    std::span<const std::uint8_t> m_input;
};

class DiscardedFile final : public platform::PendingFile
{
public:
    void write(std::string_view) override {}
    void finish() override {}
    void replace() override {}
};

class DiscardedOutputs final : public platform::OutputService
{
public:
    bool exists(const std::string&) const override { return false; }
    std::unique_ptr<platform::PendingFile> create(const std::string&) override
    {
        return std::make_unique<DiscardedFile>();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static report::ReaderSet readers(common::CodePage::defaultOem());
    const InputDiscOpener volumes(std::span(data, size));
    DiscardedOutputs outputs;
    report::UnwatchedRun ui("report.txt");
    (void)report::runReport({"input.iso"}, {volumes, outputs, readers.readers()}, ui);
    return 0;
}
