#include "staff/model/staff_edit.h"

#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "tests/staff/model/staff_song.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using test::StaffSong;

TEST(StaffEdit, DragLimitsKeepTicksAndKeysInRange)
{
    struct Case {
        const char* name;
        StaffDragBox box;
        StaffDragOffset wanted;
        int staves;
        StaffDragOffset expected;
    };
    const Case cases[] = {
        {"free", {480, 960, 60, 67, 0, 0, false}, {240, 5, 0}, 1, {240, 5, 0}},
        {"up to the top key", {480, 960, 60, 100, 0, 0, false}, {0, 30, 0}, 1, {0, 8, 0}},
        {"down to the bottom key", {480, 960, 30, 60, 0, 0, false}, {0, -30, 0}, 1, {0, -9, 0}},
        // Notes at 0 and 960, the later pressed and dragged to the start.
        {"not before tick 0", {0, 960, 60, 60, 0, 0, false}, {-960, 0, 0}, 1, {0, 0, 0}},
        {"not past the last tick", {0, kLastEditTick - 10, 60, 60, 0, 0, false}, {100, 0, 0}, 1, {10, 0, 0}},
        {"a note below the keys may only come up", {0, 0, 10, 40, 0, 0, false}, {0, -5, 0}, 1, {0, 0, 0}},
        {"texts keep the pitch", {0, 0, 60, 60, 0, 0, true}, {0, 7, 0}, 1, {0, 0, 0}},
        {"staves among the shown", {0, 0, 60, 60, 1, 2, false}, {0, 0, 3}, 4, {0, 0, 1}},
        {"staves not below the first", {0, 0, 60, 60, 1, 2, false}, {0, 0, -3}, 4, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StaffDragOffset got = limitDrag(c.box, c.wanted, c.staves);
        EXPECT_EQ(got.ticks, c.expected.ticks);
        EXPECT_EQ(got.pitch, c.expected.pitch);
        EXPECT_EQ(got.staves, c.expected.staves);
    }
}

// The written octave goes with the letter: B#3 sounds as key 60.
TEST(StaffEdit, StatusTextSpellsThePitchInTheKey)
{
    StaffSong s(480, {{4, 4}, {4, 4}});
    struct Case {
        int pitch;
        int key;
        const char* prefix;
    };
    const Case cases[] = {
        {60, 0, "C4 (60) @ "}, {61, 2, "C#4 (61) @ "}, {61, -3, "Db4 (61) @ "},
        {60, 7, "B#3 (60) @ "}, {59, -7, "Cb4 (59) @ "}, {21, 0, "A0 (21) @ "},
    };
    for (const Case& c : cases) {
        const std::string text = pitchStatusText(*s.song, c.pitch, c.key, 480);
        EXPECT_EQ(text.rfind(c.prefix, 0), 0u) << text;
    }
    std::string time;
    s.song->FormatTime(2400, time);
    time.erase(0, time.find_first_not_of(' '));
    EXPECT_EQ(pitchStatusText(*s.song, 60, 0, 2400), "C4 (60) @ " + time);
    EXPECT_NE(time.front(), ' ');
}

TEST(StaffEdit, AGrandStaffNoteOutsideItsHalfKeepsToIt)
{
    CStaffTrack upper;
    upper.grandStaff = true;
    upper.lowestPitch = 60;
    CStaffTrack lower;
    lower.grandStaff = true;
    lower.lowerStaff = true;
    lower.highestPitch = 59;
    CStaffTrack single;
    single.lowestPitch = 60;
    EXPECT_EQ(staffOverrideFor(upper, 55), 1);
    EXPECT_EQ(staffOverrideFor(upper, 60), 0);
    EXPECT_EQ(staffOverrideFor(lower, 64), 255);
    EXPECT_EQ(staffOverrideFor(lower, 59), 0);
    EXPECT_EQ(staffOverrideFor(single, 30), 0);
}

TEST(StaffEdit, HitTestTakesTheLastStaffAndTheTopHeadFirst)
{
    StaffModel model;
    model.staves.resize(2);
    for (int s = 0; s < 2; ++s) {
        auto beat = std::make_unique<CStaffBeat>();
        auto note = std::make_unique<CStaffNote>();
        CStaffItem low;
        low.span = 3;
        low.rect = {100, 100, 110, 108};
        CStaffItem high;
        high.span = 4;
        high.rect = {100, 96, 110, 104};
        note->items = {low, high};
        beat->notes.push_back(std::move(note));
        model.staves[size_t(s)].voices.push_back(std::move(beat));
    }
    CStaffText text;
    text.kind = kExpressionText;
    text.eventIndex = 7;
    text.rect = {200, 50, 230, 60};
    model.staves[0].texts.push_back(text);
    const int top = HitTest(model, 105, 100);
    EXPECT_EQ(hitStaff(top), 1);
    EXPECT_FALSE(hitIsText(top));
    EXPECT_EQ(hitIndex(top), 4);
    EXPECT_EQ(hitIndex(HitTest(model, 105, 107)), 3);
    const int onText = HitTest(model, 210, 55);
    EXPECT_EQ(hitStaff(onText), 0);
    EXPECT_TRUE(hitIsText(onText));
    EXPECT_EQ(hitIndex(onText), 0);
    EXPECT_EQ(HitTest(model, 150, 100), kNoHit);
    // A rest's heads and an undrawn text never hit.
    model.staves[1].voices[0]->notes[0]->rest = true;
    model.staves[0].voices[0]->notes[0]->rest = true;
    EXPECT_EQ(HitTest(model, 105, 100), kNoHit);
    model.staves[0].texts[0].rect = {};
    EXPECT_EQ(HitTest(model, 0, 0), kNoHit);
}

// A text listed from both halves of a grand staff moves once.
TEST(StaffEdit, ADragRecordMovesEachEventOnce)
{
    StaffSong s;
    CTrack& track = s.track(kGrandStaff);
    CMidiEvent text;
    text.tick = 480;
    text.SetMetaText(1, "@DR;2;0;mf");
    track.events.push_back(text);
    const StaffModel model = s.build();
    ASSERT_EQ(model.staves.size(), 2u);
    int upperText = -1;
    for (size_t i = 0; i < model.staves[0].texts.size(); ++i)
        if (model.staves[0].texts[i].eventIndex == 0)
            upperText = int(i);
    ASSERT_GE(upperText, 0);
    const StaffDragItem items[] = {{0, upperText, true}, {0, upperText, true}};
    auto record = dragRecord(*s.song, model, items, StaffDragOffset{480, 0, 0}, false);
    ASSERT_TRUE(record);
    EXPECT_EQ(s.song->ApplyEdit(std::move(record)), ApplyResult::Applied);
    ASSERT_EQ(track.events.size(), 1u);
    EXPECT_EQ(track.events[0].tick, 960);
    EXPECT_EQ(dragRecord(*s.song, model, items, StaffDragOffset{}, false), nullptr);
}

} // namespace
} // namespace rz
