// The fake port's member named emit must come before Qt's keyword macro.
#include "slider_rig.h"

#include "views/slider/slider_view.h"

#include "core/engine_gui_values.h"
#include "core/midi_bytes.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/cool_slider.h"
#include "ui/hover_button.h"

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

// Two selected tracks on port 0 (channels 0 and 4), the view 600 x 157
// attached with the default choice (Expression).
struct SliderRig {
    SliderSong s;
    int first = s.addTrack(0);
    int second = s.addTrack(4);
    GuiToEngineValues published;
    SliderView view{SliderViewContext{.published = [this] { return &published; },
                                      .profile = &s.fixture.profile,
                                      .sink = {}}};

    SliderRig()
    {
        view.resize(600, 157);
        view.attach(*s.song);
        view.initialUpdate();
        view.show();
    }
    ~SliderRig() { view.detach(); }

    CoolSlider& fader(size_t i) { return *view.fader(i); }
    // A point of the fader's travel at the value.
    QPoint at(size_t i, int value)
    {
        const CoolSlider& f = fader(i);
        return QPoint(f.width() / 2, 1 + f.travel() - f.travel() * value / 127 + f.width() / 2);
    }
};

TEST(SliderViewWidget, DraggingFaderZeroSendsExpressionAndPublishesTheDragUntilRelease)
{
    SliderRig rig;
    ASSERT_EQ(rig.view.faderCount(), 2u);
    EXPECT_EQ(rig.fader(0).ctrlId(), 1024);
    EXPECT_EQ(rig.fader(1).geometry(), QRect(146, 5, 18, 122));
    mouse::press(&rig.fader(0), rig.at(0, 64));
    mouse::dragTo(&rig.fader(0), rig.at(0, 100));
    const int value = rig.fader(0).pos();
    ASSERT_GT(value, 64);
    EXPECT_EQ(rig.s.ports[0].wire.back(), midi::controlChange(0, 11, value));
    EXPECT_EQ(rig.published.faderDrag(), (FaderDrag{0, 0xB0, 11}));
    EXPECT_EQ(rig.view.dragIndex(), 0);
    mouse::release(&rig.fader(0), rig.at(0, 100));
    EXPECT_EQ(rig.published.faderDrag(), std::nullopt);
    EXPECT_EQ(rig.view.dragIndex(), -1);
}

TEST(SliderViewWidget, ADragWhoseReleaseIsLostEndsAndClearsTheFaderDrag)
{
    struct Case {
        const char* name;
        std::function<void(SliderRig&)> lose;
    };
    const Case cases[] = {
        {"grab taken away",
         [](SliderRig& rig) {
             QEvent ungrab(QEvent::UngrabMouse);
             QApplication::sendEvent(&rig.fader(0), &ungrab);
         }},
        {"a move without the button", [](SliderRig& rig) { mouse::hover(&rig.fader(0), rig.at(0, 20)); }},
        {"the song detached", [](SliderRig& rig) { rig.view.detach(); }},
        {"the fader hidden", [](SliderRig& rig) { rig.fader(0).hide(); }},
    };
    for (const Case& c : cases) {
        SliderRig rig;
        mouse::press(&rig.fader(0), rig.at(0, 64));
        ASSERT_TRUE(rig.published.faderDrag()) << c.name;
        c.lose(rig);
        EXPECT_EQ(rig.published.faderDrag(), std::nullopt) << c.name;
        EXPECT_EQ(rig.view.dragIndex(), -1) << c.name;
        EXPECT_FALSE(rig.fader(0).isDragging()) << c.name;
    }
}

TEST(SliderViewWidget, DestroyingTheViewMidDragClearsTheFaderDrag)
{
    SliderSong s;
    s.addTrack(0);
    GuiToEngineValues published;
    auto view = std::make_unique<SliderView>(SliderViewContext{.published = [&] { return &published; }, .profile = nullptr, .sink = {}});
    view->resize(600, 157);
    view->attach(*s.song);
    view->initialUpdate();
    mouse::press(view->fader(0), QPoint(9, 60));
    ASSERT_TRUE(published.faderDrag());
    view.reset();
    EXPECT_EQ(published.faderDrag(), std::nullopt);
}

