// File > Save of the current song in the whole program: what the save
// changes itself stays out of the way of Undo, and the set pane's mark
// follows the saved state.

#include "app_test_fixture.h"

#include "set/set_pane_commands.h"
#include "res/command_ids.h"
#include "set/ui/set_pane.h"
#include "set/ui/set_tree_model.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/track.h"
#include "tests/app/small_song.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"

#include <algorithm>

namespace rz {
namespace {

class SaveCommand : public AppFixture {
protected:
    struct NoTrash : ITrash {
        bool moveToTrash(const std::filesystem::path&) override { return false; }
    };

    void SetUp() override
    {
        viewFactory.registerView(ViewKind::SetTree, [this](const ViewRequest& request) {
            return new SetPane(app->set(), app->statusLine(), trash, app->profile(), request.parent);
        });
        start();
    }

    // The current song "Song" with a file to save to: one track whose key
    // offset of 10 lifts its note 120 past 127, so a save asks to make the
    // offset part of the note.
    CSongDoc& clippingSong()
    {
        const std::filesystem::path file =
            testHome() / testing::UnitTest::GetInstance()->current_test_info()->name() / "Song.mid";
        std::filesystem::create_directories(file.parent_path());
        CSongDoc& song = addSong("Song", file);
        auto track = std::make_unique<CTrack>();
        track->name = "Lead";
        track->key = 10;
        track->events.push_back(test::note(0, 120, 100, 120));
        song.tracks.insert(song.tracks.end() - 1, std::move(track));
        RebuildPlayImages(song, false);
        song.UpdateSongEnd();
        app->SetCurrentSong(&song);
        return song;
    }

    SetPane& pane()
    {
        auto* found = qobject_cast<SetPane*>(app->views().slot(ViewSlots::kLive));
        EXPECT_NE(found, nullptr);
        return *found;
    }

    NoTrash trash;
};

int keyOf(const CMidiEvent& event)
{
    return int((event.message >> 8) & 0x7F);
}

TEST_F(SaveCommand, OffsetsMadePartOfTheNotesGoBackWithTheLastEdit)
{
    CSongDoc& song = clippingSong();
    const std::string before = DescribeSong(song);
    ASSERT_TRUE(app->router().execute(kIdTransposeUp));
    ASSERT_EQ(keyOf(song.tracks[1]->events[0]), 121);
    const std::string edited = DescribeSong(song);

    prompt.expectOkCancel("Apply these offsets and save anyway?", PromptAnswer::Ok);
    ASSERT_TRUE(app->router().execute(kIdFileSave));
    prompt.verifyAllUsed();
    EXPECT_FALSE(song.IsModified());
    EXPECT_EQ(song.tracks[1]->key, 0);
    EXPECT_EQ(keyOf(song.tracks[1]->events[0]), 119); // 131 folded down an octave
    EXPECT_EQ(app->router().update(kIdEditUndo).text.value_or(""), "&Undo Quick transpose");

    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(firstDifference(before, DescribeSong(song)), "") << "the transpose and the offsets both go";
    EXPECT_TRUE(song.IsModified());
    EXPECT_FALSE(app->router().update(kIdEditUndo).enabled);

    ASSERT_TRUE(app->router().execute(kIdEditRedo));
    EXPECT_EQ(song.tracks[1]->key, 0);
    EXPECT_EQ(keyOf(song.tracks[1]->events[0]), 119);
    EXPECT_FALSE(song.IsModified()) << "back to the saved state";
    EXPECT_NE(DescribeSong(song), edited);
}

TEST_F(SaveCommand, TheSetPaneDropsTheModifiedMarkOfTheSavedSong)
{
    CSongDoc& song = clippingSong();
    song.tracks[1]->key = 0; // nothing to ask
    RebuildPlayImages(song, false);
    SetTreeModel& model = pane().model();
    const SetTreeItem* item = app->set().tree().itemsOf(&song).front();
    const auto caption = [&] { return model.data(model.indexOf(item), Qt::DisplayRole).toString().toStdString(); };
    std::vector<const SetTreeItem*> redrawn;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                     [&](const QModelIndex& at) { redrawn.push_back(model.itemAt(at)); });
    const auto redrawnSince = [&](size_t mark) {
        return std::find(redrawn.begin() + std::ptrdiff_t(mark), redrawn.end(), item) != redrawn.end();
    };

    ASSERT_TRUE(app->router().execute(kIdTransposeUp));
    EXPECT_EQ(caption(), "Song *");
    size_t mark = redrawn.size();
    ASSERT_TRUE(app->router().execute(kIdFileSave));
    EXPECT_FALSE(song.IsModified());
    EXPECT_EQ(caption(), "Song");
    EXPECT_TRUE(redrawnSince(mark)) << "the pane shows the saved song without its mark";

    mark = redrawn.size();
    ASSERT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(caption(), "Song *");
    EXPECT_TRUE(redrawnSince(mark));
}

} // namespace
} // namespace rz
