#include <gtest/gtest.h>

#include <memory>

#include "song/track_list.h"

namespace rz {
namespace {

// A track whose destruction bumps a counter: its clip's sample handle dies
// with it.
std::unique_ptr<CTrack> countedTrack(int& destroyed)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->samples = std::shared_ptr<const AudioClipSamples>(
        nullptr, [&destroyed](const AudioClipSamples*) { ++destroyed; });
    CMidiEvent event;
    event.SetClip(std::move(clip));
    auto track = std::make_unique<CTrack>();
    track->events.push_back(std::move(event));
    return track;
}

TEST(TrackListOwnership, OwningListDestroysItsTracks)
{
    int destroyed = 0;
    {
        CTrackList list;
        list.add(countedTrack(destroyed));
        list.add(countedTrack(destroyed));
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(TrackListOwnership, BorrowingListLeavesTracksAlone)
{
    int destroyed = 0;
    auto owned = countedTrack(destroyed);
    {
        CTrackList list(false);
        list.addBorrowed(owned.get());
        list.sourceRows.push_back(1);
        EXPECT_EQ(list.tracks[0].get(), owned.get());
        CTrackList moved = std::move(list);
        moved.clear();
        moved.addBorrowed(owned.get());
    }
    EXPECT_EQ(destroyed, 0);
    owned.reset();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
} // namespace rz
