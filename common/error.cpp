// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"

#include <cerrno>
#include <cstring>

namespace tarvelo {

Error::Error(ErrorNumber number, const std::string& reason)
    : std::runtime_error(reason), m_number(number)
{
}

Error Error::fromErrno(int errnoValue)
{
    return Error(errorNumberForErrno(errnoValue), std::strerror(errnoValue));
}

ErrorNumber errorNumberForErrno(int errnoValue) noexcept
{
    switch (errnoValue) {
    case ENOENT:
        return ErrorNumber::FileNotFound;
    case ENOTDIR:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorNumber::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrorNumber::DiskFull;
    case EIO:
        return ErrorNumber::DeviceIo;
    case ENAMETOOLONG:
    case EINVAL:
        return ErrorNumber::BadFileName;
    case ENOMEDIUM:
        return ErrorNumber::DiskNotReady;
    default:
        return ErrorNumber::PathFileAccess;
    }
}

} // namespace tarvelo
