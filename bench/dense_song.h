#pragma once

#include <memory>
#include <string>

#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"

namespace rz::bench {

// A new song at time base 480 in 4/4 with `tracks` tracks of
// `eventsPerTrack` notes `step` ticks apart, its images, end and measures
// built: the dense song the edit benchmarks work on.
inline std::unique_ptr<CSongDoc> makeDenseSong(const SongContext& context, int tracks,
                                               int eventsPerTrack, int32_t step)
{
    auto song = std::make_unique<CSongDoc>(context);
    song->InitNewSong();
    song->timeBase = 480;
    song->measureMap.front().Set(0, 1920);
    for (int i = 0; i < tracks; ++i) {
        CTrack& track = test::addUserTrack(*song);
        track.name = "Track " + std::to_string(i);
        track.channel = i % 16;
        track.events.reserve(size_t(eventsPerTrack));
        for (int e = 0; e < eventsPerTrack; ++e)
            track.events.push_back(
                test::note(e * step, uint8_t(40 + (e + i) % 40), 90, 50, uint8_t(i % 16)));
    }
    RebuildPlayImages(*song, false);
    song->UpdateSongEnd();
    song->ExtendMeasureMap();
    song->RecomputeMeasureStarts();
    return song;
}

} // namespace rz::bench
