#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/ms_clock.h"
#include "engine/audio/sample_grabber.h"

namespace rz {
namespace {

// A buffer that starts with `tag` and whose other bytes all hold its low
// byte, of a length that varies with it.
std::vector<uint8_t> taggedBuffer(uint32_t tag)
{
    std::vector<uint8_t> bytes(16 + (tag * 37) % 500, uint8_t(tag));
    std::memcpy(bytes.data(), &tag, sizeof tag);
    return bytes;
}

uint32_t tagOf(const uint8_t* data)
{
    uint32_t tag = 0;
    std::memcpy(&tag, data, sizeof tag);
    return tag;
}

class SampleRing : public ::testing::Test {
protected:
    SampleRing() { setProgramClock(&m_clock); }
    ~SampleRing() override { setProgramClock(nullptr); }

    void deliver(uint32_t tag)
    {
        const auto bytes = taggedBuffer(tag);
        EXPECT_EQ(m_ring.BufferCB(0.0, bytes.data(), bytes.size()), 0);
    }

    ManualMsClock m_clock{5000};
    CSampleGrabberCB m_ring;
    WaveFormat m_format;
};

TEST_F(SampleRing, PeekReportsTheSameSlotUntilDropped)
{
    m_ring.Reset(&m_format);
    deliver(1);
    deliver(2);
    const uint8_t* first = nullptr;
    const uint8_t* again = nullptr;
    size_t size = 0, sizeAgain = 0;
    ASSERT_TRUE(m_ring.GetNext(&first, &size, nullptr));
    ASSERT_TRUE(m_ring.GetNext(&again, &sizeAgain, nullptr));
    EXPECT_EQ(first, again);
    EXPECT_EQ(size, taggedBuffer(1).size());
    EXPECT_EQ(sizeAgain, size);
    EXPECT_EQ(tagOf(first), 1u);

    ASSERT_TRUE(m_ring.GetNext(nullptr, nullptr, nullptr));
    ASSERT_TRUE(m_ring.GetNext(&first, &size, nullptr));
    EXPECT_EQ(tagOf(first), 2u);
    EXPECT_EQ(size, taggedBuffer(2).size());
    ASSERT_TRUE(m_ring.GetNext(nullptr, nullptr, nullptr));
    EXPECT_FALSE(m_ring.GetNext(&first, &size, nullptr));
    EXPECT_FALSE(m_ring.GetNext(nullptr, nullptr, nullptr));
}

TEST_F(SampleRing, FullRingDropsAtOnceAndCounts)
{
    m_ring.Reset(&m_format);
    for (uint32_t tag = 0; tag < CSampleGrabberCB::kSlots + 3; ++tag)
        deliver(tag);
    EXPECT_EQ(m_ring.receivedCount(), CSampleGrabberCB::kSlots + 3);
    EXPECT_EQ(m_ring.droppedCount(), 4u); // one slot always stays free
    size_t stored = 0;
    const uint8_t* data = nullptr;
    while (m_ring.GetNext(&data, nullptr, nullptr)) {
        EXPECT_EQ(tagOf(data), stored);
        m_ring.GetNext(nullptr, nullptr, nullptr);
        ++stored;
    }
    EXPECT_EQ(stored, CSampleGrabberCB::kSlots - 1);
}

TEST_F(SampleRing, ResetWithoutFormatMakesItInactive)
{
    m_ring.Reset(&m_format);
    deliver(7);
    m_ring.Reset(nullptr);
    EXPECT_FALSE(m_ring.active());
    EXPECT_FALSE(m_ring.GetNext(nullptr, nullptr, nullptr));
    deliver(8);
    EXPECT_FALSE(m_ring.GetNext(nullptr, nullptr, nullptr));
    EXPECT_EQ(m_ring.receivedCount(), 0u);

    WaveFormat mono;
    mono.channels = 1;
    m_ring.Reset(&mono);
    EXPECT_TRUE(m_ring.active());
    EXPECT_EQ(m_ring.format().channels, 1);
}

TEST_F(SampleRing, ArrivalTimesCountFromTheFirstBuffer)
{
    m_ring.Reset(&m_format);
    const uint32_t advances[] = {0, 10, 0, 250};
    for (uint32_t tag = 0; tag < 4; ++tag) {
        m_clock.advance(advances[tag]);
        deliver(tag);
    }
    std::vector<uint32_t> times;
    uint32_t time = 0;
    const uint8_t* data = nullptr;
    while (m_ring.GetNext(&data, nullptr, &time)) {
        times.push_back(time);
        m_ring.GetNext(nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(times, (std::vector<uint32_t>{0, 10, 10, 260}));
}

TEST_F(SampleRing, ProducerAndConsumerRace)
{
    setProgramClock(nullptr);
    m_ring.Reset(&m_format);
    constexpr uint32_t kBuffers = 20000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (uint32_t tag = 1; tag <= kBuffers; ++tag) {
            const auto bytes = taggedBuffer(tag);
            m_ring.BufferCB(0.0, bytes.data(), bytes.size());
        }
        done.store(true, std::memory_order_release);
    });
    uint32_t lastTag = 0;
    uint32_t lastTime = 0;
    uint64_t consumed = 0;
    bool consistent = true;
    for (;;) {
        const bool finished = done.load(std::memory_order_acquire);
        const uint8_t* data = nullptr;
        size_t size = 0;
        uint32_t time = 0;
        if (!m_ring.GetNext(&data, &size, &time)) {
            if (finished)
                break;
            std::this_thread::yield();
            continue;
        }
        // The slot is whole and in order: its size and every byte are its tag's.
        const uint32_t tag = size >= 4 ? tagOf(data) : 0;
        consistent &= tag > lastTag && size == taggedBuffer(tag).size();
        for (size_t i = 4; consistent && i < size; ++i)
            consistent &= data[i] == uint8_t(tag);
        consistent &= time >= lastTime;
        lastTag = tag;
        lastTime = time;
        ++consumed;
        m_ring.GetNext(nullptr, nullptr, nullptr);
    }
    producer.join();
    EXPECT_TRUE(consistent);
    EXPECT_EQ(consumed + m_ring.droppedCount(), kBuffers);
    EXPECT_EQ(m_ring.receivedCount(), kBuffers);
}

} // namespace
} // namespace rz
