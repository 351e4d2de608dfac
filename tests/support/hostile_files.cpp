#include "tests/support/hostile_files.h"

#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace rz {

void MakeFifo(const std::filesystem::path& path)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

void MakeSparseFile(const std::filesystem::path& path, uint64_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(::ftruncate(fd, off_t(size)), 0) << path;
    ::close(fd);
}

namespace {

// A reader blocked in open() or read() on a FIFO comes free once a writer has
// come and gone, and a writer blocked in open() once a reader has (its write
// then fails with a broken pipe).
void freeBlocked(const std::vector<std::filesystem::path>& fifos)
{
    for (const auto& fifo : fifos) {
        for (const int mode : {O_WRONLY, O_RDONLY}) {
            const int fd = ::open(fifo.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    }
}

} // namespace

FifoWatchdog::FifoWatchdog(std::vector<std::filesystem::path> fifos, std::chrono::milliseconds deadline)
    : m_fifos(std::move(fifos))
{
    m_thread = std::thread([this, until = std::chrono::steady_clock::now() + deadline] {
        while (!m_stop) {
            if (std::chrono::steady_clock::now() >= until) {
                m_fired = true;
                freeBlocked(m_fifos);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

FifoWatchdog::~FifoWatchdog()
{
    m_stop = true;
    m_thread.join();
}

bool ReturnsWithin(const std::function<void()>& call, const std::vector<std::filesystem::path>& fifos,
                   std::chrono::milliseconds deadline)
{
    std::packaged_task<void()> task(call);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    const bool returned = done.wait_for(deadline) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        freeBlocked(fifos);
    runner.join();
    return returned;
}

} // namespace rz
