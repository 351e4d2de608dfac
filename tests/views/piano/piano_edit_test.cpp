#include "piano_rig.h"

#include "core/midi_bytes.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/selection.h"

#include <gtest/gtest.h>

#include <map>

namespace rz {
namespace {

using PianoCtl = PianoEditController;

PianoPointer pianoAt(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return PianoPointer{.at = point, .modifiers = modifiers};
}

// A press, a move in steps and a release.
void drag(PianoCtl& ctl, const PianoGeometry& g, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    ctl.press(g, pianoAt(from, modifiers));
    ctl.move(g, pianoAt((from + to) / 2, modifiers));
    ctl.move(g, pianoAt(to, modifiers));
    ctl.release(g, pianoAt(to, modifiers));
}

std::vector<int> storedKeys(const CTrack& track)
{
    std::vector<int> keys;
    for (const CMidiEvent& e : track.events)
        keys.push_back(e.data1());
    return keys;
}

// Every note-on the previews sent has a note-off for its key after it.
bool everyPreviewEnded(const std::vector<uint32_t>& previews)
{
    std::map<int, int> sounding;
    for (uint32_t m : previews) {
        EXPECT_TRUE(midi::isNoteOn(m)) << std::hex << m;
        sounding[int(m >> 8) & 0x7F] += (m >> 16) != 0 ? 1 : -1;
    }
    for (const auto& [key, count] : sounding)
        if (count != 0)
            return false;
    return true;
}

struct PianoEditRig : PianoRig {
    PianoCtl ctl{*song, band};
    std::vector<int> tracks;

    explicit PianoEditRig(std::vector<int> keys)
    {
        for (int key : keys)
            tracks.push_back(addTrack(key));
        ctl.setShownTracks(tracks);
    }
};

TEST(PianoEdit, DrawingAddsOneNoteToEachThruTrackTransposedBack)
{
    PianoEditRig rig({0, 12});
    rig.fixture.host.tools.tool = 1;
    rig.fixture.host.tools.noteLength = 60;
    rig.fixture.engine.thruKeys = {{rig.tracks[0], 0}, {rig.tracks[1], 12}};
    const QPoint point = rig.at(100, 72);
    EXPECT_TRUE(rig.ctl.press(rig.g, pianoAt(point)));
    rig.ctl.release(rig.g, pianoAt(point));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Draw Note");
    EXPECT_EQ(rig.song->undoList.back()->flags, kUndoEvents);
    for (auto [t, key] : {std::pair{rig.tracks[0], 72}, std::pair{rig.tracks[1], 60}}) {
        ASSERT_EQ(rig.track(t).events.size(), 1u) << t;
        const CMidiEvent& note = rig.track(t).events[0];
        EXPECT_EQ(note.data1(), key);
        EXPECT_EQ(note.tick, 100);
        EXPECT_EQ(note.value2, 60);
    }
    EXPECT_EQ(rig.fixture.engine.previews, (std::vector<uint32_t>{midi::noteOn(0, 72, 100), midi::noteOn(0, 72, 0)}));
}

TEST(PianoEdit, DrawingWithoutATrackToTakeTheNoteLeavesNoUndoStep)
{
    PianoEditRig rig({100});
    rig.fixture.host.tools.tool = 1;
    for (const std::vector<ThruTrackKey>& thru : {std::vector<ThruTrackKey>{}, {{rig.tracks[0], 100}}}) {
        rig.fixture.engine.thruKeys = thru;
        const QPoint point = rig.at(100, 60); // stored key -40 on the transposed track
        rig.ctl.press(rig.g, pianoAt(point));
        rig.ctl.release(rig.g, pianoAt(point));
        EXPECT_TRUE(rig.song->undoList.empty()) << thru.size();
        EXPECT_TRUE(rig.track(rig.tracks[0]).events.empty());
    }
}

TEST(PianoEdit, ABlockToppedByC8StaysWhenDraggedUpAndStopsAtTickZeroLeft)
{
    PianoEditRig rig({0});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(50, 100, 90, 40), test::note(60, 108, 90, 40)};
    rig.ctl.selectAll();
    drag(rig.ctl, rig.g, rig.at(52, 100), rig.at(52, 100) + QPoint(0, -60));
    EXPECT_EQ(storedKeys(track), (std::vector<int>{100, 108})) << "no room above C8: nothing moved";
    EXPECT_TRUE(rig.song->undoList.empty());
    drag(rig.ctl, rig.g, rig.at(52, 100), rig.at(52, 100) + QPoint(-300, 0));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Drag Notes and Cues");
    EXPECT_EQ(rig.song->undoList.back()->flags, kUndoViewMark | kUndoEvents);
    EXPECT_EQ(track.events[0].tick, 0);
    EXPECT_EQ(track.events[1].tick, 10);
}

TEST(PianoEdit, AResizeNeverLeavesADurationBelowOneTick)
{
    PianoEditRig rig({0});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(100, 60, 90, 30), test::note(200, 62, 90, 5)};
    rig.ctl.selectAll();
    // The first note's grip: its last two pixels.
    const QPoint grip = rig.at(129, 60);
    ASSERT_TRUE(rig.ctl.hitTest(rig.g, grip).grip);
    drag(rig.ctl, rig.g, grip, grip + QPoint(-80, 0));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Drag Note Size");
    EXPECT_EQ(track.events[0].value2, 1);
    EXPECT_EQ(track.events[1].value2, 1);
}

