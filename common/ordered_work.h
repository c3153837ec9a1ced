// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tarvelo::common {

// Work split into numbered units, done by several threads at once, whose results the
// calling thread takes in unit order, as if one thread had done it all. Memory stays
// bounded: a worker claims a unit only within `window` units of the one being taken,
// and hands its results over `batch` at a time, waiting while the batch before has not
// been taken.
template <typename Item> class OrderedWork
{
public:
    OrderedWork(std::size_t units, std::size_t window, std::size_t batch)
        : m_units(units), m_batch(batch), m_slots(window)
    {
    }

    // What a worker gives for one unit.
    class Output
    {
    public:
        Output(OrderedWork& work, std::size_t unit) : m_work(work), m_unit(unit) {}

        // False once the taker wants no more: the worker should leave its unit.
        bool put(Item&& item)
        {
            m_items.push_back(std::move(item));
            return m_items.size() < m_work.m_batch || m_work.handOver(m_unit, m_items);
        }

        // The unit is done, or failed: the taker raises the failure after the items.
        void finish(std::exception_ptr failure = nullptr)
        {
            if (m_work.handOver(m_unit, m_items)) m_work.end(m_unit, std::move(failure));
        }

    private:
        OrderedWork& m_work;
        std::size_t m_unit;
        std::vector<Item> m_items;
    };

    // Runs worker(unit, output) for every unit, each worker on a thread of its own (one
    // whose thread cannot be started is left out), and take(item) for every item in order
    // on the calling thread until take returns false. A worker's failure is raised here
    // after the items it gave before it.
    template <typename Workers, typename Take> void run(Workers& workers, Take&& take)
    {
        std::vector<std::jthread> threads;
        const StopOnLeaving stopper{*this}; // left first: stops before the threads are joined
        for (auto& worker : workers) {
            try {
                threads.emplace_back([this, &worker] { work(worker); });
            } catch (const std::system_error&) {
                if (threads.empty()) throw; // no one to do the work
                break;                      // the threads there are do it all
            }
        }
        takeAll(take);
    }

private:
    struct Slot
    {
        std::vector<Item> items;
        bool done = false;
        std::exception_ptr failure;
    };

    struct StopOnLeaving
    {
        OrderedWork& work;
        ~StopOnLeaving() { work.stop(); }
    };

    Slot& slot(std::size_t unit) { return m_slots[unit % m_slots.size()]; }

    template <typename Worker> void work(Worker& worker)
    {
        for (std::size_t unit = 0; claim(unit);) {
            Output output(*this, unit);
            std::exception_ptr failure;
            try {
                worker(unit, output);
            } catch (...) {
                failure = std::current_exception();
            }
            output.finish(std::move(failure));
        }
    }

    bool claim(std::size_t& unit)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] {
            return m_stopped || m_claimed >= m_units || m_claimed < m_taken + m_slots.size();
        });
        if (m_stopped || m_claimed >= m_units) return false;
        unit = m_claimed++;
        return true;
    }

    template <typename Take> void takeAll(Take& take)
    {
        std::vector<Item> items;
        while (true) {
            std::exception_ptr failure;
            {
                std::unique_lock lock(m_mutex);
                if (m_taken >= m_units) return;
                Slot& current = slot(m_taken);
                m_changed.wait(lock, [&] { return !current.items.empty() || current.done; });
                items.swap(current.items);
                if (items.empty()) {
                    failure = current.failure;
                    current = Slot{}; // for the unit a window further on
                    ++m_taken;
                }
            }
            m_changed.notify_all();
            if (failure) std::rethrow_exception(failure);
            for (Item& item : items)
                if (!take(std::move(item))) return;
            items.clear();
        }
    }

    // Moves the items into the unit's slot once the batch before is taken; false when
    // the taker has stopped.
    bool handOver(std::size_t unit, std::vector<Item>& items)
    {
        if (items.empty()) return true;
        bool taking = false;
        {
            std::unique_lock lock(m_mutex);
            Slot& target = slot(unit);
            m_changed.wait(lock, [&] { return m_stopped || target.items.empty(); });
            if (m_stopped) return false;
            target.items.swap(items);
            taking = unit == m_taken;
        }
        if (taking) m_changed.notify_all();
        items.clear();
        return true;
    }

    void end(std::size_t unit, std::exception_ptr failure)
    {
        {
            std::lock_guard lock(m_mutex);
            slot(unit).done = true;
            slot(unit).failure = std::move(failure);
        }
        m_changed.notify_all();
    }

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

    std::size_t m_units;
    std::size_t m_batch;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_claimed = 0;
    std::size_t m_taken = 0;
    bool m_stopped = false;
};

} // namespace tarvelo::common
