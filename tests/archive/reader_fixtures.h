// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the ZIP and RAR reader tests share: one archive served from memory, notices that
// no test looks at, and the number of the error an action raises.
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/notice_sink.h"
#include "common/stop_check.h"
#include "platform/byte_source.h"

namespace tarvelo::test {

// One archive held in memory, borrowed from the caller, opened under any path.
class MemoryArchive final : public platform::FileOpener
{
public:
    explicit MemoryArchive(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::unique_ptr<platform::ByteSource> openFile(const std::string& /*path*/) const override
    {
        return std::make_unique<platform::MemoryByteSource>(m_bytes);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

class IgnoredNotices final : public common::NoticeSink
{
public:
    void notice(std::string_view /*text*/) override {}
};

class RecordedNotices final : public common::NoticeSink
{
public:
    void notice(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

// Asks for a stop from the given poll on, as a user pressing Stop mid-read would.
class StopAtPoll final : public common::StopCheck
{
public:
    explicit StopAtPoll(int poll) : m_left(poll) {}
    bool stopRequested() override { return --m_left <= 0; }
    int pollsLeft() const noexcept { return m_left; }

private:
    int m_left;
};

// The number of the error f raises, or nothing when it returns normally.
inline std::optional<ErrorNumber> failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return std::nullopt;
}

} // namespace tarvelo::test
