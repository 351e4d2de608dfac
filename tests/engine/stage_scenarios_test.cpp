// The stage's faults one by one: a performer's command at the wrong moment
// must leave no note sounding, no stop undone and no transport frozen. At
// the stage's tempo one song tick is 1 ms: two per timer tick.

#include "tests/engine/performer_stage.h"

#include "core/ms_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <functional>
#include <string>
#include <vector>

namespace rz {
namespace {

using test::controller;
using test::note;

class Scenario {
public:
    explicit Scenario(uint32_t options = kOptionPlayLeavesVamp)
        : stage(options)
    {
    }

    CSequencer& engine() { return *stage.engine; }
    TransportState state() { return engine().transportState(); }

    // Ticks until `done`, the output checked after each; false after
    // `limit` ticks or at a fault in the output.
    bool runUntil(const std::function<bool()>& done, int limit = 5000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            stage.runTicks(1);
            lookAtOutput();
            if (!fault.empty())
                return false;
        }
        return done();
    }

    // Positions seen after each tick, until `done`.
    std::vector<int32_t> positionsUntil(const std::function<bool()>& done, int limit = 5000)
    {
        std::vector<int32_t> seen;
        runUntil(
            [&] {
                seen.push_back(engine().position());
                return done();
            },
            limit);
        return seen;
    }

    void lookAtOutput()
    {
        if (const std::string found = stage.look(); !found.empty() && fault.empty())
            fault = found;
    }

    // Nothing sounds, no pedal is down, and the output broke no rule.
    void expectSilence(const char* when)
    {
        lookAtOutput();
        EXPECT_EQ(fault, "") << when;
        EXPECT_EQ(stage.watch.sounding(), "") << when;
    }

    PerformerStage stage;
    std::string fault;
};

// Jumps back to `start`: the position fell and landed within a few ticks
// of it.
int jumpsTo(const std::vector<int32_t>& seen, int32_t start)
{
    int jumps = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
        if (seen[i] < seen[i - 1] && seen[i] >= start && seen[i] - start < 4)
            ++jumps;
    }
    return jumps;
}

// A held chord with the pedal down on channel 0 across a fermata at 240.
// With "reset on start", Play/Cue in the moment the fermata ends resets the
// ports; the Stop after it must still end the chord and lift the pedal.
TEST(StopAfterSongEnd, StopEndsTheChordAfterAPlayCueThatResetThePorts)
{
    for (const int32_t kind : {kCueFermata, kCueCaesura, kCueHoldCut}) {
        SCOPED_TRACE(kind);
        Scenario show(kOptionResetOnStart | kOptionPlayLeavesVamp);
        CSongDoc& song = show.stage.addSong({{controller(0, 64, 127), note(0, 60, 90, 1000),
            note(0, 64, 90, 1000), controller(1000, 64, 0)}});
        PerformerStage::addCue(song, kind, 240, 480);
        show.stage.makeCurrent(song);
        show.engine().Advance(false);
        ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::SongEnded; }));
        ASSERT_TRUE(show.stage.watch.noteOn(0, 60) && show.stage.watch.pedalDown(0));

        show.engine().Advance(false);
        show.engine().Stop(false);
        show.expectSilence("after Stop");
        show.stage.songEndHandler();
        EXPECT_EQ(show.state(), TransportState::Stopped);
    }
}

// The frame's song-end timer comes after the performer stopped: it must
// neither pause (which chases the chord again) nor act on a cue.
TEST(StopAfterSongEnd, ALateSongEndTimerLeavesTheStopAlone)
{
    Scenario show;
    CSongDoc& song = show.stage.addSong(
        {{controller(0, 64, 127), note(0, 60, 90, 1000), controller(1000, 64, 0)}});
    PerformerStage::addCue(song, kCueFermata, 240, 480);
    show.stage.makeCurrent(song);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::SongEnded; }));
    show.engine().Stop(false);
    show.stage.runTicks(5);
    show.stage.songEndHandler();
    EXPECT_EQ(show.state(), TransportState::Stopped);
    show.expectSilence("after the late timer");
}