TEST(SliderViewWidget, AfterASongSwitchWithTheSameRowsAndChoiceTheFaderSendsOnTheNewChannel)
{
    SliderRig rig;
    CoolSlider* before = &rig.fader(0);
    std::unique_ptr<CSongDoc> next = rig.s.makeSong();
    rig.s.addTrack(9, 1, next.get());
    rig.s.addTrack(10, 1, next.get());
    rig.view.detach();
    rig.view.attach(*next);
    rig.view.initialUpdate();
    EXPECT_EQ(&rig.fader(0), before) << "the same rows and choice keep the faders";
    mouse::press(&rig.fader(0), rig.at(0, 30));
    mouse::release(&rig.fader(0), rig.at(0, 30));
    ASSERT_FALSE(rig.s.ports[1].wire.empty());
    EXPECT_EQ(midi::channelOf(rig.s.ports[1].wire.back()), 9);
    EXPECT_TRUE(rig.s.ports[0].wire.empty());
    rig.view.detach();
}

TEST(SliderViewWidget, CtrlDragSetsEveryFaderAndSendsOnEachChannel)
{
    SliderRig rig;
    QTest::mousePress(&rig.fader(1), Qt::LeftButton, Qt::ControlModifier, rig.at(1, 40));
    QTest::mouseRelease(&rig.fader(1), Qt::LeftButton, Qt::ControlModifier, rig.at(1, 40));
    const int value = rig.fader(1).pos();
    EXPECT_EQ(rig.fader(0).pos(), value);
    EXPECT_EQ(rig.s.ports[0].controllerValue(0, 11), value);
    EXPECT_EQ(rig.s.ports[0].controllerValue(4, 11), value);
}

TEST(SliderViewWidget, WhileRecordingTheSentMessagesGoToTheTake)
{
    SliderRig rig;
    rig.s.fixture.engine.isRecording = true;
    mouse::press(&rig.fader(1), rig.at(1, 90));
    mouse::release(&rig.fader(1), rig.at(1, 90));
    ASSERT_FALSE(rig.s.fixture.engine.liveMessages.empty());
    EXPECT_EQ(rig.s.fixture.engine.liveMessages.back(),
              std::make_pair(rig.second, midi::controlChange(4, 11, rig.fader(1).pos())));
}

TEST(SliderViewWidget, FadersFollowThePortsAndAnUnsetCacheMovesNothing)
{
    SliderRig rig;
    EXPECT_EQ(rig.fader(0).pos(), SliderModel::kUnset);
    rig.s.ports[0].SendShort(midi::controlChange(4, 11, 33));
    rig.view.follow();
    EXPECT_EQ(rig.fader(1).pos(), 33);
    EXPECT_EQ(rig.fader(0).pos(), SliderModel::kUnset);
}

TEST(SliderViewWidget, SnapshotIsGreyedInPerformanceModeAndWhileTheTransportRuns)
{
    SliderRig rig;
    EXPECT_TRUE(rig.view.snapshotAllowed());
    rig.s.fixture.host.performance = true;
    EXPECT_FALSE(rig.view.snapshotAllowed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.view.snapshotButton()->isEnabled(); }));
    rig.s.fixture.host.performance = false;
    rig.s.fixture.engine.state = TransportState::Playing;
    CmdUi ui;
    ASSERT_TRUE(static_cast<CommandTarget&>(rig.view).update(kIdSliderSnapshot, ui));
    EXPECT_FALSE(ui.enabled);
    rig.fader(0).setPos(50);
    rig.view.handle(kIdSliderSnapshot);
    EXPECT_TRUE(rig.s.song->undoList.empty());
}

