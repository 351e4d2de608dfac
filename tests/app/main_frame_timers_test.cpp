#include "app_test_fixture.h"
#include "res/command_ids.h"

#include "app/engine_calls.h"
#include "app/flat_status_bar.h"
#include "app/maps/app_startup_accel.h"
#include "core/ms_clock.h"
#include "engine/audio/song_recorder.h"
#include "ui/key_filter.h"
#include "views/frame_timer_ids.h"

#include <fstream>

namespace rz {
namespace {

using frame_timer::kAdvance;
using frame_timer::kAutoSave;
using frame_timer::kSongEnded;
using frame_timer::kTempoReturn;

QString advanceText(const char* seconds)
{
    return QString("Advancing in %1 seconds; use Play/Cue to skip, Play/Stop to cancel.")
        .arg(seconds);
}

// Song A has just played to its end in a set of A and B, in performance mode.
// Each song lasts a measure: the advance passes over songs of no length.
class MainFrameTimersAdvance : public AppFixture {
protected:
    CSongDoc& addSongOfAMeasure(const std::string& title)
    {
        CSongDoc& song = addSong(title);
        song.endTick = 4 * song.timeBase;
        return song;
    }

    void startAtTheEndOfA(int advanceWait, bool advancePlay)
    {
        profile.writeInt("PlaybackOptions", "AdvanceWait", advanceWait);
        profile.writeInt("PlaybackOptions", "AdvancePlay", advancePlay ? 1 : 0);
        start();
        a = &addSongOfAMeasure("A");
        b = &addSongOfAMeasure("B");
        app->SetCurrentSong(a);
        app->setPerformanceMode(true);
        a->setPosition(a->endTick);
        engine.state = TransportState::SongEnded;
        engine.log.clear();
    }

    QString pane0() const { return app->frame()->statusBar()->partText(0); }
    bool advanceRunning() const { return app->frame()->timers().isActive(kAdvance); }

