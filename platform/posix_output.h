// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/output.h"

namespace tarvelo::platform {

// Told which temporary file exists while a report is being written, so that a program
// ended by a signal can still remove it. Each call is made with signals blocked: a
// handler sees the name either before the file exists or while it does, never stale.
class TemporaryFileWatch
{
public:
    virtual ~TemporaryFileWatch() = default;

    virtual void made(const std::string& path) noexcept = 0;
    virtual void gone() noexcept = 0;
};

// Reports saved as host files. A report is written to a temporary file in the folder of
// its destination and renamed over it only once it is complete and on disc, so a
// failure at any point leaves the old file as it was; the new file keeps the old one's
// mode, owner and group. A symbolic link is followed (the link stays, its target is
// replaced). A terminal, FIFO, device or descriptor alias such as /dev/stdout is written
// straight through, never replaced by a file; a folder is refused.
class PosixOutputService final : public OutputService
{
public:
    explicit PosixOutputService(TemporaryFileWatch* watch = nullptr);

    // True where writing destroys something: a file, a folder or a block device. A
    // stream (terminal, FIFO, /dev/null) holds nothing to lose.
    bool exists(const std::string& path) const override;
    std::unique_ptr<PendingFile> create(const std::string& path) override;

    // Raises the error create() would give for a destination that can never take a
    // report (a folder, a missing folder on the way), so a run can refuse it at once.
    void checkDestination(const std::string& path) const;

private:
    std::unique_ptr<PendingFile> createReplacement(const std::string& path, bool replacing);

    mode_t m_newFileMode; // what a newly created file gets under the process's umask
    TemporaryFileWatch* m_watch;
};

// The report written to standard output (the command line's "-o -"). Nothing exists
// there, and there is nothing to replace: the report is out once it is flushed.
class StandardOutputService final : public OutputService
{
public:
    bool exists(const std::string& path) const override;
    std::unique_ptr<PendingFile> create(const std::string& path) override;
};

} // namespace tarvelo::platform
