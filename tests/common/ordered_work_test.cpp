// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ordered_work.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace tarvelo::common {
namespace {

using Item = std::pair<std::size_t, std::size_t>; // unit, number within it
using Work = OrderedWork<Item>;

// Gives `itemsOf(unit)` items for each unit, yielding now and then so that the
// threads' turns mix; counts the items given but not yet taken.
struct Producer
{
    std::size_t (*itemsOf)(std::size_t unit);
    std::atomic<std::ptrdiff_t>* waiting;

    void operator()(std::size_t unit, Work::Output& output) const
    {
        for (std::size_t number = 0; number < itemsOf(unit); ++number) {
            if ((unit + number) % 7 == 0) std::this_thread::yield();
            ++*waiting;
            if (!output.put({unit, number})) return;
        }
    }
};

std::size_t varied(std::size_t unit)
{
    return (unit * 37) % 23; // none for some units, more than a batch for others
}

std::size_t many(std::size_t)
{
    return 50;
}

TEST(OrderedWork, TakesEveryItemInUnitOrderWithinBoundedMemory)
{
    const struct
    {
        const char* name;
        std::size_t units, window, batch, threads;
        std::size_t (*itemsOf)(std::size_t);
    } cases[] = {
        {"one thread", 40, 3, 4, 1, varied},
        {"more threads than the window", 60, 2, 5, 4, varied},
        {"batches of one", 30, 4, 1, 3, varied},
        {"units larger than batches", 20, 2, 3, 2, many},
        {"no units", 0, 2, 3, 2, varied},
    };
    for (const auto& c : cases) {
        std::atomic<std::ptrdiff_t> waiting = 0;
        std::vector<Producer> producers(c.threads, Producer{c.itemsOf, &waiting});
        std::vector<Item> taken;
        std::ptrdiff_t mostWaiting = 0;
        Work(c.units, c.window, c.batch).run(producers, [&](Item&& item) {
            mostWaiting = std::max(mostWaiting, waiting.fetch_sub(1));
            taken.push_back(item);
            return true;
        });
        std::vector<Item> expected;
        for (std::size_t unit = 0; unit < c.units; ++unit)
            for (std::size_t number = 0; number < c.itemsOf(unit); ++number)
                expected.emplace_back(unit, number);
        EXPECT_EQ(taken, expected) << c.name;
        // Each unit claimed holds at most a batch handed over and one being filled.
        const auto bound = static_cast<std::ptrdiff_t>(2 * c.batch * (c.window + 1));
        EXPECT_LE(mostWaiting, bound) << c.name;
    }
}

std::size_t failingAtFive(std::size_t unit)
{
    if (unit == 5) throw std::runtime_error("unit 5 failed");
    return 3;
}

TEST(OrderedWork, RaisesAWorkersFailureAfterTheItemsBeforeIt)
{
    std::atomic<std::ptrdiff_t> waiting = 0;
    std::vector<Producer> producers(3, Producer{failingAtFive, &waiting});
    std::vector<Item> taken;
    const auto run = [&] {
        Work(20, 4, 2).run(producers, [&](Item&& item) {
            taken.push_back(item);
            return true;
        });
    };
    EXPECT_THROW(run(), std::runtime_error);
    ASSERT_EQ(taken.size(), 15u); // units 0 to 4, none after the failed one
    EXPECT_EQ(taken.back(), Item(4, 2));
}

TEST(OrderedWork, StopsWhenTheTakerHasEnoughOrFails)
{
    for (const bool throwing : {false, true}) {
        std::atomic<std::ptrdiff_t> waiting = 0;
        std::vector<Producer> producers(2, Producer{many, &waiting});
        std::size_t taken = 0;
        const auto run = [&] {
            Work(1000, 4, 2).run(producers, [&](Item&&) {
                if (++taken < 10) return true;
                if (throwing) throw std::runtime_error("output failed");
                return false;
            });
        };
        // Workers waiting for their turn are released, so this returns instead of hanging.
        if (throwing)
            EXPECT_THROW(run(), std::runtime_error);
        else
            run();
        EXPECT_EQ(taken, 10u);
    }
}

} // namespace
} // namespace tarvelo::common
