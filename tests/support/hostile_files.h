#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace rz {

// Files that a reader must refuse quickly: FIFOs and huge sparse files.

// Makes a FIFO at `path`; fails the test when it cannot.
void MakeFifo(const std::filesystem::path& path);

// Makes a file of `size` bytes that holds no data blocks (a hole).
void MakeSparseFile(const std::filesystem::path& path, uint64_t size);

// For calls that must stay on the calling thread (widgets): from `deadline`
// after construction until destruction, keeps freeing readers blocked on the
// FIFOs; fired() tells whether it had to.
class FifoWatchdog {
public:
    FifoWatchdog(std::vector<std::filesystem::path> fifos,
                 std::chrono::milliseconds deadline = std::chrono::seconds(5));
    ~FifoWatchdog();
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;
    bool fired() const { return m_fired; }

private:
    std::vector<std::filesystem::path> m_fifos;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

// Runs `call` on a thread of its own and answers whether it returned within
// `deadline`. When it did not, each FIFO in `fifos` is opened for writing
// and closed again, which frees a reader blocked on it, so a hang fails the
// test instead of stopping the whole program.
bool ReturnsWithin(const std::function<void()>& call, const std::vector<std::filesystem::path>& fifos,
                   std::chrono::milliseconds deadline = std::chrono::seconds(5));

} // namespace rz
