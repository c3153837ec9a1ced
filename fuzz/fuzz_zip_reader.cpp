// Feeds one input to the ZIP reader from memory and asks every property of every entry.
// A tarvelo::Error is an accepted outcome; anything else (a crash, another exception, a
// leak, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "archive/zip_reader.h"
#include "common/error.h"

namespace {

class InputOpener final : public tarvelo::platform::FileOpener
{
public:
    explicit InputOpener(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::unique_ptr<tarvelo::platform::ByteSource> openFile(const std::string&) const override
    {
        return std::make_unique<tarvelo::platform::MemoryByteSource>(m_bytes);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

class IgnoredNotices final : public tarvelo::common::NoticeSink
{
public:
    void notice(std::string_view) override {}
};

void askEveryProperty(const tarvelo::archive::Cls_Zip& reader)
{
    for (std::int32_t i = 1; i <= reader.FileCount(); ++i) {
        (void)reader.FileName(i);
        (void)reader.CommentsFile(i);
        (void)reader.IsDir(i);
        (void)reader.Method(i);
        (void)reader.CRC32(i);
        (void)reader.Compressed_Size(i);
        (void)reader.UnCompressed_Size(i);
        (void)reader.Encrypted(i);
        (void)reader.SystemMadeBy(i);
        (void)reader.VersionMadeBy(i);
        (void)reader.SystemNeeded(i);
        (void)reader.VersionNeeded(i);
    }
    (void)reader.CommentsPack();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const InputOpener files({data, size});
    IgnoredNotices notices;
    tarvelo::archive::ReaderState state;
    tarvelo::archive::Cls_Zip reader(state, tarvelo::common::CodePage::defaultOem());
    try {
        reader.Get_Contents("input.zip", {files, notices});
    } catch (const tarvelo::Error&) {
        return 0;
    }
    askEveryProperty(reader);
    return 0;
}
