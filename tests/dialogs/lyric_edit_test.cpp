// "Edit Lyrics" over a real song: the working list kept in tick order, the
// controls each break enables, syllables browsed without a change, the
// program's own texts left alone, and the one edit OK makes, undone.

#include "dialogs/edit_lyrics_dlg.h"

#include "dialogs/time_pos_ctrl.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "tests/song/song_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr uint8_t kLyric = 0x05;
constexpr uint8_t kText = 0x01;

CMidiEvent meta(int32_t tick, uint8_t type, std::string_view bytes)
{
    CMidiEvent e;
    e.tick = tick;
    e.SetMetaData(type, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    return e;
}

std::string bytesOf(const CMidiEvent& e)
{
    const auto b = e.data.bytes();
    return std::string(b.begin(), b.end());
}

class LyricEdit : public testing::Test {
protected:
    // Track 1 holds the events; the song has room for them.
    void makeTrack(std::vector<CMidiEvent> events)
    {
        auto track = std::make_unique<CTrack>();
        track->name = "Vocals";
        track->events = std::move(events);
        song->tracks.insert(song->tracks.end() - 1, std::move(track));
        RebuildPlayImages(*song, false);
        song->UpdateSongEnd();
        song->ExtendMeasureMap();
    }
    const std::vector<CMidiEvent>& events() const { return song->tracks[1]->events; }
    static QString textOf(const CEditLyricsDlg& d) { return d.textEdit()->text(); }
    // Applies what OK made; false when it made nothing.
    bool applyOk(CEditLyricsDlg& dialog)
    {
        dialog.accept();
        std::unique_ptr<CUndoRecord> record = dialog.takeRecord();
        if (!record)
            return false;
        EXPECT_EQ(record->label, "Edit Lyric");
        EXPECT_EQ(record->flags, kUndoEvents);
        EXPECT_EQ(song->ApplyEdit(std::move(record)), ApplyResult::Applied);
        return true;
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(LyricEdit, MovingASyllableReSortsTheListAndNextFollows)
{
    makeTrack({meta(0, kLyric, "one "), meta(120, kLyric, "two "), meta(240, kLyric, "three")});
    CEditLyricsDlg dialog(*song, 1, 0, nullptr);
    ASSERT_EQ(textOf(dialog), "one");
    dialog.position()->setTick(180);
    dialog.nextButton()->click();
    EXPECT_EQ(dialog.session().current(), 2);
    EXPECT_EQ(textOf(dialog), "three");
    EXPECT_FALSE(dialog.nextButton()->isEnabled());
    dialog.prevButton()->click();
    EXPECT_EQ(textOf(dialog), "one");
    EXPECT_EQ(dialog.position()->tick(), 180);
    dialog.prevButton()->click();
    EXPECT_EQ(textOf(dialog), "two");
    std::vector<int32_t> ticks;
    for (const auto& s : dialog.session().syllables())
        ticks.push_back(s.tick);
    EXPECT_EQ(ticks, (std::vector<int32_t>{120, 180, 240}));
}

TEST_F(LyricEdit, APositionPastTheSongsEndIsHeldAtTheEnd)
{
    const struct {
        int32_t typed;
        bool pastEnd;
    } kCases[] = {{180, false}, {1'442'880, true}, {0x7FFFFFFE, true}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.typed);
        song = fixture.newSong();
        makeTrack({meta(0, kLyric, "one "), meta(120, kLyric, "two "), meta(240, kLyric, "three")});
        const int32_t end = std::max(song->endTick, song->measureMapEnd);
        const int32_t length = song->endTick;
        ASSERT_LT(180, end);
        CEditLyricsDlg dialog(*song, 1, 0, nullptr);
        dialog.position()->setTick(c.typed);
        ASSERT_TRUE(applyOk(dialog));
        int32_t stored = -1;
        for (const CMidiEvent& e : events())
            if (bytesOf(e) == "one ")
                stored = e.tick;
        EXPECT_EQ(stored, c.pastEnd ? end : c.typed);
        EXPECT_LE(song->endTick, std::max(end, length) + 1) << "the song stays about as long";
    }
}

TEST_F(LyricEdit, DeletingTheOnlySyllableDisablesTheSyllableControls)
{
    makeTrack({meta(0, kLyric, "/{f:b}solo")});
    CEditLyricsDlg dialog(*song, 1, 0, nullptr);
    EXPECT_TRUE(dialog.boldBox()->isEnabled());
    dialog.deleteButton()->click();
    EXPECT_EQ(dialog.session().current(), -1);
    for (QWidget* w : std::initializer_list<QWidget*>{dialog.position(), dialog.textEdit(), dialog.deleteButton(),
                                                      dialog.prevButton(), dialog.nextButton(), dialog.boldBox(),
                                                      dialog.fontEdit(), dialog.backgroundEdit()})
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_TRUE(dialog.insertButton()->isEnabled());
    ASSERT_TRUE(applyOk(dialog));
    EXPECT_TRUE(events().empty());
}

TEST_F(LyricEdit, BrowsingEverySyllableChangesNothing)
{
    makeTrack({meta(0, kText, "@TTitle"), meta(0, kLyric, "/{F:C,b,\"Arial\",24,}Hello "),
               meta(60, kLyric, "world   "), meta(120, kLyric, ""), meta(180, kLyric, "/"),
               meta(240, kLyric, "|{b:sea.jpg}\xE9t\xE9"), meta(300, kLyric, "/{f:b"),
               meta(360, kText, "\\{x:odd}\xFF\xFE")});
    const std::string before = DescribeSong(*song);
    CEditLyricsDlg dialog(*song, 1, 1, nullptr);
    EXPECT_EQ(dialog.session().syllables().size(), 7u) << "the title is not a syllable";
    EXPECT_EQ(textOf(dialog), "Hello ");
    EXPECT_EQ(dialog.alignCombo()->currentText(), "Center");
    while (dialog.nextButton()->isEnabled())
        dialog.nextButton()->click();
    while (dialog.prevButton()->isEnabled())
        dialog.prevButton()->click();
    EXPECT_FALSE(applyOk(dialog));
    EXPECT_EQ(firstDifference(DescribeSong(*song), before), "");
}

TEST_F(LyricEdit, MarkersAreNeitherWalkedOntoNorDeleted)
{
    makeTrack({meta(0, kLyric, "one "), meta(60, kText, "@DR;2;0;mf"), meta(120, kLyric, "two ")});
    CEditLyricsDlg dialog(*song, 1, 0, nullptr);
    dialog.deleteButton()->click();
    EXPECT_EQ(textOf(dialog), "two");
    dialog.deleteButton()->click();
    ASSERT_TRUE(applyOk(dialog));
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(bytesOf(events()[0]), "@DR;2;0;mf");
    EXPECT_EQ(events()[0].message, kTextMessage);
}

TEST_F(LyricEdit, DeletionsAnInsertAndAnEditApplyAsOneStepAndUndo)
{
    const std::vector<std::vector<int>> orders = {{0, 2}, {2, 0}};
    for (const auto& order : orders) {
        SCOPED_TRACE(order[0]);
        song = fixture.newSong();
        makeTrack({meta(0, kLyric, "a "), meta(100, kLyric, "b "), meta(200, kLyric, "c "), meta(300, kLyric, "d")});
        const std::string before = DescribeSong(*song);
        CEditLyricsDlg dialog(*song, 1, order[0] == 0 ? 0 : 2, nullptr);
        dialog.deleteButton()->click(); // a, or c
        if (order[0] == 0) {
            dialog.nextButton()->click(); // b -> c
        } else {
            dialog.prevButton()->click();
            dialog.prevButton()->click(); // d -> b -> a
        }
        dialog.deleteButton()->click(); // c, or a
        EXPECT_EQ(textOf(dialog), order[0] == 0 ? "d" : "b");
        dialog.textEdit()->setText("edited");
        dialog.insertButton()->click();
        EXPECT_EQ(textOf(dialog), "la");
        EXPECT_EQ(dialog.breakCombo()->currentIndex(), int(LyricBreak::EndOfWord));
        ASSERT_TRUE(applyOk(dialog));
        std::vector<std::string> now;
        for (const CMidiEvent& e : events())
            now.push_back(std::to_string(e.tick) + " " + bytesOf(e));
        if (order[0] == 0)
            EXPECT_EQ(now, (std::vector<std::string>{"100 b ", "300 edited", "301 la "}));
        else
            EXPECT_EQ(now, (std::vector<std::string>{"100 edited ", "101 la ", "300 d"}));
        ASSERT_TRUE(song->Undo());
        EXPECT_EQ(firstDifference(DescribeSong(*song), before), "");
    }
}

TEST_F(LyricEdit, RewrittenSyllablesTakeTheTracksTypeAndKeepTheirEncoding)
{
    makeTrack({meta(0, kText, "/\xE9t\xE9 "), meta(100, kText, "x")});
    CEditLyricsDlg dialog(*song, 1, 0, nullptr);
    EXPECT_EQ(textOf(dialog), QString::fromUtf8("\xC3\xA9t\xC3\xA9 "));
    dialog.textEdit()->setText(QString::fromUtf8("\xC3\xA9t\xC3\xA9s"));
    dialog.boldBox()->setCheckState(Qt::Checked);
    ASSERT_TRUE(applyOk(dialog));
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(bytesOf(events()[0]), "/{f:b}\xE9t\xE9s");
    EXPECT_EQ(events()[0].message, kTextMessage);
}

TEST_F(LyricEdit, ATrackWithoutSyllablesOpensOnANewOneAtTheSongPosition)
{
    makeTrack({meta(0, kText, "@TTitle")});
    song->setPosition(480);
    CEditLyricsDlg dialog(*song, 1, -1, nullptr);
    EXPECT_EQ(textOf(dialog), "la");
    EXPECT_EQ(dialog.position()->tick(), 480);
    ASSERT_TRUE(applyOk(dialog));
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(bytesOf(events()[1]), "la ");
    EXPECT_EQ(events()[1].message, 0x5FFu);
}

TEST_F(LyricEdit, BackgroundIsChosenFromTheGraphicsFolder)
{
    makeTrack({meta(0, kLyric, "|Page")});
    fixture.profile.writeString("Dirs", "Graphics", "/pictures");
    fixture.prompt.expectOpenPath("Set lyric background...", std::filesystem::path("/pictures/stage/sea.jpg"));
    CEditLyricsDlg dialog(*song, 1, 0, nullptr);
    ASSERT_TRUE(dialog.browseButton()->isEnabled());
    dialog.browseButton()->click();
    ASSERT_EQ(fixture.prompt.prompts().size(), 1u);
    EXPECT_EQ(fixture.prompt.prompts()[0].path, "/pictures");
    EXPECT_EQ(fixture.prompt.prompts()[0].filter, "Graphic files (*.jpg *.bmp)");
    EXPECT_EQ(fixture.profile.readString("Dirs", "Graphics", ""), "/pictures/stage");
    ASSERT_TRUE(applyOk(dialog));
    EXPECT_EQ(bytesOf(events()[0]), "|{b:/pictures/stage/sea.jpg}Page");
}

} // namespace
} // namespace rz
