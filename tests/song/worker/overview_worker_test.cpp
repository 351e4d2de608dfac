#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <semaphore>
#include <thread>
#include <vector>

#include "song/lane_items.h"
#include "song/overview_worker.h"
#include "song/track_list.h"
#include "song/undo_record.h"
#include "tests/support/eventually.h"
#include "undo_fixture.h"

namespace rz {
namespace {

using test::addUserTrack;

// A host whose stopOverviewWorkers stops the worker, as the program's does.
struct StoppingHost : FakeSongHost {
    OverviewWorker* worker = nullptr;
    void stopOverviewWorkers() override
    {
        FakeSongHost::stopOverviewWorkers();
        if (worker != nullptr)
            worker->stop();
    }
};

// A song with `clipCount` loaded wave clips of `seconds` each on one waveform
// track, its items built, and a worker over it that the song's edits stop.
struct WorkerRig : test::UndoFixture {
    StoppingHost stoppingHost;
    std::unique_ptr<CSongDoc> song;
    CTrack* audio = nullptr;
    std::atomic<int> blocksDone{0};
    std::unique_ptr<OverviewWorker> worker;

    WorkerRig(int clipCount, int64_t seconds)
    {
        SongContext c = undoContext();
        song = std::make_unique<CSongDoc>(SongContext{.profile = c.profile,
                                                      .prompt = c.prompt,
                                                      .host = stoppingHost,
                                                      .engine = c.engine,
                                                      .setLink = c.setLink,
                                                      .trackRows = c.trackRows,
                                                      .clipLoader = c.clipLoader});
        song->InitNewSong();
        stoppingHost.current = song.get();
        audio = &addUserTrack(*song);
        audio->type = kWaveTrack;
        for (int i = 0; i < clipCount; ++i) {
            CMidiEvent event = clipEvent(i * 10, "WaveData\\c" + std::to_string(i) + ".wav");
            event.clip()->length = seconds * 10'000'000;
            event.clip()->loaded = true;
            audio->events.push_back(std::move(event));
        }
        BuildLaneItems(*song);
        worker = std::make_unique<OverviewWorker>(clips, [this] { ++blocksDone; });
        stoppingHost.worker = worker.get();
    }
    ~WorkerRig() { worker->stop(); }

    PeakBuffer& peaks(size_t item) { return *audio->items[item].peaks; }
};

TEST(OverviewWorker, OnlyRequestedBlocksAreComputed)
{
    WorkerRig rig(1, 25);
    rig.clips.sample = [](int64_t) { return 0.5f; };
    rig.worker->start(*rig.song);
    PeakBuffer& peaks = rig.peaks(0);
    ASSERT_EQ(peaks.blocks(), 3u);

    peaks.request(1);
    rig.worker->wake();
    ASSERT_TRUE(eventually([&] { return peaks.computed(1); }));
    EXPECT_EQ(peaks.entry(1000) >> 7, 63);
    // The last block is the sentinel: once it is done, a stray walk would
    // have touched the first too.
    peaks.request(2);
    rig.worker->wake();
    ASSERT_TRUE(eventually([&] { return peaks.computed(2); }));
    EXPECT_EQ(peaks.state(0), PeakBuffer::kNone);
    EXPECT_EQ(rig.blocksDone.load(), 2);
    // The last block holds 501 entries; the fake's samples end with the clip.
    EXPECT_EQ(rig.clips.framesRendered.load(), (1000 + 501) * 48 - 48);
    rig.worker->stop();
}

TEST(OverviewWorker, AClipWithoutARateComputesNothing)
{
    WorkerRig rig(1, 5);
    rig.clips.rate = 0;
    rig.worker->start(*rig.song);
    rig.peaks(0).request(0);
    rig.worker->wake();
    rig.worker->stop(); // the walk it was woken for has ended or never ran
    EXPECT_EQ(rig.clips.renders.load(), 0);
    EXPECT_FALSE(rig.peaks(0).computed(0));
}

TEST(OverviewWorker, AStopMidClipReturnsWithinOneBlock)
{
    WorkerRig rig(1, 60);
    std::binary_semaphore rendering{0};
    rig.clips.beforeRender = [&](int64_t) {
        if (rig.clips.renders.load() == 0) {
            rendering.release();
            // Held until stop() has asked, so the stop lands mid-clip.
            eventually([&] { return rig.worker->stopping(); }, std::chrono::seconds(30));
        }
    };
    rig.worker->start(*rig.song);
    PeakBuffer& peaks = rig.peaks(0);
    for (size_t b = 0; b < peaks.blocks(); ++b)
        peaks.request(b);
    rig.worker->wake();
    rendering.acquire();
    rig.worker->stop();
    EXPECT_FALSE(rig.worker->running());
    EXPECT_EQ(rig.clips.renders.load(), 1);
    EXPECT_TRUE(peaks.computed(0));
    EXPECT_EQ(peaks.state(1), PeakBuffer::kRequested);
}

TEST(OverviewWorker, AReaderRequestsAndReadsBlocksWhileTheWorkerFillsOthers)
{
    WorkerRig rig(4, 25);
    rig.clips.sample = [](int64_t frame) { return frame % 2 ? 1.0f : -0.5f; };
    rig.worker->start(*rig.song);
    // Requests one block at a time on a thread of its own and reads every
    // computed one, until all are done.
    std::atomic<bool> wrong{false};
    std::thread reader([&] {
        size_t next = 0;
        const size_t total = 4 * rig.peaks(0).blocks();
        eventually(
            [&] {
                if (next < total) {
                    rig.peaks(next % 4).request(next / 4);
                    rig.worker->wake();
                    ++next;
                }
                size_t done = 0;
                for (size_t c = 0; c < 4; ++c) {
                    const PeakBuffer& p = rig.peaks(c);
                    for (size_t b = 0; b < p.blocks(); ++b) {
                        if (!p.computed(b))
                            continue;
                        ++done;
                        if (p.entry(b * 1000) != 127 * 128 + 64)
                            wrong = true;
                    }
                }
                return done == total;
            },
            std::chrono::seconds(60));
    });
    reader.join();
    rig.worker->stop();
    EXPECT_FALSE(wrong.load());
    EXPECT_EQ(rig.blocksDone.load(), 12);
}

TEST(OverviewWorker, AnEditDeletingTheTrackMidRenderStopsTheWorkerFirst)
{
    WorkerRig rig(1, 60);
    CSongDoc& song = *rig.song;
    std::binary_semaphore rendering{0};
    std::atomic<bool> stoppedBeforeEdit{true};
    rig.clips.beforeRender = [&](int64_t) {
        if (rig.clips.renders.load() == 0) {
            rendering.release();
            eventually([&] { return rig.worker->stopping(); }, std::chrono::seconds(30));
        }
        if (song.tracks.size() != 3)
            stoppedBeforeEdit = false;
    };
    rig.worker->start(song);
    PeakBuffer& peaks = rig.peaks(0);
    for (size_t b = 0; b < peaks.blocks(); ++b)
        peaks.request(b);
    rig.worker->wake();
    rendering.acquire();

    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Delete Tracks";
    record->tracks = std::make_unique<CTrackList>();
    record->tracks->sourceRows = {1};
    ASSERT_EQ(song.ApplyEdit(std::move(record)), ApplyResult::Applied);
    EXPECT_EQ(rig.stoppingHost.log.count("stopOverviewWorkers"), 1u);
    EXPECT_FALSE(rig.worker->running());
    EXPECT_TRUE(stoppedBeforeEdit.load());
    EXPECT_EQ(song.tracks.size(), 2u);
}

} // namespace
} // namespace rz
