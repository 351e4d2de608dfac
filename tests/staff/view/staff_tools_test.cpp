#include "tests/staff/view/staff_rig.h"

#include "core/midi_bytes.h"
#include "res/command_ids.h"
#include "song/describe_song.h"
#include "song/selection.h"
#include "song/undo_record.h"
#include "staff/model/staff_edit.h"
#include "staff/staff_mouse.h"
#include "tests/support/fake_midi_out.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace rz {
namespace {

using test::StaffRig;
using test::note;

// The view's document rectangles are written by painting: draw first.
StaffView& shown(StaffRig& rig, bool leadSheet = false)
{
    StaffView& view = rig.open(leadSheet);
    rig.picture();
    return view;
}

void refresh(StaffRig& rig)
{
    rig.view->songUpdate(0);
    rig.picture();
}

// The client centre of the head drawn for a track event on a staff.
QPoint headOf(const StaffView& view, int staffIndex, int eventIndex)
{
    const CStaffTrack& staff = view.model().staves[size_t(staffIndex)];
    for (const auto& beat : staff.voices)
        for (const auto& note : beat->notes)
            for (const CStaffItem& item : note->items)
                if (!note->rest && staff.spans[size_t(item.span)].eventIndex == eventIndex) {
                    const QRect area = view.notationRect();
                    return QPoint((item.rect.left + item.rect.right) / 2 + area.left() - view.originX(),
                                  (item.rect.top + item.rect.bottom) / 2 + area.top() - view.originY());
                }
    ADD_FAILURE() << "no head for event " << eventIndex;
    return {};
}

void drag(StaffView& view, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(&view, Qt::LeftButton, modifiers, from);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, modifiers, to);
}

void click(StaffView& view, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseClick(&view, Qt::LeftButton, modifiers, at);
}

std::string textOf(const CMidiEvent& event)
{
    const auto bytes = event.data.bytes();
    return std::string(bytes.begin(), bytes.end());
}

// Notes at 480 (C4) and a chord at 1440 (E4, G4).
int addChordTrack(StaffRig& rig)
{
    const int number = rig.addTrack();
    auto& events = rig.track(number).events;
    events.push_back(note(480, 60, 90, 400));
    events.push_back(note(1440, 64, 90, 400));
    events.push_back(note(1440, 67, 90, 400));
    return number;
}

std::vector<std::pair<int32_t, int>> notesOf(const CTrack& track)
{
    std::vector<std::pair<int32_t, int>> out;
    for (const CMidiEvent& e : track.events)
        if (e.isNote())
            out.push_back({e.tick, e.data1()});
    return out;
}

TEST(StaffTools, AClickWhilePlayingOnlyStartsPlaybackThere)
{
    StaffRig rig(4);
    const int number = addChordTrack(rig);
    StaffView& view = shown(rig);
    const std::string before = DescribeSong(*rig.song);
    const uint32_t stamp = rig.song->selectionStamp;
    rig.fixture.engine.state = TransportState::Playing;
    const QPoint at = headOf(view, 0, 1);
    drag(view, at, at + QPoint(40, -30));
    EXPECT_TRUE(rig.fixture.engine.log.contains("Play(" + std::to_string(view.pointToTime(at).tick) + ")"))
        << testing::PrintToString(rig.fixture.engine.log.calls());
    EXPECT_EQ(rig.song->selectionStamp, stamp);
    EXPECT_TRUE(rig.song->undoList.empty());
    EXPECT_EQ(DescribeSong(*rig.song), before);
    EXPECT_EQ(rig.track(number).events[1].selectionStamp, 0u);
}

