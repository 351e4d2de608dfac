#include "ui/command_router.h"
#include "app/song_doc_commands.h"
#include "song/selection.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

#include <gtest/gtest.h>

#include <functional>

namespace rz {
namespace {

// A song with one selected note and, while it lives, the current song of
// the fake host; the commands routed as the router's document target.
struct SongDocCommandsFixture : SongFixture {
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;
    SongDocCommands commands{host};
    CommandRouter router;

    SongDocCommandsFixture()
    {
        SongContext c = context();
        c.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        auto track = std::make_unique<CTrack>();
        CMidiEvent note;
        note.message = 0x403C90;
        note.value2 = 120;
        track->events.push_back(note);
        song->tracks.insert(song->tracks.end() - 1, std::move(track));
        host.current = song.get();
        router.setDocument(&commands);
    }

    void selectNote()
    {
        ++song->selectionStamp;
        song->selectionKind = kSelectEvents;
        song->tracks[1]->events[0].selectionStamp = song->selectionStamp;
    }
    void selectRange(int32_t from, int32_t to)
    {
        ++song->selectionStamp;
        song->selectionKind = kSelectTimeRange;
        song->selectionFrom = from;
        song->selectionTo = to;
    }
};

TEST(SongDocCommands, EnablingFollowsTransportModeSelectionAndDialogs)
{
    struct Case {
        const char* what;
        std::function<void(SongDocCommandsFixture&)> setUp;
        bool copy, deleting, selectTime;
    };
    const Case cases[] = {
        {"selected events", [](auto& f) { f.selectNote(); }, true, true, true},
        {"nothing selected", [](auto&) {}, false, false, true},
        {"playing", [](auto& f) { f.selectNote(); f.engine.state = TransportState::Playing; }, false, false, false},
        {"performance mode", [](auto& f) { f.selectNote(); f.host.performance = true; }, false, false, false},
        {"a time range", [](auto& f) { f.selectRange(0, 480); }, true, true, true},
        {"an empty time range", [](auto& f) { f.selectRange(480, 480); }, false, false, true},
        {"a time range without its dialogs",
         [](auto& f) {
             f.selectRange(0, 480);
             f.dialogs.missing = {EditDialog::CopyTime, EditDialog::DeleteTime, EditDialog::SelectTime};
         },
         false, false, false},
        {"selected events without the dialogs",
         [](auto& f) {
             f.selectNote();
             f.dialogs.missing = {EditDialog::CopyTime, EditDialog::DeleteTime};
         },
         true, true, true},
        {"no current song", [](auto& f) { f.selectNote(); f.host.current = nullptr; }, false, false, false},
    };
    for (const Case& c : cases) {
        SongDocCommandsFixture f;
        c.setUp(f);
        EXPECT_EQ(f.router.update(kIdEditCopy).enabled, c.copy) << c.what;
        EXPECT_EQ(f.router.update(kIdEditCut).enabled, c.deleting) << c.what;
        EXPECT_EQ(f.router.update(kIdDelete).enabled, c.deleting) << c.what;
        EXPECT_EQ(f.router.update(kIdSelectTime).enabled, c.selectTime) << c.what;
    }
}

TEST(SongDocCommands, CutThroughTheRouterCopiesAndDeletes)
{
    SongDocCommandsFixture f;
    f.selectNote();
    EXPECT_TRUE(f.router.execute(kIdEditCut));
    EXPECT_EQ(f.host.clipboardContent.events.size(), 1u);
    EXPECT_TRUE(f.song->tracks[1]->events.empty());
    ASSERT_EQ(f.song->undoList.size(), 1u);
    EXPECT_EQ(f.song->undoList.front()->label, "Delete Events");
    EXPECT_EQ(f.song->lastCommand, 0u);
}

TEST(SongDocCommands, SelectTimeSelectsTheRangeAndLocates)
{
    SongDocCommandsFixture f;
    f.song->endTick = 4000;
    f.song->ExtendMeasureMap();
    f.dialogs.selectTimeAnswer = SelectTimeParams{960, 240};
    EXPECT_TRUE(f.router.execute(kIdSelectTime));
    EXPECT_EQ(f.song->selectionKind, kSelectTimeRange);
    EXPECT_EQ(f.song->selectionFrom, 240);
    EXPECT_EQ(f.song->selectionTo, 960);
    EXPECT_EQ(f.song->position(), 240);
    EXPECT_EQ(f.host.log.count("activateEditorView"), 1u);
}

} // namespace
} // namespace rz