// A skip to the next song, with no song to go to: no set, the last song,
// or a set item whose song cannot be had. The song plays on past it.
TEST(SkipWithoutNextSong, TheSongPlaysOnPastTheSkip)
{
    for (const int next : {0, 1}) {
        SCOPED_TRACE(next);
        Scenario show;
        CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 900), note(1000, 62, 90, 400)}});
        PerformerStage::addCue(song, kCueSkip, 240, 240);
        int missing = 0;
        const SetItemHandle item = next == 1 ? reinterpret_cast<SetItemHandle>(&missing) : nullptr;
        show.stage.makeCurrent(song, item);
        show.engine().Advance(false);
        ASSERT_TRUE(show.runUntil([&] { return show.engine().position() > 600; }, 1000))
            << "stands at " << show.engine().position();
        EXPECT_EQ(show.state(), TransportState::Playing);
        EXPECT_EQ(show.engine().songPlayed(), &song);
        EXPECT_EQ(show.fault, "");
    }
}

// A marker inside a vamp, or at its start, leaves the vamp repeating its
// count.
TEST(CueInsideVamp, AMarkerInsideAVampLeavesItRepeating)
{
    for (const int32_t marker : {240, 360}) {
        SCOPED_TRACE(marker);
        Scenario show;
        CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 1800)}});
        PerformerStage::addCue(song, kCueVamp, 480, 240, 3);
        PerformerStage::addCue(song, kCueMarker, marker, marker);
        show.stage.makeCurrent(song);
        show.engine().Advance(false);
        const auto seen = show.positionsUntil([&] { return show.engine().position() > 600; });
        EXPECT_EQ(jumpsTo(seen, 240), 2);
        EXPECT_EQ(show.fault, "");
    }
}

// Nested vamps, each played twice: the inner one repeats within every pass
// of the outer one, also when they share a start or an end.
TEST(CueInsideVamp, NestedVampsRepeatInnerWithinOuter)
{
    const struct {
        int32_t outerStart, outerEnd, innerStart, innerEnd;
        int innerJumps, outerJumps;
    } cases[] = {
        {0, 960, 240, 480, 2, 1}, {0, 480, 240, 480, 2, 1},
        {240, 960, 240, 480, 3, 0}, // both go back to 240
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.outerStart << ".." << c.outerEnd << " holds "
                                        << c.innerStart << ".." << c.innerEnd);
        Scenario show;
        CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 1800)}});
        PerformerStage::addCue(song, kCueVamp, c.outerEnd, c.outerStart, 2);
        PerformerStage::addCue(song, kCueVamp, c.innerEnd, c.innerStart, 2);
        show.stage.makeCurrent(song);
        show.engine().Advance(false);
        const auto seen
            = show.positionsUntil([&] { return show.engine().position() > c.outerEnd + 100; });
        EXPECT_EQ(jumpsTo(seen, c.innerStart), c.innerJumps);
        if (c.outerStart != c.innerStart) {
            EXPECT_EQ(jumpsTo(seen, c.outerStart), c.outerJumps);
        }
        EXPECT_EQ(show.fault, "");
    }
}

// An inner vamp repeating until released: once released, the outer one
// repeats.
TEST(CueInsideVamp, ReleasingTheInnerVampLetsTheOuterRepeat)
{
    Scenario show;
    CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 1800)}});
    const CCue& outer = PerformerStage::addCue(song, kCueVamp, 960, 0, 2);
    const CCue& inner = PerformerStage::addCue(song, kCueVamp, 480, 240, 0);
    show.stage.makeCurrent(song);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().vampPasses() == 2; }));
    EXPECT_EQ(show.engine().activeVamp(), &inner);
    show.engine().ToggleVampExit(true);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().position() > 500; }));
    EXPECT_EQ(show.engine().activeVamp(), &outer);
    EXPECT_TRUE(show.runUntil([&] { return show.engine().position() < 100; }, 1000));
}

