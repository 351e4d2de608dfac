#pragma once

#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"
#include "tests/support/scripted_edit_dialogs.h"

#include <array>
#include <memory>

namespace rz {

// A song of 100 measures with scripted dialogs and two fake ports, whose
// output map names them as ports 0 and 1.
struct SliderSong {
    static constexpr int kMissingPort = 9;

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::array<FakeMidiOut, 2> ports;
    std::unique_ptr<CSongDoc> song = makeSong();

    SliderSong()
    {
        fixture.engine.ports = {&ports[0], &ports[1]};
        fixture.engine.outputMap = {0, 1};
    }

    std::unique_ptr<CSongDoc> makeSong()
    {
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->endTick = 100 * 480;
        ExtendMeasureMap(made->measureMap, made->endTick);
        return made;
    }

    // A MIDI track on the channel playing on port `port` (-1: a port number
    // the output map lacks), its row selected; returns its number.
    int addTrack(int channel, int port = 0, CSongDoc* in = nullptr)
    {
        CSongDoc& target = in ? *in : *song;
        CTrack& track = test::addUserTrack(target);
        track.channel = channel;
        track.port = port < 0 ? kMissingPort : port;
        track.outputPort = port < 0 ? nullptr : &ports[size_t(port)];
        const int number = int(target.tracks.size()) - 2;
        fixture.trackRows.selected.insert(number);
        return number;
    }
    CTrack& track(int number) { return *song->tracks[size_t(number)]; }
};

} // namespace rz
