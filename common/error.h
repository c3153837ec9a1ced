// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace tarvelo {

// The error numbers a user of the platform knows, plus the ones the readers raise.
enum class ErrorNumber : int
{
    Overflow = 6,
    SubscriptOutOfRange = 9,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIo = 57,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathFileAccess = 75,
    PathNotFound = 76,
    InvalidFileFormat = 321,
};

// The one exception type of the program: a number and a one-line reason.
class Error : public std::runtime_error
{
public:
    Error(ErrorNumber number, const std::string& reason);

    ErrorNumber number() const noexcept { return m_number; }

    // An error for a failed system call: the number that fits errno and its text.
    static Error fromErrno(int errnoValue);

private:
    ErrorNumber m_number;
};

ErrorNumber errorNumberForErrno(int errnoValue) noexcept;

} // namespace tarvelo
