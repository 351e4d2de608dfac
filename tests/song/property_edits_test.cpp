#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"
#include "song/selection.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

// At 480 ticks per quarter: "Piano" on channel 0 and "Bass" on channel 3.
SongPtr twoTracks(ClipboardFixture& f, std::vector<CMidiEvent> piano, std::vector<CMidiEvent> bass = {})
{
    SongPtr song = f.songAt(480, {"Piano", "Bass"});
    song->tracks[2]->channel = 3;
    song->tracks[1]->events = std::move(piano);
    song->tracks[2]->events = std::move(bass);
    ClipboardFixture::settle(*song);
    return song;
}

void selectEvents(CSongDoc& song, const std::vector<std::pair<size_t, size_t>>& events)
{
    ++song.selectionStamp;
    song.selectionKind = kSelectEvents;
    for (const auto& [track, index] : events)
        song.tracks[track]->events[index].selectionStamp = song.selectionStamp;
}

std::string textOf(const CMidiEvent& e)
{
    const auto bytes = e.data.bytes();
    return std::string(bytes.begin(), bytes.end());
}

TEST(PropertyEdits, CuePropertiesNeedExactlyOneCue)
{
    for (const int selected : {0, 2}) {
        ClipboardFixture f;
        SongPtr song = twoTracks(f, {});
        song->cues.push_back(UndoFixture::cue(kCueMarker, 0, 0, "A"));
        song->cues.push_back(UndoFixture::cue(kCueMarker, 480, 480, "B"));
        ++song->selectionStamp;
        song->selectionKind = kSelectCues;
        for (int i = 0; i < selected; ++i)
            song->cues[size_t(i)]->selectionStamp = song->selectionStamp;
        f.prompt.expectMessage("Please select one cue only.");
        song->OnEditProperties();
        EXPECT_EQ(f.dialogs.log.count("cueProperties"), 0u);
        EXPECT_TRUE(song->undoList.empty());
    }
}

TEST(PropertyEdits, OneCueIsEditedAndUndone)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {});
    song->cues.push_back(UndoFixture::cue(kCueMarker, 0, 0, "A"));
    song->cues.push_back(UndoFixture::cue(kCueMarker, 480, 480, "B"));
    ClipboardFixture::settle(*song);
    ++song->selectionStamp;
    song->selectionKind = kSelectCues;
    song->cues[0]->selectionStamp = song->selectionStamp;
    const std::string before = DescribeSong(*song);
    f.dialogs.cuePropertiesAnswer = CuePropsParams{kCueFermata, 0, 0, 960, 960, "Hold"};
    song->OnEditProperties();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Edit Cue Properties");
    EXPECT_EQ(f.dialogs.cueStart->name, "A");
    ASSERT_EQ(song->cues.size(), 2u);
    EXPECT_EQ(song->cues[1]->name, "Hold");
    EXPECT_EQ(song->cues[1]->kind, kCueFermata);
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(PropertyEdits, WaveformWalkMakesOneRecordPerOkAndStopsAtCancel)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {});
    song->tracks[2]->type = kWaveTrack;
    song->tracks[2]->events = {UndoFixture::clipEvent(0, "WaveData\\a.wav"), UndoFixture::clipEvent(960, "WaveData\\b.wav"),
                               UndoFixture::clipEvent(1920, "WaveData\\c.wav")};
    song->tracks[2]->events[2].clip()->length = 30'000'000; // 3 s a pass
    ClipboardFixture::settle(*song);
    ++song->selectionStamp;
    song->selectionKind = kSelectAudioClip;
    for (CMidiEvent& e : song->tracks[2]->events)
        e.selectionStamp = song->selectionStamp;
    const std::string before = DescribeSong(*song);
    // The last clip first: moved to 2400 and played 3 times; the next one
    // back to 480; then Cancel.
    f.dialogs.wavePropertiesAnswers = {WavePropsParams{"", 3, 2400, 2}, WavePropsParams{"", 1, 480, 2},
                                       std::nullopt};
    song->OnEditProperties();
    ASSERT_EQ(f.dialogs.waveStarts.size(), 3u);
    EXPECT_EQ(f.dialogs.waveStarts[0].fileName, "WaveData\\c.wav");
    EXPECT_EQ(f.dialogs.waveStarts[0].clipLength, 30'000'000); // the dialog shows the duration
    EXPECT_EQ(f.dialogs.waveStarts[1].fileName, "WaveData\\b.wav");
    EXPECT_EQ(f.dialogs.waveStarts[2].fileName, "WaveData\\a.wav");
    ASSERT_EQ(song->undoList.size(), 2u);
    EXPECT_EQ(song->undoList.back()->label, "Waveform properties");
    const auto& clips = song->tracks[2]->events;
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[1].tick, 480);
    EXPECT_EQ(clips[2].tick, 2400);
    EXPECT_EQ(clips[2].clip()->number, 3);
    ASSERT_TRUE(song->Undo());
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(PropertyEdits, MergedValuesShowWhereEventsDiffer)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {note(480, 60, 90, 240), note(480, 60, 100, 120)});
    selectEvents(*song, {{1, 0}, {1, 1}});
    song->OnEditProperties();
    ASSERT_TRUE(f.dialogs.eventRequest);
    const EventPropsRequest& same = *f.dialogs.eventRequest;
    EXPECT_TRUE(same.multiple);
    EXPECT_EQ(same.message, 0xFF3C90u); // velocities differ
    EXPECT_EQ(same.tick, 480);
    EXPECT_EQ(same.track, 1);
    EXPECT_EQ(same.value2, -1);

    SongPtr mixed = twoTracks(f, {note(0, 60, 90, 240)}, {controller(480, 7, 100, 3)});
    selectEvents(*mixed, {{1, 0}, {2, 0}});
    mixed->OnEditProperties();
    const EventPropsRequest& differing = *f.dialogs.eventRequest;
    EXPECT_EQ(differing.message, 0xFFFFFFFFu);
    EXPECT_EQ(differing.tick, -1);
    EXPECT_EQ(differing.track, -1);
    EXPECT_TRUE(mixed->undoList.empty()); // cancelled
}