// The chord at 1440 pressed by its top note and dragged far: the box stops
// at the keyboard's ends, and at tick 0 for the earlier note.
TEST(StaffTools, ADraggedChordStopsAtTheEndsOfTheKeysAndAtTickZero)
{
    struct Case {
        const char* name;
        std::function<QPoint(const StaffView&, QPoint)> target;
        std::vector<std::pair<int32_t, int>> expected;
    };
    const Case cases[] = {
        {"up", [](const StaffView&, QPoint head) { return QPoint(head.x(), -600); },
         {{480, 101}, {1440, 105}, {1440, 108}}},
        {"down", [](const StaffView&, QPoint head) { return QPoint(head.x(), 2400); },
         {{480, 21}, {1440, 25}, {1440, 28}}},
        {"left", [](const StaffView& v, QPoint head) { return QPoint(v.notationRect().left() - 300, head.y()); },
         {{0, 60}, {960, 64}, {960, 67}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StaffRig rig(4);
        const int number = addChordTrack(rig);
        StaffView& view = shown(rig);
        view.mouse().selectAll();
        const QPoint head = headOf(view, 0, 2);
        drag(view, head, c.target(view, head));
        auto got = notesOf(rig.track(number));
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.expected);
        ASSERT_EQ(rig.song->undoList.size(), 1u);
        EXPECT_EQ(rig.song->undoList.back()->label, "Drag in Staff View");
    }
}

TEST(StaffTools, AShortDragIsAClick)
{
    StaffRig rig(4);
    const int number = addChordTrack(rig);
    StaffView& view = shown(rig);
    view.mouse().selectAll();
    const std::string before = DescribeSong(*rig.song);
    const QPoint head = headOf(view, 0, 0);
    drag(view, head, head + QPoint(1, 1));
    EXPECT_TRUE(rig.song->undoList.empty());
    const auto& events = rig.track(number).events;
    EXPECT_EQ(events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_NE(events[1].selectionStamp, rig.song->selectionStamp);
    EXPECT_NE(events[2].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
    EXPECT_EQ(rig.song->selectionFrom, 480);
    EXPECT_EQ(rig.song->selectionTo, 880);
    EXPECT_EQ(notesOf(rig.track(number)), (std::vector<std::pair<int32_t, int>>{{480, 60}, {1440, 64}, {1440, 67}}));
    (void)before;
}

TEST(StaffTools, CtrlAtThePressCopiesInsteadOfMoving)
{
    StaffRig rig(4);
    const int number = addChordTrack(rig);
    StaffView& view = shown(rig);
    const QPoint head = headOf(view, 0, 0);
    const QPoint later = view.timeToPoint(960, 0, 0);
    drag(view, head, QPoint(later.x(), head.y()), Qt::ControlModifier);
    auto got = notesOf(rig.track(number));
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::pair<int32_t, int>>{{480, 60}, {960, 60}, {1440, 64}, {1440, 67}}));
    EXPECT_EQ(rig.song->undoList.size(), 1u);
}

TEST(StaffTools, ARulerRangeDraggedRightToLeftIsStoredAscending)
{
    StaffRig rig(4);
    addChordTrack(rig);
    StaffView& view = shown(rig);
    const int y = view.rulerHeight() / 2;
    ASSERT_GT(y, 0);
    const QPoint from(view.timeToPoint(3 * 1920, 0, 0).x(), y);
    const QPoint to(view.timeToPoint(1920, 0, 0).x(), y);
    drag(view, from, to);
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(rig.song->selectionFrom, 1920);
    EXPECT_EQ(rig.song->selectionTo, 3 * 1920);
    // Released where it began: no range at all.
    drag(view, to, to);
    EXPECT_EQ(rig.song->selectionKind, 0u);
}

TEST(StaffTools, TheLeadSheetIgnoresClicks)
{
    StaffRig rig(4);
    addChordTrack(rig);
    rig.tools.tool = 1;
    StaffView& view = shown(rig, true);
    const std::string before = DescribeSong(*rig.song);
    const uint32_t stamp = rig.song->selectionStamp;
    for (const QPoint at : {QPoint(60, 60), QPoint(120, 90), QPoint(200, 40)}) {
        drag(view, at, at + QPoint(30, 30));
        QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, at);
    }
    EXPECT_EQ(rig.song->selectionStamp, stamp);
    EXPECT_TRUE(rig.song->undoList.empty());
    EXPECT_EQ(DescribeSong(*rig.song), before);
    EXPECT_EQ(rig.dialogs.log.calls().size(), 0u);
}

