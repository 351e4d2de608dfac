#pragma once

// Device ports opened on a thread of their own, so that a slow device (the
// built-in synthesizer loading its SoundFont) does not hold up start-up.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace rz {

class COutPort;
class IGuiThreadQueue;

class LatePortOpen {
public:
    struct Result {
        std::shared_ptr<COutPort> port;
        bool opened = false;
        std::string error; // the device's reason when it did not open
    };
    using Done = std::function<void(std::vector<Result>)>;

    // Opens each port's device on a new thread, outside the port's
    // semaphore: sends meanwhile find the device closed and are dropped,
    // never held up. `done` then runs on the GUI thread through `gui`.
    LatePortOpen(IGuiThreadQueue& gui, std::vector<std::shared_ptr<COutPort>> ports, Done done);
    // Stops the opening between its steps and waits for the thread (a
    // SoundFont half loaded is given up); a `done` still queued then does
    // nothing.
    ~LatePortOpen();
    LatePortOpen(const LatePortOpen&) = delete;
    LatePortOpen& operator=(const LatePortOpen&) = delete;

private:
    void run(IGuiThreadQueue& gui, std::vector<std::shared_ptr<COutPort>> ports, Done done);

    std::shared_ptr<std::atomic<bool>> m_stopped;
    std::thread m_thread;
};

} // namespace rz