TEST(PropertyEdits, MultipleNoteEditChangesOnlyNotesButMovesEveryTick)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {note(0, 60, 90, 240), controller(240, 7, 100), note(480, 62, 90, 240)});
    selectEvents(*song, {{1, 0}, {1, 1}, {1, 2}});
    const std::string before = DescribeSong(*song);
    EventPropsResult r;
    r.kind = EventKindIndex::Note;
    r.track = 2; // Bass, channel 3
    r.tick = 960;
    r.value = 70;
    f.dialogs.eventPropertiesAnswer = r;
    song->OnEditProperties();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Multiple Event Properties");
    const auto& piano = song->tracks[1]->events;
    ASSERT_EQ(piano.size(), 1u);
    EXPECT_EQ(piano[0].message, 0x6407B0u);
    EXPECT_EQ(piano[0].tick, 960);
    const auto& bass = song->tracks[2]->events;
    ASSERT_EQ(bass.size(), 2u);
    for (const CMidiEvent& e : bass) {
        EXPECT_EQ(e.message & 0xFF, 0x93u);
        EXPECT_EQ(e.data2(), 70);
        EXPECT_EQ(e.tick, 960);
        EXPECT_EQ(e.value2, 240);
    }
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(PropertyEdits, WedgeStoredNegativeKeepsItsDirection)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {textEvent(960, "@DR;3;-480")});
    selectEvents(*song, {{1, 0}});
    f.dialogs.wedgeAnswer = WedgeParams{960, 1440, 1, 1};
    song->OnEditProperties();
    ASSERT_TRUE(f.dialogs.wedgeStart);
    EXPECT_EQ(f.dialogs.wedgeStart->direction, 1);
    EXPECT_EQ(f.dialogs.wedgeStart->end, 1440);
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Edit Wedge");
    EXPECT_EQ(textOf(song->tracks[1]->events[0]), "@DR;3;-480");
}

TEST(PropertyEdits, ChordMarkerEditRewritesItsText)
{
    struct Case {
        const char* stored;
        std::array<int32_t, 6> chord;
        const char* text;
        const char* name;
    };
    const Case cases[] = {
        {"@DR;1;129;130;131;132;133;134;x|C", {129, 130, 131, 132, 133, 134}, "x", "C"},
        {"@DR;1;5", {5, 0, 0, 0, 0, 0}, "", ""},
        {"@DR;1;99999999999;;", {INT32_MAX, 0, 0, 0, 0, 0}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ClipboardFixture f;
        SongPtr song = twoTracks(f, {textEvent(480, c.stored)});
        selectEvents(*song, {{1, 0}});
        ChordParams answer;
        answer.track = 1;
        answer.chord = {140, 141, 142, 143, 144, 145};
        answer.text = "y";
        answer.name = "Dm";
        f.dialogs.chordAnswer = answer;
        song->OnEditProperties();
        ASSERT_TRUE(f.dialogs.chordStart);
        EXPECT_EQ(f.dialogs.chordStart->chord, c.chord);
        EXPECT_EQ(f.dialogs.chordStart->text, c.text);
        EXPECT_EQ(f.dialogs.chordStart->name, c.name);
        ASSERT_EQ(song->undoList.size(), 1u);
        EXPECT_EQ(song->undoList.back()->label, "Edit Chord");
        ASSERT_EQ(song->tracks[1]->events.size(), 1u);
        EXPECT_EQ(song->tracks[1]->events[0].tick, 480);
        EXPECT_EQ(textOf(song->tracks[1]->events[0]), "@DR;1;140;141;142;143;144;145;y|Dm");
    }
}

TEST(PropertyEdits, LyricGoesToTheLyricEditorsOwnRecord)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {textEvent(0, "la", 0x05)});
    selectEvents(*song, {{1, 0}});
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Edit Lyric";
    record->events = std::make_unique<CEventList>();
    record->events->sourceKeys = {eventKey(1, 0)};
    f.dialogs.lyricsRecord = std::move(record);
    song->OnEditProperties();
    EXPECT_TRUE(f.dialogs.log.contains("editLyrics(1,0)"));
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Edit Lyric");
}

