#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace rz {

// An immutable value that one thread replaces whole while others read it: a
// reader's copy keeps the value it got alive. The lock is held only to copy
// or swap one shared pointer, and the old value is released outside it.
// (libstdc++ 12's std::atomic<std::shared_ptr> unlocks with relaxed order in
// load(), which leaves the swap it races with unordered.)
template <class T>
class Snapshot {
public:
    explicit Snapshot(std::shared_ptr<const T> value) : m_value(std::move(value)) {}
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    // Any thread.
    std::shared_ptr<const T> load() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    // Returns the value replaced.
    std::shared_ptr<const T> exchange(std::shared_ptr<const T> value)
    {
        {
            std::lock_guard lock(m_mutex);
            m_value.swap(value);
        }
        return value;
    }
    void store(std::shared_ptr<const T> value) { exchange(std::move(value)); }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const T> m_value;
};

} // namespace rz
