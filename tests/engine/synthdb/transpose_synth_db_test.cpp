// Transposing a song against a real synthesizer database: chord markers
// take their chord bytes from the chords table, and drum tracks are found
// by their drumset's header record.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/edit_dialogs.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_chords.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "synth_db_fixture.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

namespace rz {
namespace {

std::string textOf(const CMidiEvent& event)
{
    const auto bytes = event.data.bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

struct TransposeDbFixture : SongFixture {
    SynthDbTempDir folder;
    std::unique_ptr<SynthDatabase> db = withRows(folder.file(), prompt);
    SynthDbChordTable chords{*db};
    ScriptedEditDialogs dialogs;

    // A database file holding chord D of the "Pop" group besides the built-in
    // names (synth 33's drumset 0 among them), opened afresh.
    static std::unique_ptr<SynthDatabase> withRows(const std::filesystem::path& file, IPrompt& prompt)
    {
        auto created = SynthDatabase::open(file, prompt);
        created->connection().exec(
            R"(INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Pop', 'D', '@DHK@@'))");
        created.reset();
        return SynthDatabase::open(file, prompt);
    }

    // Track 1 holds a note and two chord markers, track 2 a drum note on
    // synth 33's drumset 0; the whole of measure 0 is selected.
    std::unique_ptr<CSongDoc> song()
    {
        SongContext c = context();
        c.synths = const_cast<ISynthLookup*>(&db->lookup());
        c.chords = &chords;
        c.editDialogs = &dialogs;
        auto s = std::make_unique<CSongDoc>(c);
        s->InitNewSong();
        s->timeBase = 480;
        s->measureMap.front().Set(0, 1920);
        CTrack& keys = test::addUserTrack(*s);
        keys.events = {test::textEvent(0, "@DR;1;128;132;135;128;128;128;Pop|C"), test::note(10, 60, 90, 100),
                       test::textEvent(480, "@DR;1;128;132;135;128;128;128;Pop|Csus9")};
        CTrack& drums = test::addUserTrack(*s);
        drums.channel = 9;
        drums.bank = 0;
        drums.patch = 0;
        drums.events = {test::note(0, 36, 90, 100, 9)};
        RebuildPlayImages(*s, false);
        drums.synth = 33; // as the port's synthesizer look-up leaves it
        s->UpdateSongEnd();
        s->ExtendMeasureMap();
        s->RecomputeMeasureStarts();
        s->selectionKind = kSelectTimeRange;
        s->selectionFrom = 0;
        s->selectionTo = 1920;
        return s;
    }
};

TEST(TransposeSynthDb, ChordMarkersAndDrumTracksFollowTheDatabase)
{
    TransposeDbFixture f;
    auto song = f.song();
    TransposeParams p;
    p.halfSteps = 2;
    p.changeKeys = false;
    f.dialogs.transposeAnswer = p;
    song->OnEditTranspose();

    ASSERT_EQ(song->undoList.size(), 1u);
    const auto& keys = song->tracks[1]->events;
    EXPECT_EQ(textOf(keys[0]), "@DR;1;192;196;200;203;192;192;Pop|D");
    EXPECT_EQ(keys[1].data1(), 62);
    EXPECT_EQ(textOf(keys[2]), "@DR;1;128;132;135;128;128;128;Pop|Csus9");
    EXPECT_EQ(song->tracks[2]->events[0].data1(), 36);
    // The note and the one marker with a chord row; nothing else.
    EXPECT_EQ(song->undoList.back()->events->events.size(), 2u);
}

} // namespace
} // namespace rz