    CSongDoc* a = nullptr;
    CSongDoc* b = nullptr;
};

TEST_F(MainFrameTimersAdvance, AWaitOfOneSecondCountsDownThenStepsAndPlaysAtTheFourthTick)
{
    startAtTheEndOfA(1000, true);
    app->frame()->timers().fire(kSongEnded);
    EXPECT_TRUE(engine.log.contains("Pause()"));
    EXPECT_TRUE(engine.log.contains("Stop(0)"));
    EXPECT_EQ(app->advanceCountdown(), 1000);
    EXPECT_TRUE(advanceRunning());
    for (const char* shown : {"0.7", "0.5", "0.2"}) {
        app->frame()->timers().fire(kAdvance);
        EXPECT_EQ(pane0(), advanceText(shown));
        EXPECT_EQ(app->currentSong(), a);
    }
    engine.log.clear();
    app->frame()->timers().fire(kAdvance);
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_EQ(app->advanceCountdown(), 0);
    EXPECT_FALSE(advanceRunning());
    EXPECT_FALSE(pane0().startsWith("Advancing"));
    EXPECT_EQ(engine.log.calls().back(), "Advance(0)");
}

TEST_F(MainFrameTimersAdvance, NoWaitStepsAtOnceAndWithoutAdvancePlayDoesNotStart)
{
    startAtTheEndOfA(0, false);
    app->frame()->timers().fire(kSongEnded);
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_FALSE(advanceRunning());
    EXPECT_FALSE(engine.log.contains("Advance(0)"));
}

// The recorder plays the set itself: the song end is its to handle.
TEST_F(MainFrameTimersAdvance, WithTheRecorderOpenTheSongEndGoesToItInsteadOfAdvancing)
{
    struct NoSet : IRecorderSet {
        bool setOpen() const override { return false; }
        std::filesystem::path setFolder() const override { return {}; }
        CSongDoc* SelectSongByIndex(size_t) override { return nullptr; }
        bool StepSong() override { return false; }
    } noSet;
    struct NoInput : IRecorderInput {
        uint32_t sampleRate() const override { return 44100; }
        bool attach(CWaveDiskWriter&) override { return false; }
        void release() override {}
    } noInput;
    ManualMsClock clock;
    startAtTheEndOfA(0, true);
    SongRecorder recorder(SongRecorderSeams{profile, prompt, engine, *app, app->files(), noSet, noInput, clock, {}, {}});
    app->songAdvance().setOpenRecorder(&recorder);
    app->frame()->timers().fire(kSongEnded);
    EXPECT_TRUE(engine.log.contains("Stop(0)"));
    EXPECT_TRUE(recorder.songHasEnded());
    EXPECT_EQ(app->currentSong(), a);
    EXPECT_FALSE(engine.log.contains("Advance(0)"));
    app->songAdvance().setOpenRecorder(nullptr);
}

TEST_F(MainFrameTimersAdvance, OutsidePerformanceModeASongEndOnlyStops)
{
    startAtTheEndOfA(1000, true);
    app->setPerformanceMode(false);
    app->frame()->timers().fire(kSongEnded);
    EXPECT_TRUE(engine.log.contains("Stop(0)"));
    EXPECT_EQ(app->advanceCountdown(), 0);
    EXPECT_EQ(app->currentSong(), a);
}

// The timer comes late: the performer has stopped, started or jumped since
// the song ended. Pausing now would chase the chord again, and acting on a
// cue would jump.
TEST_F(MainFrameTimersAdvance, StaleSongEndIsIgnored)
{
    for (const TransportState now : {TransportState::Stopped, TransportState::Playing,
                                     TransportState::Starting, TransportState::Paused}) {
        SCOPED_TRACE(int(now));
        startAtTheEndOfA(0, true);
        engine.state = now;
        app->frame()->timers().fire(kSongEnded);
        EXPECT_TRUE(engine.log.calls().empty());
        EXPECT_EQ(app->currentSong(), a);
        EXPECT_FALSE(app->frame()->timers().isActive(kSongEnded));
        app.reset();
    }
}

TEST_F(MainFrameTimersAdvance, PlayCueSkipsTheRestOfTheWaitAndPlayStopCancelsIt)
{
    startAtTheEndOfA(1000, true);
    addSongOfAMeasure("C"); // B's end counts down too
    app->frame()->timers().fire(kSongEnded);
    app->frame()->timers().fire(kAdvance);
    app->engineCalls().CancelAdvance(true); // what Play/Cue's Advance does first
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_FALSE(advanceRunning());
    EXPECT_TRUE(engine.log.contains("Advance(0)"));

    b->setPosition(b->endTick);
    app->frame()->timers().fire(kSongEnded);
    app->frame()->timers().fire(kAdvance);
    engine.log.clear();
    app->engineCalls().CancelAdvance(false); // what Play/Stop's Stop does
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_EQ(app->advanceCountdown(), 0);
    EXPECT_FALSE(advanceRunning());
    EXPECT_FALSE(pane0().startsWith("Advancing"));
    EXPECT_FALSE(engine.log.contains("Advance(0)"));
}

TEST_F(MainFrameTimersAdvance, AfterTheLastSongNoCountdownRuns)
{
    startAtTheEndOfA(1000, true);
    app->SetCurrentSong(b);
    b->setPosition(b->endTick);
    for (int end = 0; end < 3; ++end) {
        engine.state = TransportState::SongEnded;
        app->frame()->timers().fire(kSongEnded);
        EXPECT_EQ(app->advanceCountdown(), 0);
        EXPECT_FALSE(advanceRunning());
        EXPECT_FALSE(pane0().startsWith("Advancing"));
        EXPECT_EQ(app->currentSong(), b);
        EXPECT_FALSE(engine.log.contains("Advance(0)"));
    }
}

// A song of no length reports its end again and again: the countdown runs
// on to the next song instead of starting over.
TEST_F(MainFrameTimersAdvance, ARepeatedSongEndNeverRestartsTheCountdown)
{
    startAtTheEndOfA(1000, true);
    app->frame()->timers().fire(kSongEnded);
    for (int tick = 0; tick < 3; ++tick) {
        app->frame()->timers().fire(kAdvance);
        engine.state = TransportState::SongEnded;
        app->frame()->timers().fire(kSongEnded);
        EXPECT_EQ(app->advanceCountdown(), 750 - 250 * tick);
        EXPECT_EQ(app->currentSong(), a);
    }
    app->frame()->timers().fire(kAdvance);
    EXPECT_EQ(app->currentSong(), b);
    EXPECT_EQ(engine.log.count("Advance"), 1u);
}

// A set of A, B and then songs that cannot be played: B ends, the step finds
// nothing, nothing plays on and no countdown starts again for B.
TEST_F(MainFrameTimersAdvance, SongsThatCannotBePlayedAreNoPlaceToCountDownTo)
{
    for (const bool thenOneThatPlays : {false, true}) {
        SCOPED_TRACE(thenOneThatPlays);
        startAtTheEndOfA(500, true);
        app->SetCurrentSong(b);
        b->setPosition(b->endTick);
        SetDocument& set = app->set();
        set.AddSong(std::filesystem::path(::testing::TempDir()) / "missing.mid", set.tree().beforeStatus(), 0, false);
        addSong("Empty").endTick = 0;
        CSongDoc* last = thenOneThatPlays ? &addSongOfAMeasure("D") : nullptr;
        engine.log.clear();
        for (int end = 0; end < 3 && app->currentSong() == b; ++end) {
            engine.state = TransportState::SongEnded;
            app->frame()->timers().fire(kSongEnded);
            for (int tick = 0; tick < 4 && advanceRunning(); ++tick)
                app->frame()->timers().fire(kAdvance);
            EXPECT_EQ(app->advanceCountdown(), 0);
        }
        if (last) {
            EXPECT_EQ(app->currentSong(), last);
            EXPECT_EQ(engine.log.count("Advance"), 1u);
        } else {
            EXPECT_EQ(app->currentSong(), b);
            EXPECT_FALSE(engine.log.contains("Advance(0)"));
            engine.state = TransportState::SongEnded;
            app->frame()->timers().fire(kSongEnded);
            EXPECT_FALSE(advanceRunning());
        }
        app.reset();
    }
}

TEST_F(MainFrameTimersAdvance, TheCountdownWritesNoTextOverACommandPromptButRunsOn)
{
    startAtTheEndOfA(1000, false);
    app->frame()->timers().fire(kSongEnded);
    mainStatusPrompt()->setPromptId(kIdPlay); // the pointer is over Play/Cue
    const QString prompt = pane0();
    ASSERT_FALSE(prompt.isEmpty());
    app->frame()->timers().fire(kAdvance);
    EXPECT_EQ(pane0(), prompt);
    EXPECT_EQ(app->advanceCountdown(), 750);
}

class MainFrameTimersAutoSave : public AppFixture {
protected:
    void SetUp() override
    {
        folder = std::filesystem::path(qgetenv("HOME").toStdString()) / "songs";
        std::filesystem::create_directories(folder);
        profile.writeInt("SaveOptions", "AutoSave", 1);
        profile.writeInt("SaveOptions", "AutoSaveMin", 1);
        start();
        mid = &addSong("x", folder / "x.mid");
        kar = &addSong("x", folder / "x.kar");
        mid->SetModifiedFlag(true);
        kar->SetModifiedFlag(true);
    }

