#pragma once

// Any thread hands a call to the GUI thread: QtGuiThreadQueue implements IGuiThreadQueue.

#include <functional>

namespace rz {

// Hands a call to the GUI thread. The program implements it with queued
// calls; tests with a thread of their own.
class IGuiThreadQueue {
public:
    virtual ~IGuiThreadQueue() = default;
    // Any thread; returns at once. `call` runs later on the GUI thread, in
    // the order posted.
    virtual void postToGui(std::function<void()> call) = 0;
};

} // namespace rz
