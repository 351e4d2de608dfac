#include "app/transport_panel.h"
#include "app/transport_text.h"
#include "app_test_fixture.h"
#include "core/smpte_time.h"
#include "ui/fader_ctrl.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

MeasureRec measure(int32_t start, int32_t length, uint16_t number, char letter)
{
    MeasureRec m;
    m.Set(start, length);
    m.number = number;
    m.letter = letter;
    return m;
}

TEST(TransportText, TempoReadsMultiplierAndBeatsPerMinute)
{
    EXPECT_EQ(tempoText(105000, 500000), "x 1.050 = 126.0 bpm");
    EXPECT_EQ(tempoText(100000, 500000), "x 1.000 = 120.0 bpm");
    EXPECT_EQ(tempoText(239979, 1000000), "x 2.399 = 144.0 bpm");
    EXPECT_EQ(tempoText(50000, 0), "x 0.500 =   0.0 bpm");
}

TEST(TransportText, FaderPositionsAndMultipliers)
{
    const struct {
        int32_t multiplier;
        int position;
    } cases[] = {{100000, 0}, {200000, 1000}, {50000, -1000}, {239979, 1000}, {1, -1000},
                 {0, -1000}, {141421, 500}};
    for (const auto& c : cases)
        EXPECT_EQ(tempoFaderPosition(c.multiplier), c.position) << c.multiplier;
    EXPECT_EQ(multiplierFromFader(1000), 200000);
    EXPECT_EQ(multiplierFromFader(0), 100000);
    EXPECT_EQ(multiplierFromFader(-1000), 50000);
    EXPECT_EQ(multiplierFromFader(70), 104972); // trunc(2^0.07 x 100000 + 0.5)
}

TEST(TransportText, MeasureLabels)
{
    EXPECT_EQ(measureLabel(12, 0), "12");
    EXPECT_EQ(measureLabel(12, 'A'), "12A");
    EXPECT_EQ(measureLabel(0, 'A'), "A");
}

TEST(TransportText, PositionCountsBeatsOfTheMeasuresMeter)
{
    // 120 ticks a quarter: 4/4 measures of 480, then 6/8 measures of 360.
    MeasureMap map{measure(0, 480, 1, 0), measure(480, 360, 2, 'B')};
    map[1].setMeter(6, 3);
    EXPECT_EQ(positionText(map, 120, 0), "1.1.000");
    EXPECT_EQ(positionText(map, 120, 250), "1.3.010");
    EXPECT_EQ(positionText(map, 120, 480 + 65), "2B.2.005");
    EXPECT_EQ(positionText({}, 120, 130), "1.2.010"); // no measures: 4/4 from 0
    EXPECT_EQ(positionText({}, 120, 1000), "3.1.040");
}

// PPQ 1 in 4/64 makes PPQ x 4 / 64 zero ticks a beat, and 0 clocks a click
// zero ticks a click: both count as one tick.
TEST(TransportText, PpqOneInFourSixtyFourDividesByNoZero)
{
    MeasureMap map{measure(0, 1, 1, 0)};
    map[0].setMeter(4, 6);
    map[0].clocksPerClick = 0;
    EXPECT_EQ(positionText(map, 1, 3), "1.4.000");
    EXPECT_EQ(beatDigit(map, 1, 3), 3);
    EXPECT_EQ(beatDigit(map, 1, 12), 2);
}

TEST(TransportText, SmpteSkipAndCountIn)
{
    EXPECT_EQ(smpteText(3723.5e6, kSmpteRate25), "1:02:03:12");
    EXPECT_EQ(smpteText(-5e6, kSmpteRate30), "0:00:00:00");
    EXPECT_EQ(skipText(0), "");
    EXPECT_EQ(skipText(3), "(+3)");
    EXPECT_EQ(countInBeats(480, 0, 120), 5);
    EXPECT_EQ(countInBeats(480, 470, 120), 1);
    EXPECT_EQ(countInBeats(480, 600, 0), 1);
}

using TransportTextApp = AppFixture;

TEST_F(TransportTextApp, TheTempoFaderFollowsTheMultiplierAndSetsIt)
{
    start();
    FaderCtrl* fader = app->frame()->tempoFader();
    const struct {
        int32_t multiplier;
        int position;
        int32_t held; // the engine keeps its range
    } cases[] = {{100000, 0, 100000}, {200000, 1000, 200000}, {50000, -1000, 50000},
                 {239979, 1000, 200000}, {40000, -1000, 50000}};
    for (const auto& c : cases) {
        app->SetTempoMultiplier(c.multiplier, false);
        EXPECT_EQ(fader->pos(), c.position) << c.multiplier;
        EXPECT_EQ(app->tempoMultiplier(), c.held);
    }
    app->SetTempoMultiplier(0, false); // ignored
    EXPECT_EQ(app->tempoMultiplier(), 50000);

    app->transport().setPitchBendBase(120000);
    fader->setPos(1000);
    emit fader->changed();
    EXPECT_EQ(app->tempoMultiplier(), 200000);
    EXPECT_EQ(app->transport().pitchBendBase(), 0);
}

TEST_F(TransportTextApp, TheVolumeFaderSetsTheMasterVolumeOnlyWhileNotPlaying)
{
    start();
    FaderCtrl* fader = app->frame()->volumeFader();
    engine.state = TransportState::Playing;
    fader->setPos(9000);
    emit fader->changed();
    EXPECT_EQ(engine.log.count("SetMasterVolume"), 0u);
    engine.state = TransportState::Paused;
    app->transport().setVolume(8000);
    EXPECT_EQ(fader->pos(), 8000);
    EXPECT_TRUE(engine.log.contains("SetMasterVolume(8000)"));
}

TEST_F(TransportTextApp, ThePanelShowsTheCurrentSongsPosition)
{
    start();
    CSongDoc& song = addSong("Blue");
    song.setPosition(song.timeBase * 2 + 7);
    app->SetCurrentSong(&song);
    app->SetTempoMultiplier(105000, true);
    app->transport().setSkipCount(12);
    const PanelState state = app->transport().panelState();
    EXPECT_EQ(state.title, "Blue");
    EXPECT_EQ(state.position, "1.3.007");
    EXPECT_EQ(state.measureField, "1");
    EXPECT_EQ(state.tempo, "x 1.050 = 126.0 bpm");
    EXPECT_EQ(state.skip, "(+9)");
    EXPECT_EQ(state.beatDigit, 2);
}

} // namespace
} // namespace rz
