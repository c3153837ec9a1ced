// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/entry_batch.h"
#include "common/error.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tarvelo::catalog {

// Stores batches of one disc's entries on a thread of its own, so the walk that finds
// them goes on meanwhile. From construction to finish() or destruction the thread alone
// uses the database: the caller holds the transaction and leaves the database alone.
// The first failure stops the storing; the next handOver or finish raises it.
class EntryStore
{
public:
    EntryStore(Database& db, std::int64_t discId);
    // Stops the thread without storing what waits: the caller's rollback drops the rest.
    ~EntryStore();
    EntryStore(const EntryStore&) = delete;
    EntryStore& operator=(const EntryStore&) = delete;

    // Queues the batch, waiting while enough others wait, and leaves an empty one in its
    // place.
    void handOver(EntryBatch& batch);
    // Stores every batch handed over and ends the thread; the database is the caller's again.
    void finish();

private:
    void run();
    bool storeNext();
    void raiseFailure();

    EntryInsert m_insert;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<EntryBatch> m_waiting;
    std::vector<EntryBatch> m_spare; // stored batches, kept for their memory
    bool m_closing = false;          // no more batches will come
    bool m_stopping = false;         // give up what waits
    std::optional<Error> m_failure;
    std::thread m_thread;
};

} // namespace tarvelo::catalog
