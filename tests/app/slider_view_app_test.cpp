#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "ui/hover_button.h"
#include "views/pane_view.h"
#include "views/slider/slider_view.h"
#include "views/graph/tempo_view.h"
#include "views/track/track_view.h"

#include <QContextMenuEvent>

namespace rz {
namespace {

// The application with the real track list, tempo view and slider view,
// and a current song of two MIDI tracks, the first selected.
class SliderViewApp : public AppFixture {
protected:
    void startWithSliders(bool withDialog)
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        registerTempoView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        registerSliderView(viewFactory, {.published = [this] { return app->publishedValues(); },
                                         .profile = &profile,
                                         .sink = [this](CommandId id) { return app->router().execute(id); }});
        start();
        SongContext context = app->set().songContext();
        context.editDialogs = &dialogs;
        if (!withDialog)
            dialogs.missing.insert(EditDialog::SelectController);
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->title = "A";
        song = app->set().AddSong(std::move(made));
        test::addUserTrack(*song);
        test::addUserTrack(*song).channel = 3;
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    bool showFaders()
    {
        return app->router().execute(kIdViewFaders) && processUntil([this] { return sliders() != nullptr; });
    }

    SliderView* sliders() const { return dynamic_cast<SliderView*>(app->views().slot(ViewSlots::kSlider)); }
    TempoView* tempo() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    ScriptedEditDialogs dialogs;
    CSongDoc* song = nullptr;
};

TEST_F(SliderViewApp, FadersReplaceTheTempoViewMadeAtStartAndAreChecked)
{
    startWithSliders(true);
    ASSERT_NE(tempo(), nullptr);
    ASSERT_TRUE(app->router().update(kIdViewFaders).enabled);
    EXPECT_FALSE(app->router().update(kIdViewFaders).checked);
    ASSERT_TRUE(showFaders());
    SongView* controller = nullptr;
    app->views().currentViews(nullptr, &controller);
    EXPECT_EQ(controller, sliders());
    EXPECT_EQ(tempo(), nullptr);
    EXPECT_EQ(sliders()->paneId(), pane_id::kController);
    EXPECT_EQ(sliders()->song(), song);
    EXPECT_EQ(sliders()->model().rows(), std::vector<int>{1});
    EXPECT_TRUE(app->router().update(kIdViewFaders).checked);
    EXPECT_FALSE(app->router().update(kIdViewTempoMap).checked);
}

TEST_F(SliderViewApp, ResetResendsThePortStatesAndResetsThePorts)
{
    startWithSliders(true);
    ASSERT_TRUE(showFaders());
    engine.log.clear();
    ASSERT_TRUE(app->router().update(kIdSliderReset).enabled);
    ASSERT_TRUE(app->router().execute(kIdSliderReset));
    EXPECT_TRUE(engine.log.contains("ResendPortStates()"));
    EXPECT_TRUE(engine.log.contains("ResetOutPorts()"));
    EXPECT_LT(std::find(engine.log.calls().begin(), engine.log.calls().end(), "ResendPortStates()"),
              std::find(engine.log.calls().begin(), engine.log.calls().end(), "ResetOutPorts()"));
}

TEST_F(SliderViewApp, TheCaptionsDialogCallIsANoOpWithoutTheDialog)
{
    startWithSliders(false);
    ASSERT_TRUE(showFaders());
    QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(40, 20), sliders()->mapToGlobal(QPoint(40, 20)));
    QApplication::sendEvent(sliders(), &right);
    EXPECT_EQ(dialogs.log.count("selectController"), 0u);
    EXPECT_EQ(sliders()->choice(), 0x0BB0u);
}

} // namespace
} // namespace rz