TEST(SliderViewWidget, SnapshotWritesTheFadersAtThePositionAsOneEdit)
{
    SliderRig rig;
    rig.s.song->setPosition(480);
    mouse::press(&rig.fader(0), rig.at(0, 70));
    mouse::release(&rig.fader(0), rig.at(0, 70));
    mouse::click(rig.view.snapshotButton(), QPoint(5, 5));
    ASSERT_EQ(rig.s.song->undoList.size(), 1u);
    ASSERT_EQ(rig.s.track(rig.first).events.size(), 1u);
    EXPECT_EQ(rig.s.track(rig.first).events[0].tick, 480);
    EXPECT_EQ(rig.s.track(rig.first).events[0].message, midi::controlChange(0, 11, rig.fader(0).pos()));
    EXPECT_TRUE(rig.s.track(rig.second).events.empty()) << "its fader is unset";
}

TEST(SliderViewWidget, ResetResendsThePortStatesResetsThePortsAndFollows)
{
    SliderRig rig;
    rig.s.fixture.engine.log.clear();
    mouse::click(rig.view.resetButton(), QPoint(5, 5));
    const std::vector<std::string>& calls = rig.s.fixture.engine.log.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ResendPortStates()");
    EXPECT_EQ(calls[1], "ResetOutPorts()") << "then the song locates, which the fake does not log";
}

TEST(SliderViewWidget, TheCaptionIsGreenAndTheBackgroundDarkGrey)
{
    SliderRig rig;
    const QImage image = rig.view.grab().toImage();
    bool green = false;
    for (int y = SliderView::kCaptionRect.top(); y < SliderView::kCaptionRect.top() + 20; ++y)
        for (int x = SliderView::kCaptionRect.left(); x < SliderView::kCaptionRect.right(); ++x)
            green = green || (qGreen(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) < 60);
    EXPECT_TRUE(green) << "the choice's name";
    EXPECT_EQ(image.pixel(SliderView::kCaptionRect.bottomRight() - QPoint(3, 3)), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(400, 60), qRgb(0x30, 0x30, 0x30));
}

TEST(SliderViewWidget, TheCaptionAsksForAControllerAndRebuildsOnAnAnswer)
{
    SliderRig rig;
    rig.s.dialogs.selectControllerAnswer = 0x07B0;
    mouse::doubleClick(&rig.view, QPoint(40, 20));
    EXPECT_EQ(rig.s.dialogs.offeredController, 0x0BB0);
    EXPECT_EQ(rig.view.choice(), 0x07B0u);
    EXPECT_EQ(rig.view.model().messages(), (std::vector<uint32_t>{0x07B0, 0x07B4}));

    rig.s.dialogs.missing.insert(EditDialog::SelectController);
    rig.s.dialogs.log.clear();
    QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(40, 20), rig.view.mapToGlobal(QPoint(40, 20)));
    QApplication::sendEvent(&rig.view, &right);
    EXPECT_TRUE(rig.s.dialogs.log.calls().empty());
}

TEST(SliderViewWidget, TheChoiceIsReadAtCreateAndWrittenAtDestroy)
{
    SliderSong s;
    writeSetting(s.fixture.profile, settings::kSliderChoice, 0xE0);
    {
        SliderView view(SliderViewContext{.published = {}, .profile = &s.fixture.profile, .sink = {}});
        EXPECT_EQ(view.choice(), 0xE0u);
    }
    writeSetting(s.fixture.profile, settings::kSliderChoice, 0x1234);
    {
        SliderView view(SliderViewContext{.published = {}, .profile = &s.fixture.profile, .sink = {}});
        EXPECT_EQ(view.choice(), 0x0BB0u);
    }
    EXPECT_EQ(readSetting(s.fixture.profile, settings::kSliderChoice), 0x0BB0);
}

} // namespace
} // namespace rz