// On the upper staff of a grand staff, below its range: the note keeps to
// that staff by its override.
TEST(StaffTools, ADrawnNoteTakesThePointedPitchTheTickTheLengthAndItsStaff)
{
    StaffRig rig(4);
    const int number = rig.addTrack(kGrandStaff);
    rig.tools.tool = 1;
    rig.tools.noteType = 3;
    rig.tools.duration = 240;
    FakeMidiOut port;
    rig.track(number).outputPort = &port;
    rig.track(number).channel = 2;
    StaffView& view = shown(rig);
    ASSERT_EQ(view.model().staves.size(), 2u);
    const CStaffTrack& upper = view.model().staves[0];
    const int position = positionOfPitch(upper, upper.lowestPitch) - 3;
    const int pitch = pitchOfPosition(upper, position);
    ASSERT_LT(pitch, upper.lowestPitch);
    const QPoint at = view.timeToPoint(1920, 0, position);
    click(view, at);
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Draw Note");
    const auto& events = rig.track(number).events;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].tick, 1920);
    EXPECT_EQ(events[0].data1(), pitch);
    EXPECT_EQ(events[0].value2, 240);
    EXPECT_EQ(events[0].notation, 1);
    EXPECT_EQ(midi::channelOf(events[0].message), 2);
    // The audition sounded the pitch as a preview and ended it.
    const uint32_t on = StaffMouse::kPreviewTag | midi::noteOn(2, pitch, 100);
    const uint32_t off = StaffMouse::kPreviewTag | midi::noteOn(2, pitch, 0);
    EXPECT_EQ(port.shortMessages, (std::vector<uint32_t>{on, off}));
}

TEST(StaffTools, ThePedalToolWritesDownAndUpTwoQuartersApart)
{
    StaffRig rig(4);
    const int number = rig.addTrack();
    rig.track(number).channel = 5;
    rig.tools.tool = 1;
    rig.tools.noteType = -2;
    StaffView& view = shown(rig);
    // Below the notes: positions lo - 8 .. lo - 5, lo the staff's bottom line.
    click(view, view.timeToPoint(960, 0, -10));
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Draw Sustain Pedal");
    const auto& events = rig.track(number).events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message, midi::controlChange(5, 64, 127));
    EXPECT_EQ(events[0].tick, 960);
    EXPECT_EQ(events[1].message, midi::controlChange(5, 64, 0));
    EXPECT_EQ(events[1].tick, 1920);
    // Above the staff the pedal has no place.
    click(view, view.timeToPoint(960, 0, 8));
    EXPECT_EQ(rig.song->undoList.size(), 1u);
}

TEST(StaffTools, AWedgeStoresItsLengthSignedByDirection)
{
    for (const int direction : {0, 1}) {
        SCOPED_TRACE(direction);
        StaffRig rig(4);
        const int number = rig.addTrack();
        rig.tools.tool = 1;
        rig.tools.noteType = -1;
        rig.dialogs.wedgeAnswer = WedgeParams{.begin = 960, .end = 1680, .direction = direction, .track = number};
        StaffView& view = shown(rig);
        click(view, view.timeToPoint(960, 0, -8));
        ASSERT_TRUE(rig.dialogs.wedgeStart);
        EXPECT_EQ(rig.dialogs.wedgeStart->begin, 960);
        EXPECT_EQ(rig.dialogs.wedgeStart->end, 1440);
        EXPECT_EQ(rig.dialogs.wedgeStart->direction, 1);
        ASSERT_EQ(rig.song->undoList.size(), 1u);
        EXPECT_EQ(rig.song->undoList.back()->label, "Draw Wedge");
        const auto& events = rig.track(number).events;
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].tick, 960);
        EXPECT_EQ(textOf(events[0]), direction ? "@DR;3;-720" : "@DR;3;720");
    }
}

