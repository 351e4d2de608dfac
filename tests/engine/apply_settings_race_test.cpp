// Settings published while the transport ticks and input arrives: every
// reader sees one whole value. Run under ThreadSanitizer.

#include "tests/engine/midi_input_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rz {
namespace {

class ApplySettings : public MidiInputTest {
protected:
    // Two values that differ in every field the readers below compare.
    static SequencerSettings variant(bool second)
    {
        SequencerSettings settings;
        settings.click.enabled = true;
        settings.click.click1 = second ? 0x7F2499 : 0x7F2599;
        settings.click.click2 = second ? 0x642499 : 0x642599;
        settings.click.leadMs = second ? 5 : 0;
        settings.eventFilter = second ? 0xFF00 : 0xDB00;
        settings.countInMeasures = second ? 3 : 1;
        settings.echo = !second;
        return settings;
    }

    static bool whole(const SequencerSettings& s)
    {
        const SequencerSettings& model = variant(s.click.click1 == 0x7F2499);
        return s.click.click2 == model.click.click2 && s.click.leadMs == model.click.leadMs
               && s.eventFilter == model.eventFilter && s.countInMeasures == model.countInMeasures
               && s.echo == model.echo;
    }
};

TEST_F(ApplySettings, ValuesAppliedDuringPlayAndInputAreSeenWhole)
{
    start();
    makeArmedSong();
    addThruTrack();
    rebuildThru();
    startAt(0);
    std::atomic<bool> running{true};
    std::atomic<int> torn{0};
    std::atomic<int> applied{0};
    std::atomic<int> injected{0};
    std::thread gui([&] {
        for (int i = 0; running.load(); ++i, ++applied)
            sequencer->applySettings(variant(i % 2 == 1));
    });
    std::thread keys([&] {
        for (int key = 0; running.load(); key = (key + 1) % 12, ++injected) {
            keyboard().inject(noteOn(60 + key, 100));
            keyboard().inject(noteOff(60 + key));
        }
    });
    std::thread checker([&] {
        while (running.load())
            if (!whole(*sequencer->liveSettings()))
                ++torn;
    });
    // The clock runs until both threads have done plenty, the transport
    // started again whenever the short song ends. Bounded by time, not by a
    // count of ticks: on a busy machine the other threads may get little
    // time while the clock runs.
    const bool plenty = eventually(
        [&] {
            for (int tick = 0; tick < 100; ++tick) {
                if (sequencer->transportState() == TransportState::Stopped)
                    startAt(0);
                runTicks(1);
            }
            return applied.load() >= 5000 && injected.load() >= 500;
        },
        std::chrono::seconds(60));
    running = false;
    gui.join();
    keys.join();
    checker.join();
    EXPECT_TRUE(plenty) << applied.load() << " applied, " << injected.load() << " injected";
    EXPECT_EQ(torn.load(), 0);
    EXPECT_TRUE(whole(*sequencer->liveSettings()));
}

TEST_F(ApplySettings, InputFollowsTheAppliedValueAtOnce)
{
    start();
    makeArmedSong();
    addThruTrack();
    rebuildThru();
    SequencerSettings settings = *sequencer->liveSettings();
    settings.echo = false;
    sequencer->applySettings(settings);
    play(noteOn(60, 100));
    EXPECT_TRUE(synthSent().empty());
    settings.echo = true;
    sequencer->applySettings(settings);
    play(noteOn(62, 100));
    EXPECT_EQ(synthSent(), std::vector<std::string>{"90 3E 64"});
    EXPECT_EQ(sequencer->tickPeriodMs(), settings.tickPeriodMs);
}

} // namespace
} // namespace rz
