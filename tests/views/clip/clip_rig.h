#pragma once

#include "song/describe_song.h"
#include "song/lane_items.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/undo_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "views/clip/clip_edit_controller.h"
#include "views/rubber_band.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace rz {

// A song at 120 ticks a quarter, 100 measures long: track 1 "A" and track 2
// "B" are waveform tracks, track 3 "M" a MIDI track; "A" holds two 1-second
// clips (240 ticks) at 480 and 960 whose file lies in a temporary song
// folder. The geometry: 4 ticks a column from x 0, a 20-pixel ruler and cue
// band, lanes 20 high from row 1.
struct ClipRig {
    test::UndoFixture fixture;
    ScriptedEditDialogs dialogs;
    TempDir folder;
    std::unique_ptr<CSongDoc> song;
    RubberBand band;
    ClipGeometry g;

    ClipRig()
    {
        SongContext context = fixture.undoContext();
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->endTick = 100 * 480;
        song->songFolder = folder.path();
        song->ExtendMeasureMap();
        song->RecomputeMeasureStarts();
        fixture.host.tools.snap = false;
        fixture.host.workFolderPath = folder.path() / "work";
        std::filesystem::create_directories(fixture.host.workFolderPath);
        std::ofstream(folder.path() / "a.wav") << "RIFF clip bytes";
        for (const char* name : {"A", "B", "M"}) {
            CTrack& track = test::addUserTrack(*song);
            track.name = name;
            track.type = name[0] == 'M' ? kMidiTrack : kWaveTrack;
        }
        for (int32_t tick : {480, 960}) {
            CMidiEvent clip = test::UndoFixture::clipEvent(tick, "a.wav");
            clip.clip()->length = 10'000'000;
            song->tracks[1]->events.push_back(std::move(clip));
        }
        BuildLaneItems(*song);
        song->tracks[1]->endTick = 1200; // as the song's edits leave it
        RebuildPlayImages(*song, false);
        g.axis = TimeAxis{.gridTicks = 4, .plotLeft = 0, .origin = 0};
        g.lanes = LaneLayout{.rulerHeight = 20, .secondBand = 20, .laneHeight = 20, .firstRow = 0};
        g.plot = QRect(0, 40, 1000, 200);
        g.trackCount = int(song->tracks.size());
        g.dragDistance = 2;
        g.cueRects.assign(song->cues.size(), QRect());
    }

    // Inside track row `row`'s lane at a tick.
    QPoint at(int32_t tick, int row) const { return QPoint(g.xOfTick(tick) + 1, g.lanes.rowY(row) + 10); }
    std::vector<int32_t> ticksOn(int row) const
    {
        std::vector<int32_t> ticks;
        for (const CMidiEvent& e : song->tracks[size_t(row)]->events)
            ticks.push_back(e.tick);
        return ticks;
    }
    // Press, moves and release as one gesture.
    void drag(ClipEditController& edit, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        edit.press(g, {from, mods});
        edit.move(g, {(from + to) / 2, mods});
        edit.move(g, {to, mods});
        edit.release(g, {to, mods});
        BuildLaneItems(*song);
    }
    void click(ClipEditController& edit, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        edit.press(g, {at, mods});
        edit.release(g, {at, mods});
    }
    bool selected(int row, size_t event) const
    {
        return song->tracks[size_t(row)]->events[event].selectionStamp == song->selectionStamp;
    }
};

} // namespace rz
