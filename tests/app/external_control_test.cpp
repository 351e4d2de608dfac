// External control: a matched control map entry drives the program.
#include "app/engine_calls.h"
#include "app/frame_timers.h"
#include "app/maps/external_control_actions.h"
#include "core/tempo_multiplier.h"
#include "engine/sequencer_inputs.h"
#include "res/command_ids.h"
#include "tests/app/app_test_fixture.h"
#include "ui/command_router.h"
#include "views/frame_timer_ids.h"

// A namespace of its own: the fixture's name is also the engine's event's.
namespace rz::external_control_tests {
namespace {

constexpr int kRepeatTimer = frame_timer::kControlRepeat;

// A map entry: action, number (note or program), kind (0 note, 0xC0 program).
uint32_t entry(int action, int number = 60, int kind = 0)
{
    return uint32_t(action) | uint32_t(number) << 8 | uint32_t(kind) << 16;
}

// A MIDI short message with its second data byte `value`.
uint32_t message(int status, int data1, int data2)
{
    return uint32_t(status) | uint32_t(data1) << 8 | uint32_t(data2) << 16;
}

class ExternalControl : public AppFixture {
protected:
    void SetUp() override
    {
        start();
        for (const char* title : {"A", "B", "C"})
            addSong(title);
        app->router().addExecutedListener([this](CommandId id) { ran.push_back(id); });
    }

    void press(int action, int kind = 0, uint32_t midi = 0x7F3C90)
    {
        app->engineCalls().OnExternalControl({ExternalControlKind::Press, entry(action, 60, kind), midi});
    }
    void release() { app->engineCalls().OnExternalControl({ExternalControlKind::Release, 0, 0x003C90}); }
    void bend(int value)
    {
        app->engineCalls().OnExternalControl({ExternalControlKind::TempoBend, kTempoBendEntry,
                                message(0xE0, value & 0x7F, value >> 7)});
    }
    void tick() { app->frame()->timers().fire(kRepeatTimer); }
    bool repeating() const { return app->frame()->timers().isActive(kRepeatTimer); }
    size_t count(CommandId id) const { return size_t(std::count(ran.begin(), ran.end(), id)); }

    std::vector<CommandId> ran;
};

TEST(ExternalControlTable, NamesEndWithTheSentinelAndCodesMapToTheirCommands)
{
    const auto names = controlActionNames();
    ASSERT_EQ(names.size(), 48u);
    EXPECT_STREQ(names[0], "<None>");
    EXPECT_STREQ(names[27], "Skip +0");
    EXPECT_STREQ(names[46], "New song");
    EXPECT_STREQ(names[47], ".");
    struct Case {
        int action;
        std::optional<CommandId> command;
    };
    const Case cases[] = {{0, {}}, {1, {}}, {2, kIdStop}, {6, kIdRecord}, {12, kIdNextSong},
                          {19, {}}, {23, {}}, {27, {}}, {37, {}}, {38, kIdClickOnOff},
                          {40, {}}, {45, kIdFileOpen}, {46, kIdFileNew}, {47, {}}};
    for (const Case& c : cases)
        EXPECT_EQ(controlActionCommand(c.action), c.command) << c.action;
}

TEST_F(ExternalControl, PlayCueAdvancesAndTapTapsTheConductor)
{
    press(1);
    press(37);
    EXPECT_TRUE(engine.log.contains("Advance(0)"));
    EXPECT_EQ(engine.log.count("ConductorTap"), 1u);
}

TEST_F(ExternalControl, AHeldNextSongFiresAtOnceThenFromTheSeventhTickUntilRelease)
{
    press(12);
    EXPECT_EQ(count(kIdNextSong), 1u) << "at once";
    ASSERT_TRUE(repeating());
    for (int i = 1; i <= 6; ++i)
        tick();
    EXPECT_EQ(count(kIdNextSong), 1u) << "nothing for 750 ms";
    tick();
    EXPECT_EQ(count(kIdNextSong), 2u) << "the 7th tick";
    tick();
    EXPECT_EQ(count(kIdNextSong), 3u) << "and every tick after";
    release();
    EXPECT_FALSE(repeating());
}

TEST_F(ExternalControl, AProgramChangeTriggerFiresOnce)
{
    press(10, kKeyMapProgramKind);
    EXPECT_FALSE(repeating()) << "a program change has no release";
}

TEST_F(ExternalControl, SkipCodesSetTheSkipCountAndNeverRepeat)
{
    for (int code = 27; code <= 36; ++code) {
        press(code);
        EXPECT_EQ(app->transport().skipCount(), code - 27);
        EXPECT_FALSE(repeating()) << code;
    }
}

TEST_F(ExternalControl, UnknownCodesOnlyStopARunningRepeat)
{
    for (const int code : {47, 99, 101, 255}) {
        press(17);
        ASSERT_TRUE(repeating());
        ran.clear();
        press(code);
        EXPECT_FALSE(repeating()) << code;
        EXPECT_TRUE(ran.empty()) << code;
    }
}

TEST_F(ExternalControl, TheTempoSliderSpansSixtyEightToOneHundredThirtyOnePointFive)
{
    for (const auto& [value, multiplier] : {std::pair{0, 68000}, {64, 100000}, {127, 131500}}) {
        press(19, 7, message(0xB0, 7, value));
        EXPECT_EQ(app->tempoMultiplier(), multiplier) << value;
    }
}

TEST_F(ExternalControl, PitchBendDoublesAndHalvesTheLatchedTempo)
{
    app->SetTempoMultiplier(100000, true);
    bend(16383);
    EXPECT_EQ(app->tempoMultiplier(), 199983);
    EXPECT_EQ(app->transport().pitchBendBase(), 100000);
    bend(0);
    EXPECT_EQ(app->tempoMultiplier(), 50000);
    bend(8192);
    EXPECT_EQ(app->tempoMultiplier(), 100000);
    EXPECT_EQ(app->transport().pitchBendBase(), 0) << "back at centre, the next bend latches afresh";
}

TEST_F(ExternalControl, PitchBendTempoCannotLeaveTheMultipliersRange)
{
    const struct {
        int32_t base;
        int bend;
        int32_t multiplier;
    } cases[] = {{120000, 16383, kMaxMultiplier}, {kMaxMultiplier, 16383, kMaxMultiplier},
                 {60000, 0, kMinMultiplier},      {kMinMultiplier, 0, kMinMultiplier},
                 {INT32_MAX - 5, 16383, kMaxMultiplier}};
    for (const auto& c : cases) {
        app->SetTempoMultiplier(c.base, true);
        bend(c.bend);
        EXPECT_EQ(app->tempoMultiplier(), c.multiplier) << c.base << " bent to " << c.bend;
        EXPECT_EQ(engine.tempoMultiplier(), c.multiplier) << "the engine holds the value shown";
        bend(8192);
    }
}

TEST_F(ExternalControl, ADisabledCommandDoesNothing)
{
    ASSERT_EQ(app->currentSong(), nullptr);
    press(6); // Record needs a current song
    EXPECT_TRUE(ran.empty());
    EXPECT_FALSE(engine.log.contains("Record()"));
}

} // namespace
} // namespace rz::external_control_tests
