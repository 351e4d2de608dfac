#pragma once

#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_synth_lookup.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "views/piano/piano_edit_controller.h"
#include "views/rubber_band.h"

#include <memory>

namespace rz {

// A song at 120 ticks a quarter, 100 measures long, with the database's
// one drum set (synth 1, bank 0, program 0) and scripted dialogs; the
// piano geometry at one tick a column, rows 10 high under a 20-pixel ruler
// and a 20-pixel cue strip, keyboard 24 wide.
struct PianoRig {
    SongFixture fixture;
    FakeSynthLookup synths;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;
    RubberBand band;
    PianoGeometry g;

    PianoRig()
    {
        synths.drumsetNames[{1, 0, 0}] = "Standard";
        synths.drumNoteNames[{1, 0, 0, 36}] = "Bass Drum";
        SongContext context = fixture.context();
        context.synths = &synths;
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        fixture.host.tools.snap = false;
        g.axis = TimeAxis{.gridTicks = 1, .plotLeft = 24, .origin = 0};
        g.rows = PianoLayout{.rowHeight = 10, .firstRow = 0, .noteTop = 40};
        g.rulerHeight = 20;
        g.stripWidth = 24;
        g.plot = QRect(24, 40, 1000, 880);
        g.clientWidth = 1041;
        g.dragDistance = 2;
    }

    // A MIDI track with its row selected in the track view; returns its number.
    int addTrack(int key = 0)
    {
        CTrack& track = test::addUserTrack(*song);
        track.key = key;
        const int number = int(song->tracks.size()) - 2;
        fixture.trackRows.selected.insert(number);
        return number;
    }
    CTrack& track(int number) { return *song->tracks[size_t(number)]; }
    // At a tick, just inside the row of a shown key.
    QPoint at(int32_t tick, int shownKey) const
    {
        return QPoint(g.axis.xOfTick(tick), g.rows.yOfKey(shownKey) + 2);
    }
};

} // namespace rz
