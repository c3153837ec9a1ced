// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/entry_store.h"

#include <exception>
#include <new>
#include <string>
#include <system_error>

namespace tarvelo::catalog {
namespace {

// Enough to keep the thread busy while the walk fills the next, and a bound on memory.
constexpr std::size_t kMostWaiting = 4;

} // namespace

EntryStore::EntryStore(Database& db, std::int64_t discId) : m_insert(db, discId)
{
    // Every batch there can be (the caller's, those waiting, the one being stored), so
    // giving one back never allocates.
    m_spare.reserve(kMostWaiting + 2);
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error& error) {
        throw Error(ErrorNumber::PathFileAccess,
                    std::string("cannot start storing the entries: ") + error.what());
    }
}

EntryStore::~EntryStore()
{
    if (!m_thread.joinable()) return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void EntryStore::handOver(EntryBatch& batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_waiting.size() < kMostWaiting || m_failure; });
    raiseFailure();
    m_waiting.push_back(std::move(batch));
    batch = EntryBatch();
    if (!m_spare.empty()) {
        batch = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
}

void EntryStore::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
    raiseFailure();
}

void EntryStore::raiseFailure()
{
    if (m_failure) throw *m_failure;
}

void EntryStore::run()
{
    while (storeNext()) {
    }
    m_changed.notify_all();
}

// Stores the batch that waits longest; false when there is nothing more to do.
bool EntryStore::storeNext()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_waiting.empty() || m_closing || m_stopping; });
    if (m_stopping || m_waiting.empty()) return false;
    EntryBatch batch = std::move(m_waiting.front());
    m_waiting.pop_front();
    lock.unlock();
    std::optional<Error> failure;
    try {
        m_insert.write(batch);
    } catch (const Error& error) {
        failure = error;
    } catch (const std::bad_alloc&) {
        failure = Error(ErrorNumber::PathFileAccess, "not enough memory to store the entries");
    } catch (const std::exception& error) {
        failure = Error(ErrorNumber::PathFileAccess, error.what());
    }
    batch.clear();
    lock.lock();
    m_spare.push_back(std::move(batch));
    if (failure) m_failure = std::move(failure);
    const bool more = !m_failure;
    lock.unlock();
    m_changed.notify_all();
    return more;
}

} // namespace tarvelo::catalog