// Navigation while an Ad lib section plays towards its hold: the hold
// stays a hold, and Play/Cue then goes where the navigation asked. A
// fermata after the hold is not acted on.
TEST(AdLibNavigation, AHoldStaysAHoldAcrossNavigation)
{
    Scenario show;
    CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 1900)}});
    PerformerStage::addCue(song, kCueAdLib, 480, 960);
    PerformerStage::addCue(song, kCueFermata, 700, 1200);
    show.stage.makeCurrent(song);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().position() >= 500; }));
    song.RepeatMeasure();
    const NextStop asked = show.engine().nextStop();
    ASSERT_TRUE(show.runUntil([&] { return show.state() != TransportState::Playing; }));
    EXPECT_EQ(show.state(), TransportState::Holding);
    show.stage.songEndHandler();
    EXPECT_EQ(show.state(), TransportState::Holding);

    show.stage.runTicks(60); // past the Play/Cue debounce
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::Playing; }, 5));
    EXPECT_LE(show.engine().position(), asked.jumpTo + 4);
    EXPECT_GE(show.engine().position(), asked.jumpTo);
}

// The song-end timer after a stop that was no cue's: it stops; a cue further
// on is left alone.
TEST(AdLibNavigation, TheSongEndTimerActsOnlyOnTheCueReached)
{
    Scenario show;
    CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 1900)}});
    PerformerStage::addCue(song, kCueCaesura, 240, 480);
    PerformerStage::addCue(song, kCueFermata, 720, 1200);
    show.stage.makeCurrent(song);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::SongEnded; }));
    ASSERT_EQ(song.position(), 240);
    show.engine().Pause();
    song.setPosition(200); // where a stop at no cue would leave it
    song.OnTimerCues();
    EXPECT_EQ(song.position(), 200);
    EXPECT_EQ(show.state(), TransportState::Paused);
}

// Old song's chord and pedal ring through a Pause; the frame then shows
// another song and Play/Cue starts it: its start ends the old song's notes.
TEST(SongSwitchNotes, ANewSongsStartEndsTheOldSongsNotes)
{
    Scenario show;
    CSongDoc& first = show.stage.addSong(
        {{controller(0, 64, 127), note(0, 60, 90, 1800), controller(1800, 64, 0)}});
    CSongDoc& next = show.stage.addSong({{note(0, 62, 90, 300, 2)}}, 2);
    show.stage.makeCurrent(first);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().position() > 100; }));
    show.engine().Pause();
    show.lookAtOutput();
    ASSERT_TRUE(show.stage.watch.noteOn(0, 60) && show.stage.watch.pedalDown(0));

    show.stage.makeCurrent(next);
    show.stage.runTicks(60);
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::Playing; }, 5));
    show.lookAtOutput();
    EXPECT_FALSE(show.stage.watch.noteOn(0, 60));
    EXPECT_FALSE(show.stage.watch.pedalDown(0));
    EXPECT_TRUE(show.runUntil([&] { return show.state() == TransportState::SongEnded; }));
    show.expectSilence("at the new song's end");
}

// A Skip switched songs, and before the frame follows the performer stops
// and pauses: the pause sounds the song the engine plays, not the one the
// frame still shows.
TEST(SwitchWindowPause, APauseBeforeTheFrameFollowsChasesTheSongPlayed)
{
    Scenario show;
    CSongDoc& first = show.stage.addSong(
        {{controller(0, 64, 127), note(0, 60, 90, 1800), controller(1800, 64, 0)}});
    PerformerStage::addCue(first, kCueSkip, 240, 240);
    CSongDoc& next = show.stage.addSong({{note(0, 62, 90, 300, 2)}}, 2);
    show.stage.makeCurrent(first, show.stage.itemOf(next));
    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().songPlayed() == &next; }));
    show.stage.runTicks(2);
    show.engine().Stop(false);
    show.engine().Pause();
    show.lookAtOutput();
    EXPECT_EQ(show.fault, "");
    EXPECT_TRUE(show.stage.watch.noteOn(2, 62));
    EXPECT_FALSE(show.stage.watch.noteOn(0, 60));
    EXPECT_FALSE(show.stage.watch.pedalDown(0));

    show.engine().Stop(false);
    show.expectSilence("after Stop");
}

