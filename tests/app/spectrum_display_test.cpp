#include "app/engine_calls.h"
#include "app/main_frame.h"
#include "app/spectrum_display.h"
#include "app/transport_panel.h"
#include "app_test_fixture.h"
#include "core/ms_clock.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "views/frame_timer_ids.h"

#include <QPaintEvent>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace rz {
namespace {

std::array<int, SpectrumDisplay::kBands> allBands(int level)
{
    std::array<int, SpectrumDisplay::kBands> levels{};
    levels.fill(level);
    return levels;
}

// The height of band `band`'s bar in the picture: lit pixels from the bottom.
int shownBar(const QImage& picture, int band)
{
    const int x = band * SpectrumDisplay::kBandPitch + 2;
    int h = 0;
    for (int y = picture.height() - 1; y >= 0; --y, ++h) {
        const QColor c = picture.pixelColor(x, y);
        if (c == Qt::black || c == QColor(128, 128, 128))
            break;
    }
    return h;
}

TEST(SpectrumDisplay, NoBarRisesAbove108Pixels)
{
    SpectrumDisplay display;
    display.step(allBands(200));
    for (int band = 0; band < SpectrumDisplay::kBands; ++band) {
        EXPECT_EQ(display.barHeight(band), 108);
        EXPECT_EQ(shownBar(display.picture(), band), 108) << band;
    }
    // The two top rows hold the peak marks only.
    EXPECT_EQ(display.picture().pixelColor(2, 0), QColor(128, 128, 128));
    EXPECT_EQ(display.picture().pixelColor(7, 0), QColor(Qt::black));
    display.step(allBands(-5));
    EXPECT_EQ(display.barHeight(0), 0);
}

TEST(SpectrumDisplay, APeakHoldsTenFramesThenFallsFivePixelsAFrame)
{
    SpectrumDisplay display;
    display.step(allBands(60));
    EXPECT_EQ(display.peak(3), 60);
    for (int frame = 0; frame < 10; ++frame) {
        display.step(allBands(0));
        EXPECT_EQ(display.peak(3), 60) << frame;
    }
    const int expected[] = {55, 50, 45};
    for (int fall : expected) {
        display.step(allBands(0));
        EXPECT_EQ(display.peak(3), fall);
    }
    display.step(allBands(70)); // a higher bar lifts it and holds again
    EXPECT_EQ(display.peak(3), 70);
}

TEST(SpectrumDisplay, OneSpectrumFramePerFiftyMilliseconds)
{
    SpectrumDisplay display;
    EXPECT_TRUE(display.takeFrame(1000));
    EXPECT_FALSE(display.takeFrame(1049));
    EXPECT_TRUE(display.takeFrame(1050));
    EXPECT_TRUE(display.takeFrame(5)); // the clock wrapped
}

TEST(SpectrumDisplay, MarkerPositionsFromTheBeatPhase)
{
    const struct {
        double level;
        int position;
    } cases[] = {{0.0, 0},  {0.5, 110}, {-0.5, 110}, {0.25, 27}, {3.0, 110},
                 {std::numeric_limits<double>::quiet_NaN(), 0},
                 {std::numeric_limits<double>::infinity(), 110}};
    for (const auto& c : cases)
        EXPECT_EQ(SpectrumDisplay::markerPosition(c.level), c.position) << c.level;
}

// Counts the frame's paint events that touch a panel-relative rectangle.
class PaintCounter : public QObject {
public:
    PaintCounter(MainFrame& frame, QRect panelRelative)
        : m_rect(panelRelative.translated(frame.panelRect().topLeft()))
    {
        frame.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint &&
            static_cast<QPaintEvent*>(event)->region().intersects(m_rect))
            ++count;
        return false;
    }
    int count = 0;

private:
    QRect m_rect;
};

class SpectrumDisplayApp : public AppFixture {
protected:
    void showFrame()
    {
        start();
        app->frame()->timers().kill(frame_timer::kStartup); // the start-up step repaints everything
        app->frame()->setGeometry(0, 0, 1000, 700);
        app->frame()->show();
        ASSERT_TRUE(processPastMarker(50));
    }
};

TEST_F(SpectrumDisplayApp, TheMarkerStripRepaintsOnlyWhenTheMarkerMoves)
{
    profile.writeInt("DisplayOptions", "AudioFace", 0);
    profile.writeInt("DisplayOptions", "BouncngBall", 1);
    showFrame();
    PaintCounter strip(*app->frame(), TransportPanel::kMarkerRect);
    app->engineCalls().DrawSpectrum(0.25);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(strip.count, 1);
    app->engineCalls().DrawSpectrum(0.25);
    app->engineCalls().DrawSpectrum(-0.25);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(strip.count, 1);
    app->engineCalls().DrawSpectrum(0.5);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(strip.count, 2);
    EXPECT_EQ(app->transport().spectrumDisplay().marker(), 110);
}

TEST_F(SpectrumDisplayApp, TheSpectrumRepaintsAtMostEveryFiftyMilliseconds)
{
    ManualMsClock clock(10000);
    setProgramClock(&clock);
    profile.writeInt("DisplayOptions", "AudioFace", 1);
    showFrame();
    PaintCounter picture(*app->frame(), TransportPanel::kSpectrumRect);
    app->engineCalls().DrawSpectrum(0.1);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(picture.count, 1);
    clock.advance(20);
    app->engineCalls().DrawSpectrum(0.2);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(picture.count, 1);
    clock.advance(30);
    app->engineCalls().DrawSpectrum(0.3);
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(picture.count, 2);
    setProgramClock(nullptr);
}

// The engine's idle timer rests while no face follows the beat: the View
// menu's faces tell it at once.
TEST_F(SpectrumDisplayApp, TheEngineLearnsWhetherAFaceFollowsTheBeat)
{
    profile.writeInt("DisplayOptions", "AudioFace", 0);
    profile.writeInt("DisplayOptions", "BouncngBall", 1);
    FakeMidiDevices devices;
    ManualEngineTimer timer;
    struct EndFirst {
        std::unique_ptr<App>& app;
        ~EndFirst() { app.reset(); } // before the timer and devices it uses
    } endFirst{app};
    AppOptions options;
    options.profile = &profile;
    options.prompt = &prompt;
    options.devices = &devices;
    options.timer = &timer;
    options.singleInstance = false;
    options.showWindow = false;
    app = std::make_unique<App>(options);
    ASSERT_TRUE(app->InitInstance());
    const CSequencer* engine = app->sequencer();
    ASSERT_NE(engine, nullptr);
    const struct {
        CommandId command;
        bool follows;
    } steps[] = {
        {kIdViewBouncingMetronome, false},
        {kIdViewPowerSpectrum, true},
        {kIdMidiMeasureBeat, false}, // the marker, still without its bounce
        {kIdViewBouncingMetronome, true},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(app->router().execute(step.command)) << step.command;
        EXPECT_EQ(engine->beatDisplayShown(), step.follows) << step.command;
    }
}

TEST_F(SpectrumDisplayApp, OutOfRangeFacesShowNeitherAndCrashNothing)
{
    profile.writeInt("DisplayOptions", "AudioFace", 7);
    profile.writeInt("DisplayOptions", "ViewSetTime", 9);
    showFrame();
    app->engineCalls().DrawSpectrum(std::numeric_limits<double>::quiet_NaN());
    const PanelState state = app->transport().panelState();
    EXPECT_FALSE(state.spectrum);
    EXPECT_FALSE(state.marker);
    EXPECT_EQ(state.mode, 2);
}

} // namespace
} // namespace rz
