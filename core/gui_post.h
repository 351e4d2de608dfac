#pragma once

#include <functional>

namespace rz {

// Hands a call to the GUI thread. The program implements it with queued
// calls; tests with a thread of their own.
class IGuiPost {
public:
    virtual ~IGuiPost() = default;
    // Any thread; returns at once. `call` runs later on the GUI thread, in
    // the order posted.
    virtual void postToGui(std::function<void()> call) = 0;
};

} // namespace rz
