#include <gtest/gtest.h>

#include "song_fixture.h"

namespace rz {
namespace {

class UndoMenuText : public ::testing::Test {
protected:
    void addRecord(const char* label)
    {
        auto record = std::make_unique<CUndoRecord>();
        record->label = label;
        song->undoList.push_back(std::move(record));
    }

    SongFixture f;
    std::unique_ptr<CSongDoc> song = f.newSong();
};

TEST_F(UndoMenuText, EmptyListShowsBareTextsDisabled)
{
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo ");
    EXPECT_FALSE(song->OnUpdateEditUndo().enabled);
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo ");
    EXPECT_FALSE(song->OnUpdateEditRedo().enabled);
    EXPECT_EQ(song->GetUndoRecord(), nullptr);
}

TEST_F(UndoMenuText, NamesTheRecordsAroundThePosition)
{
    addRecord("Delete Events");
    addRecord("Paste Tempos");
    song->undoPosition = song->undoList.end(); // everything applied
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo Paste Tempos");
    EXPECT_TRUE(song->OnUpdateEditUndo().enabled);
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo ");
    EXPECT_FALSE(song->OnUpdateEditRedo().enabled);

    song->undoPosition = std::prev(song->undoList.end()); // one undone
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo Delete Events");
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo Paste Tempos");
    EXPECT_TRUE(song->OnUpdateEditRedo().enabled);

    song->undoPosition = song->undoList.begin(); // all undone
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo ");
    EXPECT_FALSE(song->OnUpdateEditUndo().enabled);
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo Delete Events");
}

TEST_F(UndoMenuText, DisabledWhilePlayingOrPerforming)
{
    addRecord("Delete Events");
    addRecord("Paste Tempos");
    song->undoPosition = std::prev(song->undoList.end());
    f.engine.state = TransportState::Playing;
    EXPECT_FALSE(song->OnUpdateEditUndo().enabled);
    EXPECT_FALSE(song->OnUpdateEditRedo().enabled);
    f.engine.state = TransportState::Stopped;
    f.host.performance = true;
    EXPECT_FALSE(song->OnUpdateEditUndo().enabled);
    EXPECT_FALSE(song->OnUpdateEditRedo().enabled);
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo Delete Events");
}

TEST_F(UndoMenuText, DeleteContentsEmptiesTheList)
{
    addRecord("Delete Events");
    song->savedRecord = song->undoList.back().get();
    song->DeleteContents();
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(song->savedRecord, nullptr);
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo ");
}

} // namespace
} // namespace rz
