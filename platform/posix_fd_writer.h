// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tarvelo::platform {

// Gathers small writes into large ones for a descriptor it does not own. Every write to
// the system is checked: interrupted and partial writes go on, a failure (such as a full
// disk) raises an error with the reason.
class FdWriter
{
public:
    explicit FdWriter(int fd);

    void write(std::string_view bytes);
    void flush();

private:
    static constexpr std::size_t kCapacity = std::size_t{1} << 16;

    void writeAll(std::string_view bytes);

    int m_fd;
    std::string m_buffer;
};

} // namespace tarvelo::platform