TEST(PianoEdit, ACtrlDragCopiesAndACtrlClickOnASelectedNoteDeselectsIt)
{
    PianoEditRig rig({0});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(100, 60, 90, 30)};
    drag(rig.ctl, rig.g, rig.at(105, 60), rig.at(305, 60), Qt::ControlModifier);
    ASSERT_EQ(track.events.size(), 2u);
    EXPECT_EQ(track.events[0].tick, 100) << "the source stays";
    EXPECT_EQ(track.events[1].tick, 300);
    rig.ctl.press(rig.g, pianoAt(rig.at(105, 60)));
    rig.ctl.release(rig.g, pianoAt(rig.at(105, 60)));
    ASSERT_EQ(track.events[0].selectionStamp, rig.song->selectionStamp);
    rig.ctl.press(rig.g, pianoAt(rig.at(105, 60), Qt::ControlModifier));
    rig.ctl.release(rig.g, pianoAt(rig.at(105, 60), Qt::ControlModifier));
    EXPECT_NE(track.events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(rig.song->selectionKind, 0u);
}

TEST(PianoEdit, ABandFromTheNameColumnSelectsItsRowsAcrossTheSong)
{
    PianoEditRig rig({0});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(100, 60, 90, 30), test::note(40000, 61, 90, 30), test::note(100, 70, 90, 30)};
    rig.g.stripWidth = 120;
    rig.g.axis.plotLeft = 120;
    const QPoint from(60, rig.g.rows.yOfKey(62) + 2);
    const QPoint to(80, rig.g.rows.yOfKey(60) + 2);
    drag(rig.ctl, rig.g, from, to);
    const uint32_t stamp = rig.song->selectionStamp;
    EXPECT_EQ(track.events[0].selectionStamp, stamp);
    EXPECT_EQ(track.events[1].selectionStamp, stamp) << "far right of the view";
    EXPECT_NE(track.events[2].selectionStamp, stamp) << "another row";
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
}

TEST(PianoEdit, WithATranspositionOf100NoStoredKeyLeavesTheMidiRange)
{
    PianoEditRig rig({100});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(100, 0, 90, 30), test::note(100, 8, 90, 30)};
    rig.ctl.selectAll();
    // Shown at 100 and 108: down as far as the rows allow.
    drag(rig.ctl, rig.g, rig.at(105, 100), rig.at(105, 100) + QPoint(0, 500));
    for (int key : storedKeys(track))
        EXPECT_TRUE(key >= 0 && key <= 127) << key;
    EXPECT_EQ(storedKeys(track), (std::vector<int>{0, 8}));
}