// Two chords that meet on a bar line, and a note later on so the song goes
// past them: 60/64 at 0-480, 62/65 at 480-960, 67 at 1200-1400.
CSongDoc& addTwoChords(Scenario& show)
{
    CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 480), note(0, 64, 90, 480),
        note(480, 62, 90, 480), note(480, 65, 90, 480), note(1200, 67, 90, 200)}});
    show.stage.makeCurrent(song);
    return song;
}

// Keys 48-71 sounding on channel 0, as text.
std::string soundingKeys(Scenario& show)
{
    show.lookAtOutput();
    std::string keys;
    for (int key = 48; key < 72; ++key) {
        if (show.stage.watch.noteOn(0, key))
            keys += (keys.empty() ? "" : " ") + std::to_string(key);
    }
    return keys;
}

// A Pause from Stopped sounds what is at the position: the notes that start
// there, not those that end there.
TEST(PauseChase, APauseSoundsTheNotesAtThePosition)
{
    const struct {
        int32_t at;
        const char* sounding;
    } cases[] = {{0, "60 64"}, {240, "60 64"}, {480, "62 65"}, {960, ""}, {1200, "67"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        Scenario show;
        CSongDoc& song = addTwoChords(show);
        show.engine().LocateSong(song, c.at);
        show.engine().Pause();
        EXPECT_EQ(soundingKeys(show), c.sounding);
        EXPECT_EQ(show.fault, "");
        show.engine().Stop(false);
        show.expectSilence("after Stop");
    }
}

// Navigation while paused ends what the pause sounds and sounds what is at
// the new position, also when a Pause comes before the first tick of the
// start some commands make.
TEST(PausedLocate, NavigationWhilePausedSoundsTheNewPosition)
{
    const struct {
        const char* name;
        int32_t from;
        std::function<void(CSongDoc&)> navigate;
        const char* sounding;
    } cases[] = {
        {"next measure", 0, [](CSongDoc& song) { song.NextMeasure(); }, "62 65"},
        {"previous measure", 480, [](CSongDoc& song) { song.PreviousMeasure(); }, "60 64"},
        {"go to beginning", 480, [](CSongDoc& song) { song.GoToBeginning(); }, "60 64"},
        {"step a beat", 360, [](CSongDoc& song) { song.StepBeatForward(); }, "62 65"},
        {"next note", 240, [](CSongDoc& song) { song.NextNote(); }, "62 65"},
        {"time line", 240, [](CSongDoc& song) { song.JumpTo(1200); }, "67"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario show;
        CSongDoc& song = addTwoChords(show);
        show.engine().LocateSong(song, c.from);
        show.engine().Pause();
        ASSERT_NE(soundingKeys(show), "");
        c.navigate(song);
        show.engine().Pause();
        EXPECT_EQ(soundingKeys(show), c.sounding);
        EXPECT_EQ(show.fault, "");
        show.engine().Stop(false);
        show.expectSilence("after Stop");
    }
}

struct CueSpec {
    int32_t kind, time, secondTime, repeatCount;
};

// A song with a long note, the cues, and a note at `last` so it goes on.
CSongDoc& addCuedSong(Scenario& show, const std::vector<CueSpec>& cues, int32_t last)
{
    CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 100), note(last, 62, 90, 100)}});
    for (const CueSpec& cue : cues)
        PerformerStage::addCue(song, cue.kind, cue.time, cue.secondTime, cue.repeatCount);
    show.stage.makeCurrent(song);
    return song;
}

