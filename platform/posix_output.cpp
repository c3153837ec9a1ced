// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_output.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/error.h"
#include "platform/posix_fd.h"
#include "platform/posix_fd_writer.h"
#include "platform/posix_output_target.h"

namespace tarvelo::platform {
namespace {

using Kind = OutputTarget::Kind;

// Holds every signal back while a temporary file appears or goes and its watch learns of
// it, so no handler runs in between.
class SignalsHeld
{
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &m_previous);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

// The rename is durable only once the folder that holds the name is on disc too. A file
// system that cannot sync a folder (EINVAL) has nothing more to do.
void syncFolder(const std::string& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) throw Error::fromErrno(errno);
    if (::fsync(fd.get()) != 0 && errno != EINVAL) throw Error::fromErrno(errno);
}

class PosixPendingFile final : public PendingFile
{
public:
    PosixPendingFile(std::string destination, std::string temporary, UniqueFd fd,
                     TemporaryFileWatch* watch)
        : m_destination(std::move(destination)), m_temporary(std::move(temporary)),
          m_fd(std::move(fd)), m_writer(m_fd.get()), m_watch(watch)
    {
    }

    ~PosixPendingFile() override
    {
        if (m_replaced) return;
        const SignalsHeld held;
        ::unlink(m_temporary.c_str());
        if (m_watch) m_watch->gone();
    }

    PosixPendingFile(const PosixPendingFile&) = delete;
    PosixPendingFile& operator=(const PosixPendingFile&) = delete;

    // The new file takes the place of the old one as the user had it: its mode, and its
    // owner and group where the user may give them (EPERM is the system saying no).
    void takeOverAttributes(const struct stat& old)
    {
        if (::fchown(m_fd.get(), old.st_uid, old.st_gid) != 0 && errno != EPERM)
            throw Error::fromErrno(errno);
        // After fchown, which clears the set-user-ID bits the mode may carry.
        setMode(old.st_mode & 07777);
    }

    void setMode(mode_t mode)
    {
        if (::fchmod(m_fd.get(), mode) != 0) throw Error::fromErrno(errno);
    }

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
        {
            const SignalsHeld held;
            if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
                throw Error::fromErrno(errno);
            m_replaced = true;
            if (m_watch) m_watch->gone();
        }
        syncFolder(folderOf(m_destination));
    }

private:
    std::string m_destination;
    std::string m_temporary;
    UniqueFd m_fd;
    FdWriter m_writer;
    TemporaryFileWatch* m_watch;
    bool m_replaced = false;
};

// A report written straight into what the destination names: standard output, a
// terminal, a FIFO, a device. What was written is out; there is nothing to replace.
class StreamFile final : public PendingFile
{
public:
    explicit StreamFile(int borrowed) : m_writer(borrowed) {}
    explicit StreamFile(UniqueFd owned) : m_owned(std::move(owned)), m_writer(m_owned.get()) {}

    void write(std::string_view bytes) override { m_writer.write(bytes); }
    void finish() override
    {
        m_writer.flush();
        m_owned.close();
    }
    void replace() override {}

private:
    UniqueFd m_owned;
    FdWriter m_writer;
};

std::unique_ptr<PendingFile> openStream(const std::string& path, int flags)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | flags));
    if (!fd) throw Error::fromErrno(errno);
    return std::make_unique<StreamFile>(std::move(fd));
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

PosixOutputService::PosixOutputService(TemporaryFileWatch* watch)
    : m_newFileMode(static_cast<mode_t>(0666 & ~currentUmask())), m_watch(watch)
{
}

bool PosixOutputService::exists(const std::string& path) const
{
    try {
        const Kind kind = resolveOutputTarget(path).kind;
        return kind != Kind::NewFile && kind != Kind::Stream;
    } catch (const Error&) {
        return false; // nothing can be there; create() says why
    }
}

void PosixOutputService::checkDestination(const std::string& path) const
{
    if (resolveOutputTarget(path).kind == Kind::Folder) throw Error::fromErrno(EISDIR);
}

std::unique_ptr<PendingFile> PosixOutputService::create(const std::string& path)
{
    const OutputTarget target = resolveOutputTarget(path);
    switch (target.kind) {
    case Kind::Folder:
        throw Error::fromErrno(EISDIR);
    case Kind::Stream:
        // Appended to, so a /dev/stdout that leads to a file (">> log") loses nothing.
        return openStream(target.path, O_APPEND);
    case Kind::BlockDevice:
        return openStream(target.path, 0);
    case Kind::NewFile:
    case Kind::RegularFile:
        break;
    }
    return createReplacement(target.path, target.kind == Kind::RegularFile);
}

std::unique_ptr<PendingFile> PosixOutputService::createReplacement(const std::string& path,
                                                                   bool replacing)
{
    std::unique_ptr<PosixPendingFile> file;
    {
        const SignalsHeld held;
        std::string temporary = folderOf(path) + "/.tarvelo-XXXXXX";
        UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
        if (!fd) throw Error::fromErrno(errno);
        if (m_watch) m_watch->made(temporary);
        file = std::make_unique<PosixPendingFile>(path, std::move(temporary), std::move(fd),
                                                  m_watch);
    }
    // mkstemp makes the file readable by its owner only; a report gets the usual mode, or
    // the mode of the file it replaces.
    struct stat old {};
    if (replacing && ::stat(path.c_str(), &old) == 0)
        file->takeOverAttributes(old);
    else
        file->setMode(m_newFileMode);
    return file;
}

bool StandardOutputService::exists(const std::string&) const
{
    return false;
}

std::unique_ptr<PendingFile> StandardOutputService::create(const std::string&)
{
    return std::make_unique<StreamFile>(STDOUT_FILENO);
}

} // namespace tarvelo::platform
