#pragma once

#include <chrono>
#include <thread>

namespace rz {

// Polls `condition` until it holds or `deadline` has passed; true when it
// held. Tests wait with this instead of sleeping for a fixed time, so a
// loaded machine makes them slower, not wrong.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(5))
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace rz