// Vamps that repeat their count against the jumps inside their stretch: a
// Skip, an inner vamp that ends with them, a vamp that overlaps their start,
// an Ad lib whose hold falls past their end.
TEST(VampHoldsJumps, AVampRepeatsItsCountAgainstTheJumpsInsideIt)
{
    const struct {
        const char* name;
        std::vector<CueSpec> cues;
        int32_t past;         // played until the position passes it
        int32_t start;        // the vamp's start
        int jumps;            // back to it
    } cases[] = {
        {"a skip past the end", {{kCueVamp, 2688, 1920, 3}, {kCueSkip, 2304, 2688, 0}}, 2700, 1920, 2},
        {"an inner vamp takes its turn at the start",
            {{kCueUnused7, 240, 0, 1}, {kCueVamp, 600, 120, 3}, {kCueVamp, 600, 240, 1}}, 620, 120, 2},
        {"advances inside and before",
            {{kCueAdvance, 120, 0, 1}, {kCueVamp, 960, 840, 3}, {kCueVamp, 1200, 840, 2},
                {kCueAdvance, 1200, 960, 1}},
            1220, 840, 5},
        {"twin vamps, a skip and an advance inside",
            {{kCueMarker, 600, 480, 0}, {kCueVamp, 960, 480, 2}, {kCueVamp, 960, 480, 3},
                {kCueSkip, 960, 960, 0}, {kCueVamp, 1080, 720, 2}, {kCueAdvance, 1080, 960, 1}},
            1100, 720, 1},
        {"an ad lib hold past the end",
            {{kCueAdLib, 1260, 1320, 0}, {kCueVamp, 1380, 1200, 2}, {kCueVamp, 1440, 1260, 2}}, 1400, 1200, 1},
        {"an ad lib at the start, held past the end", {{kCueAdLib, 60, 120, 0}, {kCueVamp, 180, 60, 3}}, 190, 60, 2},
        {"an ad lib held past the end, entered after an inner vamp",
            {{kCueVamp, 2400, 1920, 1}, {kCueAdLib, 3060, 3100, 0}, {kCueVamp, 3120, 1920, 2}}, 3130, 1920, 1},
        {"overlapping vamps",
            {{kCueUnused7, 960, 360, 3}, {kCueVamp, 1200, 240, 2}, {kCueVamp, 1440, 960, 2},
                {kCueUnused7, 1440, 1200, 1}},
            1460, 960, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario show;
        addCuedSong(show, c.cues, c.past + 200);
        show.engine().Advance(false);
        const auto seen = show.positionsUntil([&] { return show.engine().position() > c.past; }, 20000);
        ASSERT_GT(seen.back(), c.past);
        EXPECT_EQ(jumpsTo(seen, c.start), c.jumps);
        EXPECT_EQ(show.fault, "");
    }
}

// A vamp repeating until released, with a Skip inside it to a place past
// its end: the band loops before the skip; released, the skip is taken.
TEST(VampHoldsJumps, ASkipPastAVampIsTakenOnceTheVampIsReleased)
{
    Scenario show;
    addCuedSong(show, {{kCueVamp, 5359, 1519, 0}, {kCueSkip, 1920, 7680, 0}}, 8000);
    show.engine().Advance(false);
    const auto looping = show.positionsUntil([&] { return show.engine().vampPasses() == 3; });
    ASSERT_EQ(show.engine().vampPasses(), 3);
    EXPECT_LE(*std::max_element(looping.begin(), looping.end()), 1920);
    show.engine().ToggleVampExit(true);
    const auto leaving = show.positionsUntil([&] { return show.engine().position() >= 7680; });
    ASSERT_GE(leaving.back(), 7680);
    for (const int32_t at : leaving)
        EXPECT_TRUE(at <= 1920 || at >= 7680) << at;
    EXPECT_EQ(show.fault, "");
}


// Ticks in a row the position stood still while the transport played or
// started, at most, over `ticks` ticks; the output checked after each.
int mostTicksInPlace(Scenario& show, int ticks)
{
    int most = 0;
    int run = 0;
    int32_t last = show.engine().position();
    for (int i = 0; i < ticks && show.fault.empty(); ++i) {
        show.stage.runTicks(1);
        show.lookAtOutput();
        const TransportState state = show.state();
        const bool moving = state == TransportState::Playing || state == TransportState::Starting;
        run = moving && show.engine().position() == last ? run + 1 : 0;
        most = std::max(most, run);
        last = show.engine().position();
    }
    return most;
}

// An Advance section repeating until released, a Skip at its first tick
// into its middle, and a switch to the next song there. Each pass takes the
// Skip once and plays on to the section's end; the switch is held while the
// section repeats, and Play/Cue leaves the section where the switch stands.
TEST(VampHoldsJumps, ASkipIntoTheSectionAndASwitchThereNeverFreezeTheTransport)
{
    Scenario show;
    CSongDoc& first = show.stage.addSong({{note(0, 60, 90, 700), note(1100, 64, 90, 300),
        note(1420, 65, 90, 100), note(2000, 67, 90, 100)}});
    PerformerStage::addCue(first, kCueAdvance, 1536, 768);
    PerformerStage::addCue(first, kCueSkip, 768, 1152);
    PerformerStage::addCue(first, kCueSkip, 1152, 1152);
    CSongDoc& next = show.stage.addSong({{note(0, 70, 90, 200), note(400, 71, 90, 100)}}, 1);
    show.stage.makeCurrent(first, show.stage.itemOf(next));
    show.engine().Advance(false);

    EXPECT_LE(mostTicksInPlace(show, 3000), 2) << "a jump loop of no length";
    EXPECT_GE(show.engine().vampPasses(), 3);
    ASSERT_TRUE(show.runUntil([&] {
        const int32_t at = show.engine().position();
        return show.state() == TransportState::Playing && at >= 1250 && at < 1300;
    }));
    EXPECT_TRUE(show.stage.watch.noteOn(0, 64)) << "the note across the Skip's target";
    EXPECT_FALSE(show.stage.watch.noteOn(0, 60)) << "the note before the Skip";

    show.engine().Advance(false);
    ASSERT_TRUE(show.runUntil([&] { return show.engine().songPlayed() == &next; }, 50));
    show.stage.songSwitchHandler(nullptr);
    ASSERT_TRUE(show.runUntil([&] { return show.stage.watch.noteOn(1, 70); }, 50));
    EXPECT_FALSE(show.stage.watch.noteOn(0, 64) || show.stage.watch.noteOn(0, 65));
    show.engine().Stop(false);
    show.expectSilence("after Stop");
}

// A vamp with a shorter one inside that ends with it, and a Skip inside
// both to their shared end. Each vamp that still repeats holds the Skip: the
// inner one while it repeats, then the outer one, which jumps back to its
// start every pass.
TEST(VampHoldsJumps, StackedVampsHoldAJumpToTheirSharedEnd)
{
    const struct {
        const char* name;
        int32_t outerKind;
        int32_t innerKind;
        int32_t innerRepeats;
        int innerJumps; // back to the inner start, in the first pass of the outer
    } cases[] = {
        {"an advance on its last repetition in a vamp until released", kCueUnused7, kCueAdvance, 1, 0},
        {"an advance in a vamp", kCueVamp, kCueAdvance, 1, 0},
        {"a vamp in an advance", kCueAdvance, kCueVamp, 1, 0},
        {"an inner vamp that repeats once more", kCueUnused7, kCueVamp, 2, 1},
        {"an inner advance that repeats twice more", kCueVamp, kCueAdvance, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario show;
        CSongDoc& song = show.stage.addSong({{note(0, 60, 90, 100), note(2000, 62, 90, 100),
            note(3300, 64, 90, 200), note(3900, 67, 90, 100)}});
        PerformerStage::addCue(song, c.outerKind, 3840, 1920);
        PerformerStage::addCue(song, c.innerKind, 3840, 2880, c.innerRepeats);
        PerformerStage::addCue(song, kCueSkip, 3360, 3840);
        show.stage.makeCurrent(song);
        show.engine().Advance(false);
        std::vector<int32_t> played;
        ASSERT_TRUE(show.runUntil([&] {
            played.push_back(show.engine().position());
            return jumpsTo(played, 1920) == 2 || show.engine().position() >= 3840;
        }, 20000));
        EXPECT_LT(*std::max_element(played.begin(), played.end()), 3840) << "the song went on";
        EXPECT_EQ(jumpsTo(played, 1920), 2);
        EXPECT_EQ(jumpsTo(played, 2880), 2 * c.innerJumps);
        ASSERT_TRUE(show.runUntil([&] { return show.engine().position() >= 2100; }));
        EXPECT_FALSE(show.stage.watch.noteOn(0, 64)) << "the note the jump left";
        show.engine().Stop(false);
        show.expectSilence("after Stop");
    }
}

// Skips, vamps and sections on a coarse grid, so that jumps land on one
// another's ticks, with a next song to switch to: played untouched, no cue
// set holds the transport in place.
TEST(JumpCycles, NoCueSetHoldsTheTransportInPlace)
{
    std::mt19937 random(20261211);
    const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    constexpr std::array<int32_t, 4> kKinds = {kCueSkip, kCueVamp, kCueUnused7, kCueAdvance};
    for (int show = 0; show < 200; ++show) {
        Scenario stage;
        CSongDoc& song = stage.stage.addSong({{note(0, 60, 90, 1500), note(1000, 64, 90, 800), note(2600, 62, 90, 100)}});
        std::string cues;
        for (int k = between(2, 6); k > 0; --k) {
            const int32_t kind = kKinds[size_t(between(0, 3))];
            const int32_t time = 240 * between(1, 10);
            int32_t second = 240 * between(0, 10);
            if (kind != kCueSkip)
                second = std::min(second, time - 240);
            PerformerStage::addCue(song, kind, time, second, between(0, 2));
            cues += " " + std::to_string(kind) + "@" + std::to_string(time) + "/" + std::to_string(second);
        }
        CSongDoc& next = stage.stage.addSong({{note(0, 70, 90, 200)}}, 1);
        stage.stage.makeCurrent(song, stage.stage.itemOf(next));
        stage.engine().Advance(between(0, 3) == 0);
        EXPECT_LE(mostTicksInPlace(stage, 2500), 12) << cues;
        stage.engine().Stop(false);
        stage.expectSilence(cues.c_str());
    }
}

// The program clock, moved by hand while the test runs: Play/Cue presses
// closer than the debounce would be ignored.
class HandClock {
public:
    HandClock() { setProgramClock(&clock); }
    ~HandClock() { setProgramClock(nullptr); }
    HandClock(const HandClock&) = delete;
    HandClock& operator=(const HandClock&) = delete;
    ManualMsClock clock{1000};
};

// Play through pressed while playing: the caesura ahead no longer ends the
// song; Play/Cue pressed while playing through makes it end there again.
TEST(PlayThroughChange, TheCuesAheadFollowTheFlagSetWhilePlaying)
{
    const struct {
        bool first, then;
        bool endsAtCaesura;
    } cases[] = {{false, true, false}, {true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.then);
        HandClock hand;
        Scenario show;
        CSongDoc& song = addCuedSong(show, {{kCueCaesura, 960, 960, 0}}, 1400);
        show.engine().Advance(c.first);
        ASSERT_TRUE(show.runUntil([&] { return show.engine().position() >= 480; }));
        hand.clock.advance(1000);
        show.engine().Advance(c.then);
        ASSERT_TRUE(show.runUntil([&] { return show.state() == TransportState::SongEnded; }));
        if (c.endsAtCaesura)
            EXPECT_EQ(song.position(), 960);
        else
            EXPECT_GT(song.position(), song.endTick);
        EXPECT_EQ(show.fault, "");
    }
}

} // namespace
} // namespace rz
