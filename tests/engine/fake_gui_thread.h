#pragma once

#include "core/gui_post.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace rz {

// A "GUI thread" for engine tests: runs posted calls one by one, in order.
class FakeGuiThread : public IGuiThreadQueue {
public:
    FakeGuiThread() : m_thread([this] { loop(); }) {}
    ~FakeGuiThread() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_posted.notify_one();
        m_thread.join();
    }

    void postToGui(std::function<void()> call) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_posted.notify_one();
    }

    // Runs `call` on the GUI thread after everything posted before it, and
    // waits for it.
    void runAndWait(std::function<void()> call)
    {
        std::promise<void> done;
        postToGui([&] {
            call();
            done.set_value();
        });
        done.get_future().wait();
    }

    std::thread::id id() const { return m_thread.get_id(); }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_posted.wait(lock, [this] { return m_quit || !m_calls.empty(); });
            if (m_quit)
                return;
            std::function<void()> call = std::move(m_calls.front());
            m_calls.pop_front();
            lock.unlock();
            call();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace rz
