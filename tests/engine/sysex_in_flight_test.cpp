// A long system-exclusive message on its way to a slow device while the
// timer thread plays a note on the same port (run under ThreadSanitizer
// too): the note is not dropped and leaves after the message.

#include "out_port_fixture.h"
#include "tests/support/eventually.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

namespace rz {
namespace {

using namespace std::chrono_literals;

// Takes a long message at once, in order with the short ones, and reports
// it out only when the test lets it.
class SlowLongDevice : public RecordingMidiDevice {
public:
    uint64_t queueLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout,
                       LongSendResult& settled) override
    {
        settled = sendLong(bytes, timeout);
        std::lock_guard lock(m_mutex);
        m_queued = true;
        return 1;
    }
    LongSendResult awaitLong(uint64_t, std::chrono::milliseconds timeout) override
    {
        std::unique_lock lock(m_mutex);
        const bool out = m_done.wait_for(lock, timeout, [&] { return m_released; });
        return out ? LongSendResult::Delivered : LongSendResult::TimedOut;
    }
    bool queued()
    {
        std::lock_guard lock(m_mutex);
        return m_queued;
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_done.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_queued = false;
    bool m_released = false;
};

TEST(SysExDoesNotDropNotes, ANoteSentWhileALongMessageIsOnItsWayReachesTheDeviceAfterIt)
{
    auto made = std::make_unique<SlowLongDevice>();
    SlowLongDevice& device = *made;
    COutPort port(std::move(made));
    ASSERT_TRUE(port.Open());
    // Far shorter than the device takes: a note waiting on the semaphore
    // for the whole message would be dropped.
    port.setLockWait(50ms);
    std::vector<uint8_t> message(4096, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;

    auto sent = std::async(std::launch::async,
                           [&] { return port.SendSysEx(message.data(), message.size()); });
    ASSERT_TRUE(eventually([&] { return device.queued(); }));
    std::thread timer([&] { port.SendShort(noteOn(0, 60, 100)); });
    timer.join();
    const std::vector<std::string> beforeRelease = device.sentHex();
    device.release();
    EXPECT_EQ(sent.get(), SysExResult::Delivered);

    ASSERT_EQ(beforeRelease.size(), 2u) << "the note was held up or dropped";
    EXPECT_EQ(beforeRelease[0].substr(0, 5), "F0 11");
    EXPECT_EQ(beforeRelease[1], "90 3C 64");
    EXPECT_EQ(port.heldNotes(), std::vector<uint32_t>{noteOn(0, 60, 100)});
}

// Two messages from two threads go out whole and one after the other.
TEST(SysExDoesNotDropNotes, TwoLongMessagesAtOnceBothGoOut)
{
    auto made = std::make_unique<RecordingMidiDevice>();
    RecordingMidiDevice& device = *made;
    COutPort port(std::move(made));
    ASSERT_TRUE(port.Open());
    const std::vector<uint8_t> first{0xF0, 0x01, 0xF7};
    const std::vector<uint8_t> second{0xF0, 0x02, 0xF7};
    auto a = std::async(std::launch::async, [&] { return port.SendSysEx(first.data(), 3); });
    auto b = std::async(std::launch::async, [&] { return port.SendSysEx(second.data(), 3); });
    EXPECT_EQ(a.get(), SysExResult::Delivered);
    EXPECT_EQ(b.get(), SysExResult::Delivered);
    EXPECT_EQ(device.messages().size(), 2u);
}

} // namespace
} // namespace rz
