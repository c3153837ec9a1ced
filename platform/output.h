// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tarvelo::platform {

// A report being written. Nothing at the destination changes until replace() succeeds;
// a file destroyed before that leaves the destination as it was and no trace behind.
class PendingFile
{
public:
    virtual ~PendingFile() = default;

    // Each raises an error with the reason when the system refuses.
    virtual void write(std::string_view bytes) = 0;
    virtual void finish() = 0;  // everything written and on disc, the file closed
    virtual void replace() = 0; // the finished file takes the destination's place
};

// A report written into memory, to compare with another text.
class TextFile final : public PendingFile
{
public:
    void write(std::string_view bytes) override { text += bytes; }
    void finish() override {}
    void replace() override {}

    std::string text;
};

// Where reports go.
class OutputService
{
public:
    virtual ~OutputService() = default;

    virtual bool exists(const std::string& path) const = 0;

    // Starts a report for the path; raises an error with the reason when it cannot be made.
    virtual std::unique_ptr<PendingFile> create(const std::string& path) = 0;
};

} // namespace tarvelo::platform
