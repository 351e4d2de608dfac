#include "engine/audio/filter_apply.h"
#include "engine/audio/filter_audition.h"
#include "filter_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace rz {
namespace {

// A render of our own: mixes the preview slot into 256-frame blocks on a
// thread, as the audio engines do, and keeps what it heard.
class FakeRender {
public:
    explicit FakeRender(AudioPreviewSlot& slot) : m_slot(slot)
    {
        m_thread = std::thread([this] {
            while (!m_quit.load()) {
                float left[256] = {};
                float right[256] = {};
                m_slot.mix(left, right, 256);
                {
                    std::lock_guard lock(m_mutex);
                    m_left.insert(m_left.end(), left, left + 256);
                }
                // Paces the stand-in render, a block at a time.
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    }
    ~FakeRender()
    {
        m_quit.store(true);
        m_thread.join();
    }
    std::vector<float> heard()
    {
        std::lock_guard lock(m_mutex);
        return m_left;
    }

private:
    AudioPreviewSlot& m_slot;
    std::atomic<bool> m_quit{false};
    std::mutex m_mutex;
    std::vector<float> m_left;
    std::thread m_thread;
};

TEST(FilterAudition, PlaysTheFilteredFileToItsEnd)
{
    test::TempFolder folder;
    std::vector<int16_t> samples(2 * 20000, 16384);
    test::writeStereoWave(folder / "clip.wav", samples);
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    filter->setControl(0, 0.5f);
    AudioPreviewSlot slot;
    FakeRender render(slot);
    AuditionRun run(*filter, &slot, folder / "clip.wav");
    run.start();
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(run.playedMs(), 20000 * 1000 / 44100);
    std::vector<float> heard = render.heard();
    std::erase(heard, 0.0f);
    ASSERT_EQ(heard.size(), 20000u);
    EXPECT_FLOAT_EQ(heard.front(), 0.25f);
    EXPECT_FLOAT_EQ(heard.back(), 0.25f);
}

TEST(FilterAudition, StopEndsItAndTakesTheSourceAway)
{
    test::TempFolder folder;
    test::writeStereoWave(folder / "long.wav", std::vector<int16_t>(2 * 441000, 1000));
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    AudioPreviewSlot slot;
    FakeRender render(slot);
    AuditionRun run(*filter, &slot, folder / "long.wav");
    run.start();
    ASSERT_TRUE(eventually([&] { return run.playedMs() > 0; }));
    run.stop();
    EXPECT_EQ(run.wait(), kFilterCancelled);
    const size_t heard = render.heard().size();
    ASSERT_TRUE(eventually([&] { return render.heard().size() > heard + 1024; }));
    const std::vector<float> after = render.heard();
    EXPECT_EQ(after.back(), 0.0f);
}

TEST(FilterAudition, FailuresBeforePlaying)
{
    test::TempFolder folder;
    test::writeStereoWave(folder / "clip.wav", std::vector<int16_t>(200, 1));
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    AudioPreviewSlot slot;
    const struct {
        AudioPreviewSlot* slot;
        const char* file;
        int32_t expected;
    } cases[] = {
        {nullptr, "clip.wav", kFilterNoEngine},
        {&slot, "missing.wav", kFilterInputUnreadable},
    };
    for (const auto& c : cases) {
        AuditionRun run(*filter, c.slot, folder / c.file);
        run.start();
        EXPECT_EQ(run.wait(), c.expected) << c.file;
    }
}

TEST(FilterAudition, RingWrapsAndRefusesWhenFull)
{
    auto ring = std::make_unique<AuditionRing>();
    std::vector<float> ones(AuditionRing::kFrames + 10, 1.0f);
    EXPECT_EQ(ring->push(ones.data(), ones.data(), uint32_t(ones.size())), AuditionRing::kFrames);
    std::vector<float> left(100, 0.5f);
    std::vector<float> right(100, 0.0f);
    EXPECT_EQ(ring->popAdding(left.data(), right.data(), 100), 100u);
    EXPECT_FLOAT_EQ(left[99], 1.5f);
    EXPECT_EQ(ring->push(ones.data(), ones.data(), 300), 100u);
    EXPECT_EQ(ring->size(), AuditionRing::kFrames);
}

// A producer and the audio side at once: every frame arrives once, in order.
TEST(FilterAudition, RingHandsOverEveryFrameInOrderAcrossThreads)
{
    auto ring = std::make_unique<AuditionRing>();
    constexpr uint32_t kTotal = 400000;
    std::atomic<bool> quit{false};
    std::thread producer([&] {
        std::vector<float> values(700);
        for (uint32_t sent = 0; sent < kTotal;) {
            const uint32_t count = std::min<uint32_t>(700, kTotal - sent);
            for (uint32_t i = 0; i < count; ++i)
                values[i] = float(sent + i + 1);
            uint32_t pushed = 0;
            while (pushed < count && !quit.load())
                pushed += ring->push(values.data() + pushed, values.data() + pushed, count - pushed);
            sent += count;
        }
    });
    uint32_t expected = 1;
    bool inOrder = true;
    while (expected <= kTotal && inOrder) {
        float left[256] = {};
        float right[256] = {};
        const uint32_t count = ring->popAdding(left, right, 256);
        for (uint32_t i = 0; i < count && inOrder; ++i, ++expected)
            inOrder = left[i] == float(expected) && right[i] == float(expected);
    }
    quit.store(true);
    producer.join();
    EXPECT_TRUE(inOrder) << "frame " << expected - 1;
    EXPECT_EQ(ring->size(), 0u);
}

} // namespace
} // namespace rz
