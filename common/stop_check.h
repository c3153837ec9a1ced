// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>

namespace tarvelo::common {

// Asked now and then by long work (an archive walk, a large read) so that a user's stop
// lands quickly wherever the work is.
class StopCheck
{
public:
    virtual ~StopCheck() = default;
    virtual bool stopRequested() = 0;
};

// For work that nobody can stop.
class NeverStop final : public StopCheck
{
public:
    bool stopRequested() override { return false; }
};

inline StopCheck& neverStop() noexcept
{
    static NeverStop never;
    return never;
}

// Thrown out of work that saw a stop request. Not an Error: nothing failed, so nothing
// is reported as unreadable.
class Stopped final : public std::exception
{
public:
    const char* what() const noexcept override { return "stopped"; }
};

// Asks the check once every `period` ticks; a stop ends the work by throwing Stopped.
class StopPoll
{
public:
    explicit StopPoll(StopCheck& check, unsigned period = 4096) noexcept
        : m_check(check), m_period(period), m_left(period)
    {
    }

    void tick()
    {
        if (--m_left != 0) return;
        m_left = m_period;
        now();
    }

    void now()
    {
        if (m_check.stopRequested()) throw Stopped();
    }

private:
    StopCheck& m_check;
    unsigned m_period;
    unsigned m_left;
};

} // namespace tarvelo::common
