// A synthesizer reset on its way to a device while the timer thread plays
// notes on the same port (run under ThreadSanitizer too): the reset waits
// for the device without the port's semaphore, so the notes are neither
// dropped nor held up, and a note sent meanwhile still sounds afterwards.

#include "out_port_fixture.h"
#include "tests/support/eventually.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace rz {
namespace {

using namespace std::chrono_literals;

// Takes a long message at once, in order with the short ones, and reports
// it out only once a note-on has reached the device after it: the device
// finishes only if the port lets a note through while it works. Gives up
// after a while, so a port that holds its semaphore fails slowly, not never.
class NoteGatedDevice : public RecordingMidiDevice {
public:
    uint64_t queueLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout,
                       LongSendResult& settled) override
    {
        settled = sendLong(bytes, timeout);
        std::lock_guard lock(m_mutex);
        m_notesSinceLong = 0;
        ++m_queued;
        return m_queued;
    }
    LongSendResult awaitLong(uint64_t, std::chrono::milliseconds) override
    {
        std::unique_lock lock(m_mutex);
        const bool out = m_noteSeen.wait_for(lock, 2s, [&] { return m_notesSinceLong > 0; });
        return out ? LongSendResult::Delivered : LongSendResult::TimedOut;
    }
    using RecordingMidiDevice::sendShort;
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override
    {
        RecordingMidiDevice::sendShort(bytes, stamp);
        if (bytes.size() != 3 || (bytes[0] & 0xF0) != 0x90 || bytes[2] == 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            ++m_notesSinceLong;
        }
        m_noteSeen.notify_all();
    }
    uint64_t queued()
    {
        std::lock_guard lock(m_mutex);
        return m_queued;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_noteSeen;
    uint64_t m_queued = 0;
    int m_notesSinceLong = 0;
};

struct GatedPort {
    GatedPort()
    {
        auto made = std::make_unique<NoteGatedDevice>();
        device = made.get();
        port = std::make_unique<COutPort>(std::move(made));
        port->Open();
        // Far shorter than the device's wait: a note waiting on the
        // semaphore for the whole reset would be dropped.
        port->setLockWait(500ms);
    }
    NoteGatedDevice* device = nullptr;
    std::unique_ptr<COutPort> port;
};

struct ResetCase {
    const char* name;
    std::function<void(COutPort&)> reset;
    size_t messagesBeforeNote; // what the reset sends ahead of the note
};

TEST(ResetDuringPlay, ANoteSentWhileTheResetIsOnItsWayGoesOutAfterItAndStillSounds)
{
    const ResetCase cases[] = {
        {"GM on", [](COutPort& p) { p.SendGMOn(); }, 1},
        {"GS reset", [](COutPort& p) { p.SendGSReset(); }, 1},
        {"XG on", [](COutPort& p) { p.SendXGOn(); }, 1},
        {"technology GM, sound off, controllers",
         [](COutPort& p) { p.SendSynthReset(1 | 16 | 32, {}); }, 33},
        {"user message", [](COutPort& p) { p.SendSynthReset(64, "F0 7E 7F 09 02 F7"); }, 1},
    };
    for (const ResetCase& c : cases) {
        SCOPED_TRACE(c.name);
        GatedPort gated;
        COutPort& port = *gated.port;
        auto reset = std::async(std::launch::async, [&] { c.reset(port); });
        ASSERT_TRUE(eventually([&] { return gated.device->queued() > 0; }));
        std::thread tick([&] { port.SendShort(noteOn(0, 60, 100)); });
        tick.join();
        reset.get();

        const Hex sent = gated.device->sentHex();
        ASSERT_EQ(sent.size(), c.messagesBeforeNote + 1) << "the note was dropped";
        EXPECT_EQ(sent.back(), "90 3C 64") << "the note left before the reset";
        EXPECT_EQ(port.heldNotes(), std::vector<uint32_t>{noteOn(0, 60, 100)})
            << "the reset forgot a note sent after it";
    }
}

// A reset of several messages waits for each without the semaphore: a
// note sent during each wait goes out between them.
TEST(ResetDuringPlay, EachMessageOfASynthResetLetsTheTickThrough)
{
    GatedPort gated;
    COutPort& port = *gated.port;
    auto reset = std::async(std::launch::async, [&] { port.SendSynthReset(1 | 2 | 4, {}); });
    std::thread tick([&] {
        for (uint64_t message = 1; message <= 3; ++message) {
            if (!eventually([&] { return gated.device->queued() >= message; }))
                return;
            port.SendShort(noteOn(0, 60 + int(message), 100));
        }
    });
    tick.join();
    reset.get();
    const Hex sent = gated.device->sentHex();
    ASSERT_EQ(sent.size(), 3u + 3u + 2u) << "a note was dropped";
    EXPECT_EQ(sent[0], "F0 7E 7F 09 01 F7");
    EXPECT_EQ(sent[1], "90 3D 64");
    EXPECT_EQ(sent[2], "F0 41 10 42 12 40 00 7F 00 41 F7");
    EXPECT_EQ(sent[3], "90 3E 64");
    EXPECT_EQ(sent[4], "F0 43 10 4C 00 00 7E 00 F7");
    // The cache reset ends what sounded before the last message.
    EXPECT_EQ(sent[5], "90 3E 00");
    EXPECT_EQ(sent[6], "90 3D 00");
    EXPECT_EQ(sent[7], "90 3F 64");
    EXPECT_EQ(port.heldNotes(), std::vector<uint32_t>{noteOn(0, 63, 100)});
}

// A device that refuses the reset, or never finishes it, leaves the port
// free for the next note at once.
TEST(ResetDuringPlay, ADeviceThatRefusesTheResetStillReleasesThePort)
{
    for (const LongSendResult result : {LongSendResult::Failed, LongSendResult::TimedOut}) {
        auto made = std::make_unique<RecordingMidiDevice>();
        RecordingMidiDevice& device = *made;
        COutPort port(std::move(made));
        ASSERT_TRUE(port.Open());
        port.setLockWait(50ms);
        device.setLongResult(result);
        port.SendShort(ctrl(0, 7, 50));
        port.SendSynthReset(1 | 2 | 4 | 64, "F0 7E 7F 09 01 F7");
        EXPECT_EQ(port.controllerValue(0, 7), -1) << "the caches were not reset";
        device.clear();
        port.SendShort(noteOn(0, 60, 100));
        EXPECT_EQ(device.sentHex(), Hex{"90 3C 64"});
    }
}

// The timer thread plays notes without pause while resets run one after
// another; every note reaches the device.
TEST(ResetDuringPlay, NoNoteIsLostWhileResetsRunOverAndOver)
{
    GatedPort gated;
    COutPort& port = *gated.port;
    constexpr int kResets = 8;
    std::atomic<bool> resetsDone{false};
    auto resets = std::async(std::launch::async, [&] {
        for (int i = 0; i < kResets; ++i) {
            if (i % 2 == 0)
                port.SendGMOn();
            else
                port.SendSynthReset(2 | 16, {});
        }
        resetsDone = true;
    });
    int notes = 0;
    std::thread tick([&] {
        // Until the resets are done and at least one note went out.
        while (!resetsDone.load() || notes == 0) {
            port.SendShort(noteOn(1, 64, 90));
            port.SendShort(noteOff(1, 64));
            ++notes;
        }
    });
    resets.get();
    tick.join();
    int arrived = 0;
    for (const std::string& message : gated.device->sentHex())
        arrived += message == "91 40 5A";
    EXPECT_EQ(arrived, notes);
}

} // namespace
} // namespace rz
