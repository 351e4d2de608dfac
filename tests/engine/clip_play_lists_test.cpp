// Many clips starting at one tick: the playback tick puts them all in the
// audio engine's play lists, or leaves their starts pending behind a busy
// AudioMutex, without allocating.

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "tests/engine/transport_fixture.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace rz {
namespace {

constexpr int kClips = 100;
constexpr int32_t kClipTick = 240; // one second in

class ClipListsNoAlloc : public TransportTest {
protected:
    // A song of kClips waveform tracks, each with one loaded clip at kClipTick.
    void makeClipSong()
    {
        init();
        CSongDoc& made = makeSong();
        auto samples = std::make_shared<AudioClipSamples>();
        samples->samples.assign(2 * 44100, 1000);
        for (int i = 0; i < kClips; ++i) {
            CTrack& track = test::addUserTrack(made);
            track.type = kWaveTrack;
            auto clip = std::make_unique<CAudioClip>();
            clip->fileName = "clip" + std::to_string(i) + ".wav";
            clip->number = i + 1;
            clip->length = WaveDuration(samples->frameCount(), 44100);
            clip->samples = samples;
            clip->loaded = true;
            clips.push_back(clip.get());
            CMidiEvent event;
            event.tick = kClipTick;
            event.SetClip(std::move(clip));
            track.events.push_back(std::move(event));
        }
        RebuildPlayImages(made, false);
        made.ExtendMeasureMap();
        made.Locate(0);
    }

    int clipsPlaying() const
    {
        int playing = 0;
        for (const CAudioClip* clip : clips)
            playing += sequencer->clipInPlayList(*clip) ? 1 : 0;
        return playing;
    }

    std::vector<CAudioClip*> clips;
};

// The ticks across the clips' start, with the AudioMutex free or held by
// another thread over the start (the starts wait for the next free tick).
TEST_F(ClipListsNoAlloc, TheTickStartsAHundredClipsAtOnceWithoutAllocating)
{
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "AudioMutex busy at the start" : "AudioMutex free");
        makeClipSong();
        startAt(0);
        // Waveform tracks play a block ahead: the clips start somewhat
        // before their tick.
        ASSERT_TRUE(runUntilPosition(kClipTick / 2));
        ASSERT_EQ(clipsPlaying(), 0);
        uint64_t allocations = 0;
        {
            std::optional<LockHolder> holder;
            if (busy)
                holder.emplace(AudioMutex());
            AllocationCount counted;
            ASSERT_TRUE(runUntilPosition(kClipTick + 2));
            if (busy) {
                EXPECT_EQ(clipsPlaying(), 0) << "a start went past the busy lock";
                holder.reset();
                runTicks(2);
            }
            allocations = counted.value();
        }
        EXPECT_EQ(clipsPlaying(), kClips);
        EXPECT_EQ(allocations, 0u);
        sequencer->Stop(false);
        shutDown();
        sequencer->setCurrentSong(nullptr);
        song.reset();
        sequencer.reset();
        clips.clear();
    }
}

} // namespace
} // namespace rz
