#include "tests/app/app_test_fixture.h"

#include "core/layout_record.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/tempo_map.h"
#include "ui/command_router.h"
#include "views/pane_view.h"
#include "views/graph/tempo_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

namespace rz {
namespace {

constexpr uint32_t kBpm120 = 500000;
constexpr uint32_t kBpm60 = 1000000;

// A press and a release sent straight to the view: two clicks in a row
// must not turn into a double click.
void clickAt(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

// The application with the real tempo view registered, and a current song
// of 120 BPM stepping to 60 at tick 480.
class TempoViewApp : public AppFixture {
protected:
    void startWithTempoView()
    {
        registerTempoView(viewFactory, [this](CommandId id) { return app->router().execute(id); });
        start();
        song = &addSong("A");
        song->endTick = 100 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        TempoEntry step;
        step.tick = 480;
        step.tempo = kBpm60;
        song->tempoMap.push_back(step);
        song->RecalcTempoTimes();
        app->SetCurrentSong(song);
        view()->resize(600, 200);
        view()->songUpdate(0);
    }

    TempoView* view() const { return dynamic_cast<TempoView*>(app->views().slot(ViewSlots::kTempo)); }

    CSongDoc* song = nullptr;
};

TEST_F(TempoViewApp, AtStartTheControllerPaneHoldsTheTempoViewAndTheTempoMapItemIsChecked)
{
    startWithTempoView();
    SongView* controller = nullptr;
    app->views().currentViews(nullptr, &controller);
    ASSERT_NE(view(), nullptr);
    EXPECT_EQ(controller, view());
    EXPECT_EQ(view()->paneId(), pane_id::kController);
    EXPECT_EQ(view()->song(), song);
    const CmdUi ui = app->router().update(kIdViewTempoMap);
    EXPECT_TRUE(ui.enabled);
    EXPECT_TRUE(ui.checked);
}

TEST_F(TempoViewApp, DeleteWithATempoSelectionRoutesToTheViewAsOneUndoStep)
{
    startWithTempoView();
    song->selectionKind = kSelectTempo;
    song->selectionStamp = 12;
    song->selectionFrom = song->selectionTo = 480;
    view()->songUpdate(0);
    ASSERT_TRUE(app->router().update(kIdDelete).enabled);
    ASSERT_TRUE(app->router().execute(kIdDelete));
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Delete Tempos");
    EXPECT_EQ(song->tempoMap.size(), 1u);
    EXPECT_TRUE(song->Undo());
    EXPECT_EQ(song->tempoMap.size(), 2u);
}

TEST_F(TempoViewApp, TheLayoutRecordCarriesZoomAndOffset)
{
    startWithTempoView();
    view()->setLayoutValues({900, 120});
    ASSERT_EQ(view()->layoutValues(), (std::array<int32_t, 2>{900, 120}));
    std::string text;
    app->layout().SnapshotLayout(text);
    const auto record = ParseLayoutRecord(text);
    ASSERT_TRUE(record && record->controller) << text;
    EXPECT_EQ(record->controller->first, 900);
    EXPECT_EQ(record->controller->second, 120);
    view()->setLayoutValues({50, 0});
    app->layout().RestoreLayout(text);
    ASSERT_NE(view(), nullptr);
    EXPECT_EQ(view()->layoutValues(), (std::array<int32_t, 2>{900, 120}));
}

TEST_F(TempoViewApp, TheSnapSwitchDecidesWhereADrawLands)
{
    startWithTempoView();
    app->display().setTimeZoom(ISongDisplayOptions::kMaxTimeZoom);
    view()->songUpdate(0);
    app->frame()->staffTools().tool = 1;
    app->frame()->staffTools().gridResolution = 240;
    struct Case {
        bool snap;
        int32_t tick;
    };
    for (const Case c : {Case{true, 120}, Case{false, 130}}) {
        SCOPED_TRACE(c.snap);
        if (app->frame()->staffTools().grid != c.snap) {
            ASSERT_TRUE(app->router().execute(kIdGrid));
        }
        // The frame may have placed the pane again since.
        const TempoScale scale = view()->scale();
        ASSERT_EQ(scale.axis.gridTicks, 1);
        const QPointer<TempoView> drawnIn = view();
        clickAt(drawnIn, QPoint(scale.axis.xOfTick(130), scale.yOfTempo(kBpm60)));
        // A new view would have deleted this one inside its own mouse handler.
        ASSERT_FALSE(drawnIn.isNull());
        EXPECT_EQ(view(), drawnIn.data());
        ASSERT_FALSE(song->undoList.empty());
        EXPECT_EQ(song->undoList.back()->label, "Draw Tempos");
        ASSERT_EQ(song->tempoMap.size(), 3u);
        EXPECT_EQ(song->tempoMap[1].tick, c.tick) << c.snap;
        ASSERT_TRUE(song->Undo());
    }
}

} // namespace
} // namespace rz
