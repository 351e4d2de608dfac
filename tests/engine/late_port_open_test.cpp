#include "engine/late_port_open.h"

#include "core/gui_post.h"
#include "engine/out_port.h"
#include "tests/support/eventually.h"
#include "tests/support/recording_midi_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

// Posted calls are kept, not run: the opening's result is not the point.
class KeptCalls : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()>) override { ++posted; }
    std::atomic<int> posted{0};
};

// A device whose open lasts until it is told to stop, or until the test
// lets it go or a minute has passed (so that a failing test still ends).
class EndlessOpenDevice : public RecordingMidiDevice {
public:
    bool open() override
    {
        const std::atomic<bool> never{false};
        return openUnless(never);
    }
    bool openUnless(const std::atomic<bool>& stop) override
    {
        entered = true;
        eventually([&] { return stop.load() || release.load(); }, 60s);
        return false;
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
};

// An early exit does not wait for a SoundFont under way: the opening is
// told to stop, and its owner goes at once.
TEST(LatePortOpen, GoingAwayStopsAnOpenUnderWayInsteadOfWaitingForIt)
{
    KeptCalls gui;
    auto owned = std::make_unique<EndlessOpenDevice>();
    EndlessOpenDevice& device = *owned;
    auto port = std::make_shared<COutPort>(std::move(owned));
    auto opening = std::make_unique<LatePortOpen>(
        gui, std::vector<std::shared_ptr<COutPort>>{port}, [](std::vector<LatePortOpen::Result>) {});
    ASSERT_TRUE(eventually([&] { return device.entered.load(); })) << "the open never began";

    auto gone = std::async(std::launch::async, [&] { opening.reset(); });
    const bool returned = gone.wait_for(5s) == std::future_status::ready;
    device.release = true; // lets a waiting owner go
    gone.wait();
    EXPECT_TRUE(returned) << "the owner waited for the open to end by itself";
    EXPECT_EQ(gui.posted.load(), 0) << "a stopped opening reported to the GUI";
}

} // namespace
} // namespace rz