    std::filesystem::path folder;
    CSongDoc* mid = nullptr;
    CSongDoc* kar = nullptr;
};

TEST_F(MainFrameTimersAutoSave, ADueMinuteWhilePlayingRetriesAMinuteLater)
{
    ASSERT_EQ(app->autoSave().countdown(), 1);
    engine.state = TransportState::Playing;
    app->frame()->timers().fire(kAutoSave);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.mid.sav"));
    EXPECT_EQ(app->autoSave().countdown(), 1);
    EXPECT_TRUE(app->frame()->timers().isActive(kAutoSave));

    engine.state = TransportState::Stopped;
    app->frame()->timers().fire(kAutoSave);
    EXPECT_TRUE(std::filesystem::exists(folder / "x.mid.sav"));
    EXPECT_TRUE(std::filesystem::exists(folder / "x.kar.sav"));
    EXPECT_TRUE(app->frame()->timers().isActive(kAutoSave));
}

TEST_F(MainFrameTimersAutoSave, EachSongKeepsItsOwnCopyAndASavedSongsCopyGoes)
{
    app->frame()->timers().fire(kAutoSave);
    ASSERT_TRUE(std::filesystem::exists(folder / "x.mid.sav"));
    ASSERT_TRUE(std::filesystem::exists(folder / "x.kar.sav"));
    EXPECT_FALSE(std::filesystem::exists(folder / "x.sav"));
    EXPECT_TRUE(mid->IsModified()) << "a copy leaves the song modified";

    mid->SetModifiedFlag(false); // saved meanwhile
    app->frame()->timers().fire(kAutoSave);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.mid.sav"));
    EXPECT_TRUE(std::filesystem::exists(folder / "x.kar.sav"));
    EXPECT_FALSE(mid->autoRecoverMark);
}

TEST_F(MainFrameTimersAutoSave, WithNothingModifiedNoCopyIsWritten)
{
    mid->SetModifiedFlag(false);
    kar->SetModifiedFlag(false);
    app->frame()->timers().fire(kAutoSave);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

class MainFrameTimers : public AppFixture {};

TEST_F(MainFrameTimers, ConductorReturnStepsBackToExactly100PercentAndStops)
{
    struct Case {
        int rate;
        int32_t from;
    };
    for (const Case c : {Case{10, 103000}, Case{100, 97000}, Case{5000, 150000}}) {
        profile.writeInt("FollowTap", "EnableTempoNorm", 1);
        profile.writeInt("FollowTap", "ReturnRate", c.rate);
        start();
        app->SetTempoMultiplier(c.from, true);
        app->frame()->timers().start(kTempoReturn, 100);
        int ticks = 0;
        while (app->frame()->timers().isActive(kTempoReturn) && ticks++ < 100000) {
            const int32_t before = app->tempoMultiplier();
            app->frame()->timers().fire(kTempoReturn);
            EXPECT_LE(std::abs(app->tempoMultiplier() - 100000), std::abs(before - 100000));
            const int32_t now = app->tempoMultiplier();
            EXPECT_TRUE(now == 100000 || (now > 100000) == (c.from > 100000)) << "passed 100 %";
        }
        EXPECT_EQ(app->tempoMultiplier(), 100000) << "rate " << c.rate;
        EXPECT_FALSE(app->frame()->timers().isActive(kTempoReturn));
        app.reset();
    }
}

TEST_F(MainFrameTimers, WithoutAReturnRateTheTimerStopsAndTheTempoStays)
{
    start();
    app->SetTempoMultiplier(120000, true);
    app->frame()->timers().start(kTempoReturn, 100);
    app->frame()->timers().fire(kTempoReturn);
    EXPECT_EQ(app->tempoMultiplier(), 120000);
    EXPECT_FALSE(app->frame()->timers().isActive(kTempoReturn));
}

TEST_F(MainFrameTimers, TwoRequestsBeforeTheTimerFiresMakeOneView)
{
    registerView(ViewKind::Piano, "piano");
    registerView(ViewKind::Event, "event");
    start();
    app->frame()->timers().start(4, 20);
    app->frame()->timers().start(4, 20);
    ASSERT_TRUE(processUntil([&] { return created["piano"] == 1; }));
    ASSERT_TRUE(processPastMarker(60));
    EXPECT_EQ(created["piano"], 1);

    app->frame()->timers().start(4, 20);
    app->frame()->timers().start(2, 60);
    ASSERT_TRUE(processUntil([&] { return created["event"] == 1; }));
    EXPECT_EQ(created["piano"], 1) << "a request for the shown piano roll keeps it";
    SongView* editor = nullptr;
    app->views().currentViews(&editor, nullptr);
    EXPECT_EQ(editor, app->views().slot(ViewSlots::kEvent));
    EXPECT_EQ(app->views().slot(ViewSlots::kPiano), nullptr);
    EXPECT_EQ(app->views().editorKind(), 2);
}

TEST_F(MainFrameTimers, AnUnregisteredViewKindLeavesThePaneAlone)
{
    registerView(ViewKind::Clip, "clip");
    start();
    app->frame()->timers().fire(1);
    app->frame()->timers().fire(4);
    EXPECT_NE(app->views().slot(ViewSlots::kClip), nullptr);
    EXPECT_EQ(app->views().editorKind(), 1);
}

TEST_F(MainFrameTimers, UnknownIdsAreKilled)
{
    start();
    for (int id : {9, 13, 22, 123, 4242}) {
        app->frame()->timers().start(id, 1000);
        app->frame()->timers().fire(id);
        EXPECT_FALSE(app->frame()->timers().isActive(id)) << id;
    }
}

TEST_F(MainFrameTimers, TheStartupStepInstallsTheChosenMapAndStartsTheSecondTimer)
{
    profile.writeString("AccelMap4", "UseWhich", "Mine");
    // Two records (Ctrl+N -> 57600, F5 -> 32775) and a partial third.
    profile.writeBinary("AccelMap4", "Mine", {9, 0, 'N', 0, 0x00, 0xE1, 1, 0, 0x74, 0, 0x07,
                                              0x80, 1, 0, 0x75});
    start();
    EXPECT_EQ(app->keyFilter().table().records().size(), 81u) << "the built-in map until then";
    app->frame()->timers().fire(frame_timer::kStartup);
    ASSERT_EQ(app->keyFilter().table().records().size(), 2u);
    EXPECT_EQ(app->keyFilter().table().records()[1].command, kIdPlay);
    EXPECT_FALSE(app->frame()->timers().isActive(frame_timer::kStartup));
    EXPECT_TRUE(app->frame()->timers().isActive(frame_timer::kMailslot));
}

TEST(StartupAccelerators, TheProfileChoosesTheTable)
{
    struct Case {
        const char* what;
        int enabled;
        const char* useWhich;
        std::vector<uint8_t> stored;
        std::optional<size_t> records; // nothing: keep the table
    };
    const std::vector<uint8_t> oneRecord{1, 0, 0x70, 0, 0x07, 0x80};
    const Case cases[] = {
        {"switched off", 0, "Default", {}, 0},
        {"built in", 1, "Default", {}, 81},
        {"built in, any case", 1, "dEFAULT", {}, 81},
        {"stored", 1, "Mine", oneRecord, 1},
        {"partial record only", 1, "Mine", {1, 0, 0x70}, std::nullopt},
        {"missing", 1, "Gone", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        MemoryProfile profile;
        profile.writeInt("AccelMap4", "Enabled", c.enabled);
        profile.writeString("AccelMap4", "UseWhich", c.useWhich);
        if (!c.stored.empty())
            profile.writeBinary("AccelMap4", "Mine", c.stored);
        const std::optional<AccelTable> table = readStartupAccelTable(profile);
        ASSERT_EQ(table.has_value(), c.records.has_value()) << c.what;
        if (table) {
            EXPECT_EQ(table->records().size(), *c.records) << c.what;
        }
    }
    MemoryProfile profile;
    readStartupAccelTable(profile);
    EXPECT_EQ(profile.readBinary("AccelMap4", "Default")->size(), 486u)
        << "the built-in map is written back";
}

} // namespace
} // namespace rz