TEST(PianoEdit, EveryPreviewEndsAlsoWhenTheGestureIsCutShort)
{
    PianoEditRig rig({0});
    CTrack& track = rig.track(rig.tracks[0]);
    track.events = {test::note(100, 60, 90, 30)};
    rig.ctl.press(rig.g, pianoAt(rig.at(105, 60)));
    for (int key = 61; key < 66; ++key)
        rig.ctl.move(rig.g, pianoAt(rig.at(105, key)));
    ASSERT_GT(rig.fixture.engine.previews.size(), 4u);
    rig.ctl.cancel(); // the capture went to another window
    EXPECT_TRUE(everyPreviewEnded(rig.fixture.engine.previews));
    EXPECT_TRUE(rig.song->undoList.empty());
    // The keyboard, and the controller going away mid-press.
    rig.fixture.engine.previews.clear();
    {
        PianoCtl other(*rig.song, rig.band);
        other.setShownTracks(rig.tracks);
        const QPoint key(5, rig.g.rows.yOfKey(60) + 5);
        ASSERT_TRUE(other.press(rig.g, pianoAt(key)));
        EXPECT_EQ(other.mode(), PianoCtl::kKeyboard);
    }
    ASSERT_FALSE(rig.fixture.engine.previews.empty());
    EXPECT_TRUE(everyPreviewEnded(rig.fixture.engine.previews));
}

TEST(PianoEdit, EachGestureIsOneStepThatUndoesToTheSameSong)
{
    PianoEditRig rig({0, 5});
    rig.track(rig.tracks[0]).events = {test::note(100, 60, 90, 30), test::note(300, 64, 90, 30)};
    rig.track(rig.tracks[1]).events = {test::note(200, 55, 90, 30)};
    auto cue = std::make_unique<CCue>();
    cue->time = cue->secondTime = 1000;
    rig.song->cues.push_back(std::move(cue));
    rig.g.cueRects = {QRect(rig.g.axis.xOfTick(1000), 22, 30, 14)};
    RebuildPlayImages(*rig.song, false);
    rig.song->ExtendMeasureMap();
    rig.ctl.selectAll();
    const std::string before = DescribeSong(*rig.song);
    drag(rig.ctl, rig.g, rig.at(105, 60), rig.at(155, 62));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->flags, kUndoViewMark | kUndoEvents | kUndoCues);
    EXPECT_EQ(rig.song->cues[0]->time, 1050);
    EXPECT_EQ(rig.track(rig.tracks[1]).events[0].data1(), 57);
    EXPECT_NE(DescribeSong(*rig.song), before);
    ASSERT_TRUE(rig.song->Undo());
    EXPECT_EQ(DescribeSong(*rig.song), before);
}

TEST(PianoEdit, TheHitTestTriesCuesFirstAndFindsTheGrips)
{
    PianoEditRig rig({0});
    rig.track(rig.tracks[0]).events = {test::note(100, 60, 90, 30)};
    auto cue = std::make_unique<CCue>();
    rig.song->cues.push_back(std::move(cue));
    rig.g.cueRects = {QRect(100, 22, 30, 14)};
    const PianoCtl::Hit onCue = rig.ctl.hitTest(rig.g, QPoint(110, 25));
    EXPECT_EQ(onCue.kind, PianoCtl::Hit::Kind::Cue);
    EXPECT_FALSE(onCue.grip);
    EXPECT_TRUE(rig.ctl.hitTest(rig.g, QPoint(129, 25)).grip);
    const PianoCtl::Hit onNote = rig.ctl.hitTest(rig.g, rig.at(110, 60));
    EXPECT_EQ(onNote.kind, PianoCtl::Hit::Kind::Note);
    EXPECT_EQ(onNote.index, 0u);
    EXPECT_FALSE(rig.ctl.hitTest(rig.g, rig.at(110, 61)));
    EXPECT_FALSE(rig.ctl.hitTest(rig.g, QPoint(10, rig.g.rows.yOfKey(60) + 2))) << "the keyboard";
}

} // namespace
} // namespace rz