// A staff marker enables it when the program has the marker's own dialog.
TEST(PropertyEdits, WithoutTheEventDialogOnlyOneSyllableOrMarkerEnablesProperties)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {textEvent(0, "la", 0x05), textEvent(10, "@DR;2;0;mf"), textEvent(20, "@TTitle"),
                                 textEvent(30, "lo ", 0x01)});
    f.dialogs.missing = {EditDialog::EventProperties};
    const struct {
        std::vector<std::pair<size_t, size_t>> selected;
        bool enabled;
    } cases[] = {
        {{{1, 0}}, true}, {{{1, 3}}, true}, {{{1, 1}}, true}, {{{1, 2}}, false}, {{{1, 0}, {1, 3}}, false},
        {{{1, 1}, {1, 3}}, false},
    };
    for (const auto& c : cases) {
        selectEvents(*song, c.selected);
        EXPECT_EQ(song->OnUpdateEditProperties(), c.enabled) << c.selected.size() << " " << c.selected[0].second;
    }
    f.dialogs.missing.insert(EditDialog::EditLyrics);
    selectEvents(*song, {{1, 0}});
    EXPECT_FALSE(song->OnUpdateEditProperties());
    f.dialogs.missing.insert(EditDialog::ExpressionText);
    selectEvents(*song, {{1, 1}});
    EXPECT_FALSE(song->OnUpdateEditProperties());
}

TEST(PropertyEdits, SelectedRowsReachTheTrackView)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {});
    song->selectionKind = kSelectTracks;
    song->OnEditProperties();
    EXPECT_EQ(f.host.log.count("editTrackProperties"), 1u);
}

SongPropsParams propsOf(const CSongDoc& song)
{
    SongPropsParams p;
    p.format = song.format;
    p.title = song.title;
    p.timeBase = song.timeBase;
    return p;
}

TEST(PropertyEdits, SongPropertiesUndo)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {note(480, 60, 90, 240)});
    song->title = "Old";
    const std::string before = DescribeSong(*song);
    SongPropsParams p = propsOf(*song);
    p.title = "New";
    p.author = "Me";
    p.volumeStep = 16;
    p.specifyTempo = true;
    p.tempo = 400000;
    f.dialogs.songPropertiesAnswer = p;
    song->EditSongProperties();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Edit Song Properties");
    EXPECT_EQ(song->title, "New");
    EXPECT_DOUBLE_EQ(song->relativeVolume, 2.0);
    EXPECT_EQ(song->performanceTempo, 400000u);
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(PropertyEdits, TimeBaseChangeKeepsOnlyThePropertiesRecord)
{
    ClipboardFixture f;
    SongPtr song = twoTracks(f, {note(480, 60, 90, 240)});
    f.dialogs.keySignatureAnswer = KeySignatureParams{2, 0, 0};
    song->OnInsertKeySignature();
    ASSERT_EQ(song->undoList.size(), 1u);
    SongPropsParams p = propsOf(*song);
    p.title = "Rescaled";
    p.timeBase = 960;
    f.dialogs.songPropertiesAnswer = p;
    song->EditSongProperties();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Edit Song Properties");
    EXPECT_EQ(song->timeBase, 960);
    EXPECT_EQ(song->tracks[1]->events[0].tick, 960);
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(song->timeBase, 960);
    EXPECT_EQ(song->tracks[1]->events[0].tick, 960);
    EXPECT_NE(song->title, "Rescaled");
    EXPECT_FALSE(song->Undo());
}

} // namespace
} // namespace rz::test
