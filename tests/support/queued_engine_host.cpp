#include "tests/support/queued_engine_host.h"

#include <future>
#include <utility>

namespace rz {

QueuedEngineHost::QueuedEngineHost() : m_thread([this] { loop(); }) {}

QueuedEngineHost::~QueuedEngineHost()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_posted.notify_one();
    m_thread.join();
}

void QueuedEngineHost::postToGui(std::function<void()> call)
{
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
        ++m_postedCount;
    }
    m_posted.notify_one();
}

void QueuedEngineHost::runAndWait(std::function<void()> call)
{
    std::promise<void> done;
    postToGui([&] {
        call();
        done.set_value();
    });
    done.get_future().wait();
}

uint64_t QueuedEngineHost::postedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_postedCount;
}

// The GUI thread.
void QueuedEngineHost::loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [this] { return m_quit || !m_calls.empty(); });
        if (m_calls.empty())
            return;
        std::function<void()> call = std::move(m_calls.front());
        m_calls.pop_front();
        lock.unlock();
        call();
        lock.lock();
    }
}

} // namespace rz
