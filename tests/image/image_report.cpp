// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/image_report.h"

#include "common/code_page.h"
#include "platform/host_volume_opener.h"
#include "platform/posix_output.h"
#include "report/reader_set.h"
#include "tests/support/corpus.h"

namespace tarvelo::test {

namespace fs = std::filesystem;

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

ImageReport reportOf(const fs::path& source, const fs::path& reportFile)
{
    const platform::HostVolumeOpener volumes;
    platform::PosixOutputService outputs;
    report::ReaderSet readers(common::CodePage::defaultOem());
    report::UnwatchedRun ui(reportFile.string());
    ImageReport report{
        report::runReport({source.string()}, {volumes, outputs, readers.readers()}, ui), {}};
    const auto bytes = readBytes(reportFile);
    const std::string text = replaced({bytes.begin(), bytes.end()}, source.string(), "<root>");
    constexpr std::size_t kHeaderLines = 8;
    std::size_t line = 0;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (++line > kHeaderLines) report.body.push_back(text.substr(at, end - at));
    return report;
}

} // namespace tarvelo::test
