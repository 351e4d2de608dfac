#pragma once

#include <algorithm>
#include <memory>

#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"

namespace rz::test {

// A song whose user tracks play on one fake port (port 0), with its measure
// map laid out to its end: time base 120, 4/4, 500000 µs per quarter.
struct PlayTestSong {
    SongFixture fixture;
    FakeMidiOut port;
    std::unique_ptr<CSongDoc> song;

    PlayTestSong()
    {
        fixture.engine.outputMap = {0};
        fixture.engine.ports = {&port};
        fixture.engine.logPortLookups = false;
        song = fixture.newSong();
    }

    CTrack& addTrack(std::initializer_list<CMidiEvent> events, int channel = 0)
    {
        CTrack& track = addUserTrack(*song);
        track.channel = channel;
        for (const CMidiEvent& event : events)
            track.InsertEventSorted(event);
        return track;
    }

    // Builds the play images and the measure map to the song's end.
    void build()
    {
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
    }

    CCue& addCue(int32_t kind, int32_t time, int32_t secondTime)
    {
        auto cue = std::make_unique<CCue>();
        cue->kind = kind;
        cue->time = time;
        cue->secondTime = secondTime;
        CCue& added = *cue;
        insertCueInOrder(song->cues, std::move(cue));
        return added;
    }

    // The messages of one kind (status & 0xF0) the port was handed.
    std::vector<uint32_t> sentOfKind(uint32_t kind) const
    {
        std::vector<uint32_t> found;
        std::copy_if(port.shortMessages.begin(), port.shortMessages.end(),
                     std::back_inserter(found),
                     [kind](uint32_t m) { return (m & 0xF0) == kind; });
        return found;
    }
};

} // namespace rz::test