// Every tool's edit is one undo step, and undoing it gives the song back.
TEST(StaffTools, EachEditIsOneUndoStepBackToTheSameSong)
{
    struct Case {
        const char* name;
        std::function<void(StaffRig&, StaffView&)> edit;
    };
    const Case cases[] = {
        {"move",
         [](StaffRig&, StaffView& v) {
             const QPoint head = headOf(v, 0, 0);
             drag(v, head, head + QPoint(60, -20));
         }},
        {"copy",
         [](StaffRig&, StaffView& v) {
             const QPoint head = headOf(v, 0, 1);
             drag(v, head, head + QPoint(60, 0), Qt::ControlModifier);
         }},
        {"note",
         [](StaffRig& r, StaffView& v) {
             r.tools.tool = 1;
             click(v, v.timeToPoint(3 * 1920, 0, 2));
         }},
        {"pedal",
         [](StaffRig& r, StaffView& v) {
             r.tools.tool = 1;
             r.tools.noteType = -2;
             click(v, v.timeToPoint(2 * 1920, 0, -11));
         }},
        {"expression",
         [](StaffRig& r, StaffView& v) {
             r.tools.tool = 1;
             r.tools.noteType = -3;
             r.dialogs.expressionTextAnswer = ExpressionTextParams{.text = "mf", .tick = 3840, .track = 1};
             click(v, v.timeToPoint(3840, 0, -13));
         }},
        {"chord",
         [](StaffRig& r, StaffView& v) {
             r.tools.tool = 1;
             r.tools.noteType = -3;
             ChordParams chord;
             chord.insertMode = 2;
             chord.chord = {1, 2, 3, 4, 5, 6};
             chord.name = "C7";
             chord.notes = {midi::noteOn(0, 60, 100), midi::noteOn(0, 64, 100)};
             r.dialogs.chordAnswer = chord;
             click(v, v.timeToPoint(3840, 0, 10));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StaffRig rig(4);
        addChordTrack(rig);
        StaffView& view = shown(rig);
        // The hand-built song gets its derived ends as an undo leaves them.
        rig.song->ApplyEdit(pedalRecord(*rig.song, 1, 0));
        ASSERT_TRUE(rig.song->Undo());
        refresh(rig);
        const std::string before = DescribeSong(*rig.song);
        c.edit(rig, view);
        ASSERT_EQ(rig.song->undoList.size(), 1u);
        EXPECT_NE(DescribeSong(*rig.song), before);
        ASSERT_TRUE(rig.song->Undo());
        EXPECT_EQ(DescribeSong(*rig.song), before);
    }
}

TEST(StaffTools, ChordMarkerAndNotesFollowTheInsertMode)
{
    StaffRig rig(4);
    const int number = rig.addTrack();
    rig.tools.tool = 1;
    rig.tools.noteType = -3;
    rig.tools.duration = 960;
    ChordParams chord;
    chord.insertMode = 2;
    chord.tick = 1920;
    chord.chord = {134, 134, 134, 134, 134, 134};
    chord.text = "x";
    chord.name = "Dm";
    chord.notes = {midi::noteOn(0, 62, 100), midi::noteOn(0, 65, 100), midi::noteOn(0, 69, 100)};
    rig.dialogs.chordAnswer = chord;
    StaffView& view = shown(rig);
    click(view, view.timeToPoint(1920, 0, 10));
    ASSERT_TRUE(rig.dialogs.chordStart);
    EXPECT_EQ(rig.dialogs.chordStart->tick, 1920);
    EXPECT_EQ(rig.dialogs.chordStart->track, number);
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    EXPECT_EQ(rig.song->undoList.back()->label, "Insert Chord");
    const auto& events = rig.track(number).events;
    ASSERT_EQ(events.size(), 4u);
    int notes = 0;
    for (const CMidiEvent& e : events) {
        EXPECT_EQ(e.tick, 1920);
        if (e.isNote()) {
            ++notes;
            EXPECT_EQ(e.value2, 960);
        } else {
            EXPECT_EQ(textOf(e), "@DR;1;134;134;134;134;134;134;x|Dm");
        }
    }
    EXPECT_EQ(notes, 3);
    EXPECT_EQ(rig.song->position(), 1920);
}

TEST(StaffTools, TheStatusLineNamesThePitchUnderTheMouse)
{
    StaffRig rig(4, {{4, 4, 2}});
    rig.addTrack();
    StaffView& view = shown(rig);
    // Treble staff: position -6 is middle C; the F line names F, spelled in D major.
    view.mouse().move(view.timeToPoint(0, 0, -6), Qt::NoModifier, false);
    view.mouse().move(view.timeToPoint(0, 0, -3), Qt::NoModifier, false);
    const auto& calls = rig.fixture.host.log.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].rfind("SetStatusText(C4 (60) @ ", 0), 0u) << calls[calls.size() - 2];
    EXPECT_EQ(calls.back().rfind("SetStatusText(F4 (65) @ ", 0), 0u) << calls.back();
}

