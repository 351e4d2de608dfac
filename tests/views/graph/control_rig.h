#pragma once

#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "views/graph/control_curve.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace rz {

// Controller 7, the volume.
inline constexpr ControlKind kVolume{midi::kControlChange, 7};

// A song of 100 measures at 120 ticks a quarter with scripted dialogs, and
// lane tracks of controller events.
struct ControlSong {
    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;

    ControlSong()
    {
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        fixture.host.tools.snap = false;
    }

    // A MIDI track on `channel`, its row selected; returns its number.
    int addTrack(int channel = 0)
    {
        CTrack& track = test::addUserTrack(*song);
        track.channel = channel;
        const int number = int(song->tracks.size()) - 2;
        fixture.trackRows.selected.insert(number);
        return number;
    }
    CTrack& track(int number) { return *song->tracks[size_t(number)]; }
    void addController(int t, int32_t tick, int number, int value, uint32_t stamp = 0)
    {
        CMidiEvent event = test::controller(tick, uint8_t(number), uint8_t(value), uint8_t(track(t).channel));
        event.selectionStamp = stamp;
        track(t).events.push_back(event);
    }
    // (tick, value) of the track's events of a kind.
    std::vector<std::pair<int32_t, int32_t>> values(int t, ControlKind kind)
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const CControlPoint& p : trackRun(*song, t, kind))
            out.emplace_back(p.tick, p.value);
        return out;
    }
    // The play images and measures an edit recomputes, made now so undo
    // can be compared with the song as built.
    void settle()
    {
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
    }
    // Applies the record, then checks that undo gives the song back.
    void applyAndUndo(std::unique_ptr<CUndoRecord> record, const std::function<void()>& check)
    {
        ASSERT_TRUE(record);
        settle();
        const std::string before = DescribeSong(*song);
        ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
        check();
        ASSERT_TRUE(song->Undo());
        EXPECT_EQ(firstDifference(DescribeSong(*song), before), "");
    }
};

} // namespace rz
