#pragma once

#include "song/song_doc.h"
#include "song/track.h"
#include "views/track/track_selection.h"

#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

#include <memory>
#include <string>
#include <vector>

namespace rz::test {

// The user tracks' names, top to bottom.
inline std::vector<std::string> trackNames(const CSongDoc& song)
{
    std::vector<std::string> out;
    for (size_t row = 1; row + 1 < song.tracks.size(); ++row)
        out.push_back(song.tracks[row]->name);
    return out;
}

// A timer that only says whether it runs; tests end its period by hand.
class ManualOneShotTimer : public IOneShotTimer {
public:
    void start(int ms) override
    {
        active = true;
        period = ms;
        ++starts;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }

    bool active = false;
    int period = 0;
    int starts = 0;
};

// A song of `userTracks` MIDI tracks "T1".. between the conductor and the
// empty track, with a selection attached to it as its track rows.
struct TrackSongFixture {
    explicit TrackSongFixture(int userTracks = 5)
    {
        SongContext context = fixture.context();
        context.trackRows = &selection;
        context.editDialogs = &dialogs;
        fixture.host.workFolderPath = work.path();
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        for (int i = 1; i <= userTracks; ++i)
            addUserTrack(*song).name = "T" + std::to_string(i);
        selection.setSong(song.get());
        selection.SyncRowCount();
    }

    int count() const { return int(song->tracks.size()); }
    CTrack& track(int row) { return *song->tracks[size_t(row)]; }
    size_t viewUpdates() const { return fixture.host.log.count("updateSongViews"); }

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    TempDir work; // where copied clip files go
    ManualOneShotTimer timer;
    TrackSelection selection{timer};
    std::unique_ptr<CSongDoc> song;
};

} // namespace rz::test