// With a mark tool the status line names the zone under the pointer, and
// off every zone says where the tool's lies.
TEST(StaffTools, TheStatusLineNamesTheMarkZoneUnderThePointer)
{
    StaffRig rig(4);
    rig.addTrack();
    rig.tools.tool = 1;
    StaffView& view = shown(rig);
    struct Case {
        int noteType;
        int position;
        std::string status;
    };
    const Case cases[] = {
        {-1, -8, "Wedge @ 1:3:000"},
        {-1, 8, "Wedge: under the notes"},
        {-2, -10, "Sustain pedal @ 1:3:000"},
        {-3, 10, "Chord symbol @ 1:3:000"},
        {-3, -8, "Lyric @ 1:3:000"},
        {-3, -12, "Expression text @ 1:3:000"},
        {2, -6, "C4 (60) @ 1:3:000"},
    };
    for (const Case& c : cases) {
        rig.tools.noteType = c.noteType;
        view.mouse().move(view.timeToPoint(960, 0, c.position), Qt::NoModifier, false);
        const auto& calls = rig.fixture.host.log.calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), "SetStatusText(" + c.status + ")") << c.noteType << " " << c.position;
    }
}

TEST(StaffTools, UpAndDownStepTheTrackListAndLeftRightScroll)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = shown(rig);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(rig.fixture.trackRows.log.count("stepCurrentRow"), 2u);
    ASSERT_GT(view.lines().maxOriginX, 16);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.originX(), 16);
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(view.originX(), 0);
}

TEST(StaffTools, TheBandSelectsTheHeadsItCovers)
{
    StaffRig rig(4);
    const int number = addChordTrack(rig);
    StaffView& view = shown(rig);
    const QPoint first = headOf(view, 0, 0);
    const QPoint chordTop = headOf(view, 0, 2);
    // From above the chord's top to below the first note, right to left.
    const QPoint from(chordTop.x() + 6, view.notationRect().top() + 2);
    const QPoint to(first.x() + 6, view.notationRect().bottom() - 2);
    drag(view, from, to);
    const auto& events = rig.track(number).events;
    EXPECT_NE(events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(events[1].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(events[2].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
    EXPECT_TRUE(rig.song->undoList.empty());
    EXPECT_EQ(events[1].pendingChange, 0);
}

TEST(StaffTools, TheDrawCursorsFollowTheZones)
{
    StaffRig rig(4);
    rig.addTrack();
    rig.tools.tool = 1;
    StaffView& view = shown(rig);
    rig.tools.noteType = -2;
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, -10)).zone, StaffMouse::kPedalZone);
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, 8)).cursor().shape(), Qt::ForbiddenCursor);
    rig.tools.noteType = -3;
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, 10)).zone, StaffMouse::kChordZone);
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, -12)).zone, StaffMouse::kExpressionZone);
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, -8)).zone, StaffMouse::kLyricZone);
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, -8)).cursor().shape(), Qt::BitmapCursor);
    rig.tools.tool = 0;
    EXPECT_EQ(view.mouse().cursorAt(view.timeToPoint(960, 0, -8)).zone, StaffMouse::kNoZone);
}

} // namespace
} // namespace rz

