#pragma once

#include <memory>
#include <string>
#include <vector>

#include "song/selection.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "undo_fixture.h"

namespace rz::test {

// Songs that copy and paste through the fake host's clipboard, with scripted
// edit dialogs and a work folder of their own for copied clip files.
struct ClipboardFixture : UndoFixture {
    ScriptedEditDialogs dialogs;
    TempDir work;

    ClipboardFixture() { host.workFolderPath = work.path(); }

    // A song at the time base, in 4/4 at 500000 µs per quarter, with the
    // named MIDI tracks (channel = their order), each with `events`.
    std::unique_ptr<CSongDoc> songAt(uint16_t timeBase, const std::vector<std::string>& names = {})
    {
        SongContext c = undoContext();
        c.editDialogs = &dialogs;
        auto song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        song->timeBase = timeBase;
        song->measureMap.front().Set(0, 4 * timeBase);
        song->measureMap.front().setMeter(4, 2);
        for (size_t i = 0; i < names.size(); ++i) {
            CTrack& track = addUserTrack(*song);
            track.name = names[i];
            track.channel = int32_t(i);
        }
        return song;
    }

    // Lays the song out after a test filled it.
    static void settle(CSongDoc& song)
    {
        RebuildPlayImages(song, false);
        song.UpdateSongEnd();
        song.RecalcTempoTimes();
        song.ExtendMeasureMap();
        song.RecomputeMeasureStarts();
    }

    static void selectRange(CSongDoc& song, int32_t from, int32_t to)
    {
        song.selectionKind = kSelectTimeRange;
        song.selectionFrom = from;
        song.selectionTo = to;
        ++song.selectionStamp;
    }

    // Selects every event of the user tracks and every cue.
    static void selectAll(CSongDoc& song)
    {
        ++song.selectionStamp;
        song.selectionKind = kSelectEvents;
        for (size_t t = 1; t + 1 < song.tracks.size(); ++t)
            for (CMidiEvent& e : song.tracks[t]->events)
                e.selectionStamp = song.selectionStamp;
        for (auto& cue : song.cues) {
            cue->selectionStamp = song.selectionStamp;
            song.selectionKind |= kSelectCues;
        }
    }

    void copyTime(CSongDoc& song, CopyTimeMode mode, int32_t offset = 0)
    {
        dialogs.copyTimeAnswer = CopyTimeParams{mode, offset};
        song.OnEditCopy();
    }

    static PasteTimeParams pasteAt(int32_t at, PasteMethod method = PasteMethod::Insert)
    {
        PasteTimeParams p;
        p.firstCopy = at;
        p.method = method;
        return p;
    }

    static std::vector<int32_t> ticksOf(const CTrack& track)
    {
        std::vector<int32_t> ticks;
        for (const CMidiEvent& e : track.events)
            ticks.push_back(e.tick);
        return ticks;
    }

    static std::vector<int32_t> tempoTicks(const CSongDoc& song)
    {
        std::vector<int32_t> ticks;
        for (const TempoEntry& e : song.tempoMap)
            ticks.push_back(e.tick);
        return ticks;
    }

    static TempoEntry tempoAt(int32_t tick, uint32_t tempo)
    {
        TempoEntry e;
        e.tick = tick;
        e.tempo = tempo;
        return e;
    }

    AppClipboard& clipboard() { return host.clipboardContent; }
};

} // namespace rz::test
