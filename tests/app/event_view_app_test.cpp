#include "tests/app/app_test_fixture.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "ui/in_place_edit.h"
#include "views/events/event_view.h"
#include "views/pane_view.h"
#include "views/track/track_view.h"

#include <QTableView>
#include <QTest>

namespace rz {
namespace {

namespace col = event_column;

// Edit dialogs whose event filter hides the controllers.
class FilteringDialogs : public ScriptedEditDialogs {
public:
    bool filterEvents(CSongDoc&, int32_t track, uint16_t& mask, int32_t&) override
    {
        log.record("filterEvents " + std::to_string(track));
        mask &= uint16_t(~(1u << 0xB));
        return true;
    }
};

// The application with the real track list and event list, and a current
// song whose first track, selected, holds a note and a controller.
class EventViewApp : public AppFixture {
protected:
    void startWithEventList()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        registerEventView(viewFactory, nullptr, [this](CommandId id) { return app->router().execute(id); });
        start();
        SongContext context = app->set().songContext();
        context.editDialogs = &dialogs;
        auto made = std::make_unique<CSongDoc>(context);
        made->InitNewSong();
        made->title = "A";
        song = app->set().AddSong(std::move(made));
        test::addUserTrack(*song).events = {test::note(0, 60, 90, 40), test::controller(100, 7, 100)};
        song->endTick = 8 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    bool showEventList()
    {
        return app->router().execute(kIdViewEvents) && processUntil([this] { return list() != nullptr; });
    }

    EventView* list() const { return dynamic_cast<EventView*>(app->views().slot(ViewSlots::kEvent)); }

    FilteringDialogs dialogs;
    CSongDoc* song = nullptr;
};

TEST_F(EventViewApp, ViewEventsShowsTheListInTheEditorPane)
{
    startWithEventList();
    ASSERT_TRUE(app->router().update(kIdViewEvents).enabled);
    ASSERT_TRUE(showEventList());
    SongView* editor = nullptr;
    app->views().currentViews(&editor, nullptr);
    EXPECT_EQ(editor, list());
    EXPECT_EQ(list()->paneId(), pane_id::kEditor);
    EXPECT_EQ(list()->rows().size(), 2);
    EXPECT_TRUE(app->router().update(kIdViewEvents).checked);
}

TEST_F(EventViewApp, EditUndoUndoesAnEditMadeInTheList)
{
    startWithEventList();
    ASSERT_TRUE(showEventList());
    // Focus moves only in a shown window.
    list()->window()->show();
    list()->window()->activateWindow();
    list()->table().setFocus();
    list()->setCurrentCell(0, col::kValue);
    ASSERT_TRUE(app->router().execute(kIdGoToItem));
    ASSERT_TRUE(list()->editing());
    list()->editor().setText("33");
    QTest::keyClick(&list()->editor(), Qt::Key_Return);
    ASSERT_TRUE(processUntil([this] { return !list()->editing(); }));
    ASSERT_EQ(song->tracks[1]->events[0].data2(), 33);
    EXPECT_NE(app->router().update(kIdEditUndo).text.value_or("").find("Event Properties"), std::string::npos);
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(song->tracks[1]->events[0].data2(), 90);
    // The cell cursor stays where the typing went, so the next digits do too.
    EXPECT_EQ(list()->playRow(), 0);
    EXPECT_EQ(list()->currentColumn(), col::kValue);
}

TEST_F(EventViewApp, UndoingACueEditClearsTheListsSelection)
{
    startWithEventList();
    ASSERT_TRUE(showEventList());
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Insert Cue";
    record->cues = std::make_unique<CCueSet>();
    record->cues->cues.push_back(CCue{.name = "Cue", .time = 480});
    ASSERT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
    ASSERT_TRUE(app->router().execute(kIdEditSelectAll));
    ASSERT_FALSE(list()->table().selectionModel()->selectedRows().isEmpty());
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(list()->table().selectionModel()->selectedRows().isEmpty());
}

TEST_F(EventViewApp, FilterEventsIsGreyWithoutTheDialogAndHidesControllersWithIt)
{
    startWithEventList();
    ASSERT_TRUE(showEventList());
    dialogs.missing.insert(EditDialog::FilterEvents);
    EXPECT_FALSE(app->router().update(kIdFilterEvents).enabled);
    dialogs.missing.clear();
    ASSERT_TRUE(app->router().update(kIdFilterEvents).enabled);
    ASSERT_TRUE(app->router().execute(kIdFilterEvents));
    EXPECT_EQ(dialogs.log.count("filterEvents 1"), 1u);
    ASSERT_EQ(list()->rows().size(), 1);
    EXPECT_EQ(list()->rows().keys()[0], (EventRowKey{1, 0}));
}

} // namespace
} // namespace rz
