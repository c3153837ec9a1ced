#include "platform/posix_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/error.h"
#include "platform/posix_fd.h"
#include "platform/posix_fd_writer.h"

namespace tarvelo::platform {
namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixPendingFile final : public PendingFile
{
public:
    PosixPendingFile(std::string destination, std::string temporary, UniqueFd fd)
        : m_destination(std::move(destination)), m_temporary(std::move(temporary)),
          m_fd(std::move(fd)), m_writer(m_fd.get())
    {
    }

    ~PosixPendingFile() override
    {
        if (!m_replaced) ::unlink(m_temporary.c_str());
    }

    PosixPendingFile(const PosixPendingFile&) = delete;
    PosixPendingFile& operator=(const PosixPendingFile&) = delete;

    void write(std::string_view bytes) override { m_writer.write(bytes); }

    void finish() override
    {
        m_writer.flush();
        if (::fsync(m_fd.get()) != 0) throw Error::fromErrno(errno);
        m_fd.close();
    }

    void replace() override
    {
        if (m_fd) finish();
        if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
            throw Error::fromErrno(errno);
        m_replaced = true;
    }

private:
    std::string m_destination;
    std::string m_temporary;
    UniqueFd m_fd;
    FdWriter m_writer;
    bool m_replaced = false;
};

class StandardOutputFile final : public PendingFile
{
public:
    void write(std::string_view bytes) override { m_writer.write(bytes); }
    void finish() override { m_writer.flush(); }
    void replace() override {}

private:
    FdWriter m_writer{STDOUT_FILENO};
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

PosixOutputService::PosixOutputService()
    : m_newFileMode(static_cast<mode_t>(0666 & ~currentUmask()))
{
}

bool PosixOutputService::exists(const std::string& path) const
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::unique_ptr<PendingFile> PosixOutputService::create(const std::string& path)
{
    std::string temporary = folderOf(path) + "/.tarvelo-XXXXXX";
    UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd) throw Error::fromErrno(errno);
    // mkstemp makes the file readable by its owner only; a report gets the usual mode.
    if (::fchmod(fd.get(), m_newFileMode) != 0) {
        const int reason = errno;
        ::unlink(temporary.c_str());
        throw Error::fromErrno(reason);
    }
    return std::make_unique<PosixPendingFile>(path, std::move(temporary), std::move(fd));
}

bool StandardOutputService::exists(const std::string&) const
{
    return false;
}

std::unique_ptr<PendingFile> StandardOutputService::create(const std::string&)
{
    return std::make_unique<StandardOutputFile>();
}

} // namespace tarvelo::platform