namespace rz {
namespace {

TEST(StaffTools, ARightClickOnANoteSelectsItAndOpensItsProperties)
{
    StaffRig rig(4);
    const int number = addChordTrack(rig);
    StaffView& view = shown(rig);
    QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, headOf(view, 0, 1));
    const auto& events = rig.track(number).events;
    EXPECT_EQ(events[1].selectionStamp, rig.song->selectionStamp);
    EXPECT_NE(events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(rig.song->position(), 1440);
    EXPECT_EQ(rig.dialogs.log.count("eventProperties"), 1u) << testing::PrintToString(rig.dialogs.log.calls());
    EXPECT_TRUE(rig.song->undoList.empty());
}

TEST(StaffTools, TheContextMenuSwitchesViewsAndRunsTheViewsCommands)
{
    StaffRig rig(4);
    addChordTrack(rig);
    StaffView& view = shown(rig);
    const std::unique_ptr<QMenu> menu = view.mouse().contextMenu();
    QStringList texts;
    QAction* options = nullptr;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? "-" : action->text());
        if (action->data().toUInt() == kIdStaffOptions)
            options = action;
    }
    EXPECT_EQ(texts.join(","), "Clips  Cues,Events,Staff,Piano roll,Karaoke,Lead-sheet,Time,Velocity,-,"
                               "Spawn top level &window,-,Staff options...,Pr&operties");
    ASSERT_TRUE(options);
    options->trigger();
    EXPECT_EQ(rig.optionsOpened, 1);
}

TEST(StaffTools, TheAutoscrollRunsWhileTheButtonIsHeld)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = shown(rig);
    ASSERT_GT(view.lines().maxOriginX, 100);
    const QRect area = view.notationRect();
    const QPoint empty(area.left() + 40, area.bottom() - 4);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, empty);
    EXPECT_TRUE(view.mouse().autoscroll().isActive());
    EXPECT_EQ(view.mouse().autoscroll().interval(), StaffMouse::kAutoscrollMs);
    QTest::mouseMove(&view, QPoint(area.right() + 10, empty.y()));
    view.mouse().tick();
    view.mouse().tick();
    EXPECT_EQ(view.originX(), 40);
    QTest::mouseMove(&view, QPoint(area.left() - 10, empty.y()));
    for (int i = 0; i < 4; ++i)
        view.mouse().tick();
    EXPECT_EQ(view.originX(), 0);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(area.left() - 10, empty.y()));
    EXPECT_FALSE(view.mouse().autoscroll().isActive());
}

// Zoomed in and stopped, a click right of the middle moves the position
// there but not the view: a second click at the same screen point means the
// same time, whichever tool made the first.
TEST(StaffTools, AClickStoppedLeavesTheViewWhereItIs)
{
    for (const int tool : {1, 0}) {
        SCOPED_TRACE(tool);
        StaffRig rig(8);
        const int number = rig.addTrack();
        rig.fillQuarters(number);
        rig.tools.tool = tool;
        rig.tools.noteType = 2;
        rig.tools.duration = 480;
        rig.open(false, {700, 300});
        StaffView& view = *rig.view;
        view.setLayoutValues({9, 0});
        refresh(rig);
        const int32_t beat3 = rig.startOf(2) + 960;
        const QPoint atOrigin = view.timeToPoint(beat3, 0, 0);
        view.setHorzPos(atOrigin.x() - view.notationRect().left() - view.lines().visibleWidth * 3 / 4);
        const int origin = view.originX();
        ASSERT_GT(origin, 0);
        const QPoint at = view.timeToPoint(beat3, 0, 0);
        ASSERT_TRUE(view.notationRect().contains(at));
        click(view, at);
        view.follow(); // as the refresh pass after the click
        rig.picture();
        EXPECT_EQ(view.originX(), origin);
        EXPECT_EQ(rig.song->position(), beat3);
        EXPECT_EQ(view.cursorClientX(), at.x());
        EXPECT_EQ(view.pointToTime(at).tick, beat3);
        const auto notes = notesOf(rig.track(number));
        EXPECT_EQ(std::count(notes.begin(), notes.end(), std::pair<int32_t, int>{beat3, 71}), tool);
    }
}

} // namespace
} // namespace rz

namespace rz {
namespace {

// While the button is held the note being drawn shows in red where it goes,
// and goes again with the release.
TEST(StaffTools, TheNoteBeingDrawnShowsUntilTheRelease)
{
    StaffRig rig(4);
    rig.addTrack();
    rig.tools.tool = 1;
    StaffView& view = shown(rig);
    const QPoint at = view.timeToPoint(1920, 0, 2);
    const auto redNear = [&](const QImage& image) {
        int red = 0;
        for (int y = at.y() - 12; y <= at.y() + 12; ++y)
            for (int x = at.x() + 1; x <= at.x() + 16; ++x) // right of the play cursor
                if (image.rect().contains(x, y)) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
                }
        return red;
    };
    EXPECT_EQ(redNear(rig.picture()), 0);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(view.mouse().drawPitch(), 74);
    EXPECT_GT(redNear(rig.picture()), 4);
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(view.mouse().drawPitch(), -1);
    // Without the written note nothing is left there.
    ASSERT_TRUE(rig.song->Undo());
    refresh(rig);
    EXPECT_EQ(redNear(rig.picture()), 0);
}

} // namespace
} // namespace rz

