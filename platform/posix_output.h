#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/output.h"

namespace tarvelo::platform {

// Reports saved as host files. A report is written to a temporary file in the folder of
// its destination and renamed over it only once it is complete and on disc, so a
// failure at any point leaves the old file as it was.
class PosixOutputService final : public OutputService
{
public:
    PosixOutputService();

    // Any entry counts, whatever its kind (there are no hidden files to pass over).
    bool exists(const std::string& path) const override;
    std::unique_ptr<PendingFile> create(const std::string& path) override;

private:
    mode_t m_newFileMode; // what a newly created file gets under the process's umask
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
