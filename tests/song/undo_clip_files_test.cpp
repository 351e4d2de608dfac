#include <filesystem>

#include <gtest/gtest.h>

#include "undo_fixture.h"

namespace rz::test {
namespace {

// Puts a clip on the Audio track (row 3).
std::unique_ptr<CUndoRecord> pasteClip(const char* name, int32_t tick)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoEvents;
    r->label = "Paste Clip";
    r->events = std::make_unique<CEventList>();
    r->events->sortKeys = {eventKey(3, kComputedPosition)};
    r->events->events.push_back(UndoFixture::clipEvent(tick, name));
    return r;
}

std::unique_ptr<CUndoRecord> deleteEvent(uint32_t track, uint32_t index)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoEvents;
    r->label = "Delete Events";
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(track, index)};
    return r;
}

class UndoClipFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        song->songFolder = dir.path();
        std::filesystem::create_directories(dir.path() / "WaveData");
        for (const char* name : {"a.wav", "gone.wav", "keep.wav"})
            touchFile(dir.path() / "WaveData" / name);
        song->tracks[3]->events[0].clip()->fileName = "WaveData\\KEEP.WAV";
    }

    bool exists(const char* name) const { return std::filesystem::exists(dir.path() / "WaveData" / name); }

    TempDir dir;
    UndoFixture f;
    std::unique_ptr<CSongDoc> song = f.smallSong();
};

TEST_F(UndoClipFiles, DroppedRecordsDeleteTheClipsOnlyTheyUsed)
{
    ASSERT_EQ(song->ApplyEdit(pasteClip("WaveData\\gone.wav", 960)), ApplyResult::Applied);
    ASSERT_EQ(song->ApplyEdit(pasteClip("WaveData\\keep.wav", 1200)), ApplyResult::Applied);
    ASSERT_TRUE(song->Undo());
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(exists("gone.wav"));
    ASSERT_EQ(song->ApplyEdit(deleteEvent(1, 0)), ApplyResult::Applied);
    EXPECT_FALSE(exists("gone.wav"));
    EXPECT_TRUE(exists("keep.wav")); // the song's own clip, named in other case
    EXPECT_EQ(song->undoList.size(), 1u);
}

TEST_F(UndoClipFiles, ClipsAnUndoRecordStillHoldsStay)
{
    // The first edit deletes the song's clip; undoing it would need the file.
    song->tracks[3]->events[0].clip()->fileName = "WaveData\\a.wav";
    ASSERT_EQ(song->ApplyEdit(deleteEvent(3, 0)), ApplyResult::Applied);
    ASSERT_EQ(song->ApplyEdit(pasteClip("WaveData\\a.wav", 960)), ApplyResult::Applied);
    ASSERT_TRUE(song->Undo());
    ASSERT_EQ(song->ApplyEdit(deleteEvent(1, 0)), ApplyResult::Applied);
    EXPECT_TRUE(exists("a.wav"));
}

TEST_F(UndoClipFiles, ClipSamplesFollowTheirEvents)
{
    ASSERT_EQ(song->ApplyEdit(pasteClip("WaveData\\gone.wav", 960)), ApplyResult::Applied);
    EXPECT_TRUE(f.clips.log.contains("loadSamples(WaveData\\gone.wav)"));
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(f.clips.log.contains("releaseSamples(WaveData\\gone.wav)"));
}

TEST_F(UndoClipFiles, ModifiedFlagFollowsTheSavedRecord)
{
    ASSERT_EQ(song->ApplyEdit(deleteEvent(1, 0)), ApplyResult::Applied);
    song->savedRecord = song->GetUndoRecord();
    song->SetModifiedFlag(false);
    ASSERT_EQ(song->ApplyEdit(deleteEvent(1, 0)), ApplyResult::Applied);
    EXPECT_TRUE(song->IsModified());
    ASSERT_TRUE(song->Undo());
    EXPECT_FALSE(song->IsModified());
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(song->IsModified());
    ASSERT_TRUE(song->Redo());
    EXPECT_FALSE(song->IsModified());

    // Saved at the second edit, which a new edit then drops: no state on the
    // list is the saved one any more.
    ASSERT_TRUE(song->Redo());
    song->savedRecord = song->GetUndoRecord();
    ASSERT_TRUE(song->Undo());
    ASSERT_EQ(song->ApplyEdit(deleteEvent(1, 0)), ApplyResult::Applied);
    ASSERT_TRUE(song->Undo());
    EXPECT_TRUE(song->IsModified());
}

TEST_F(UndoClipFiles, MenuTextsNameTheRecords)
{
    ASSERT_EQ(song->ApplyEdit(pasteClip("WaveData\\gone.wav", 960)), ApplyResult::Applied);
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo Paste Clip");
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo ");
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(song->OnUpdateEditUndo().text, "&Undo ");
    EXPECT_EQ(song->OnUpdateEditRedo().text, "&Redo Paste Clip");
    EXPECT_TRUE(song->OnUpdateEditRedo().enabled);
}

} // namespace
} // namespace rz::test