namespace rz {
namespace {

// A note sounding for the draw tool ends however the gesture ends.
TEST(StaffTools, TheAuditionEndsWhenTheGestureIsCutShort)
{
    const std::function<void(StaffRig&)> endings[] = {
        [](StaffRig& r) { r.view->mouse().cancel(); },
        [](StaffRig& r) { r.view.reset(); },
        [](StaffRig& r) { r.view->detach(); },
    };
    for (size_t i = 0; i < std::size(endings); ++i) {
        SCOPED_TRACE(i);
        StaffRig rig(4);
        const int number = rig.addTrack();
        rig.tools.tool = 1;
        FakeMidiOut port;
        rig.track(number).outputPort = &port;
        StaffView& view = shown(rig);
        QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, view.timeToPoint(1920, 0, 0));
        ASSERT_EQ(port.shortMessages.size(), 1u);
        endings[i](rig);
        EXPECT_EQ(port.shortMessages, (std::vector<uint32_t>{StaffMouse::kPreviewTag | midi::noteOn(0, 71, 100),
                                                             StaffMouse::kPreviewTag | midi::noteOn(0, 71, 0)}));
        EXPECT_TRUE(rig.song->undoList.empty());
    }
}

} // namespace
} // namespace rz

namespace rz {
namespace {

// A text dragged with a note moves in time only; the note keeps its pitch.
TEST(StaffTools, ADraggedTextMovesInTimeAndKeepsThePitchOfItsNotes)
{
    StaffRig rig(4);
    const int number = rig.addTrack();
    auto& events = rig.track(number).events;
    events.push_back(note(480, 64, 90, 400));
    CMidiEvent mark;
    mark.tick = 480;
    mark.SetMetaText(1, "@DR;2;0;espressivo");
    events.push_back(mark);
    StaffView& view = shown(rig);
    click(view, headOf(view, 0, 0));
    const CStaffTrack& staff = view.model().staves[0];
    const auto text = std::find_if(staff.texts.begin(), staff.texts.end(),
                                   [](const CStaffText& t) { return t.kind == kExpressionText; });
    ASSERT_NE(text, staff.texts.end());
    ASSERT_GT(text->rect.right, text->rect.left);
    const QRect area = view.notationRect();
    const QPoint on((text->rect.left + text->rect.right) / 2 + area.left() - view.originX(),
                    (text->rect.top + text->rect.bottom) / 2 + area.top() - view.originY());
    const int dx = view.timeToPoint(960, 0, 0).x() - view.timeToPoint(480, 0, 0).x();
    // Shift adds the text to the selected note.
    drag(view, on, on + QPoint(dx, -40), Qt::ShiftModifier);
    ASSERT_EQ(rig.song->undoList.size(), 1u);
    ASSERT_EQ(events.size(), 2u);
    for (const CMidiEvent& e : events) {
        EXPECT_EQ(e.tick, 960);
        if (e.isNote())
            EXPECT_EQ(e.data1(), 64);
        else
            EXPECT_EQ(textOf(e), "@DR;2;0;espressivo");
    }
}

TEST(StaffTools, ADoubleClickInTheRulerSelectsTheMeasure)
{
    StaffRig rig(4);
    addChordTrack(rig);
    StaffView& view = shown(rig);
    const QPoint at(view.timeToPoint(1920 + 700, 0, 0).x(), view.rulerHeight() / 2);
    // As the window system sends it: a click, then the double click.
    click(view, at);
    QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(rig.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(rig.song->selectionFrom, 1920);
    EXPECT_EQ(rig.song->selectionTo, 3840);
}

} // namespace
} // namespace rz
