// Edit > Find and the lyric editor in the whole program: the program's own
// dialogs open over the main frame from the menu, the lyric view and Edit >
// Properties, and what they leave is one edit of the song.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "dialogs/edit_lyrics_dlg.h"
#include "dialogs/find_dlg.h"
#include "dialogs/spin_edit.h"
#include "res/command_ids.h"
#include "set/ui/lyric_view.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace rz {
namespace {

// The application with the track list and the lyric view registered as the
// program registers them, and a current song whose first track, selected,
// holds notes and two syllables.
class FindLyricsCommands : public AppFixture {
protected:
    void startWithSong()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        LyricViewContext lyrics;
        lyrics.profile = &profile;
        lyrics.engine = &app->engine();
        lyrics.trackRows = &app->trackRows();
        lyrics.style = [] { return 0; };
        lyrics.performanceMode = [this] { return app->display().performanceMode(); };
        lyrics.router = &app->router();
        lyrics.sendToFrame = [this](CommandId id) { return app->router().execute(id); };
        registerLyricView(app->viewFactory(), lyrics);
        song = &addSong("A");
        test::addUserTrack(*song).events = {test::note(0, 60, 90, 40), test::textEvent(0, "one ", 0x05),
                                            test::note(240, 62, 90, 40), test::textEvent(240, "two", 0x05),
                                            test::note(480, 60, 90, 40)};
        song->endTick = 4 * 480;
        song->ExtendMeasureMap();
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    bool showLyrics()
    {
        return app->router().execute(kIdViewKaraoke)
               && processUntil([this] { return app->views().slot(ViewSlots::kLyric) != nullptr; });
    }

    std::vector<std::string> selectedTexts() const
    {
        std::vector<std::string> found;
        for (const CMidiEvent& e : song->tracks[1]->events)
            if (e.selectionStamp == song->selectionStamp)
                found.push_back(e.isNote() ? std::to_string(e.data1()) + "@" + std::to_string(e.tick)
                                           : "text@" + std::to_string(e.tick));
        return found;
    }

    CSongDoc* song = nullptr;
};

TEST_F(FindLyricsCommands, FindWithSelectAllSelectsEveryMatchingNote)
{
    startWithSong();
    ASSERT_TRUE(app->router().update(kIdEditFind).enabled);
    bool overFrame = false;
    ASSERT_TRUE(answerModal<CFindDlg>([&] { app->router().execute(kIdEditFind); }, [&](CFindDlg& dialog) {
        overFrame = dialog.parentWidget() == app->frame();
        dialog.selectAllBox()->setChecked(true);
        dialog.kindBox(FindKind::Meta)->setChecked(false);
        dialog.fromEdit(FindField::Note)->setText("C4");
        dialog.toEdit(FindField::Note)->setText("60");
        dialog.okButton()->click();
    }));
    EXPECT_TRUE(overFrame);
    EXPECT_EQ(selectedTexts(), (std::vector<std::string>{"60@0", "60@480"}));
    EXPECT_EQ(profile.readString("FindPresets", "UseWhich", ""), "Default");

    song->setPosition(100);
    EXPECT_TRUE(app->router().execute(kIdFindNext));
    EXPECT_EQ(selectedTexts(), (std::vector<std::string>{"60@480"}));
    EXPECT_EQ(song->position(), 480);

    engine.state = TransportState::Playing;
    EXPECT_FALSE(app->router().update(kIdEditFind).enabled);
    EXPECT_FALSE(app->router().update(kIdFindNext).enabled);
}

TEST_F(FindLyricsCommands, InsertALyricAddsOneEditThatUndoes)
{
    startWithSong();
    ASSERT_TRUE(showLyrics());
    song->setPosition(360);
    ASSERT_TRUE(app->router().update(kIdInsertLyric).enabled);
    QString shown;
    ASSERT_TRUE(answerModal<CEditLyricsDlg>([&] { app->router().execute(kIdInsertLyric); },
                                            [&](CEditLyricsDlg& dialog) {
                                                shown = dialog.textEdit()->text();
                                                dialog.accept();
                                            }));
    EXPECT_EQ(shown, "la");
    ASSERT_EQ(song->tracks[1]->events.size(), 6u);
    const CMidiEvent& added = song->tracks[1]->events[4];
    EXPECT_EQ(added.tick, 360);
    EXPECT_EQ(std::string(added.data.bytes().begin(), added.data.bytes().end()), "la ");
    EXPECT_NE(app->router().update(kIdEditUndo).text.value_or("").find("Edit Lyric"), std::string::npos);
    EXPECT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(song->tracks[1]->events.size(), 5u);
}

TEST_F(FindLyricsCommands, PropertiesOnALyricOpensTheEditorOnThatSyllable)
{
    startWithSong();
    ++song->selectionStamp;
    song->selectionKind = kSelectEvents;
    song->tracks[1]->events[3].selectionStamp = song->selectionStamp;
    ASSERT_TRUE(app->router().update(kIdProperties).enabled);
    QString shown;
    ASSERT_TRUE(answerModal<CEditLyricsDlg>([&] { app->router().execute(kIdProperties); },
                                            [&](CEditLyricsDlg& dialog) {
                                                shown = dialog.textEdit()->text();
                                                dialog.reject();
                                            }));
    EXPECT_EQ(shown, "two");
    EXPECT_TRUE(song->undoList.empty());
}

} // namespace
} // namespace rz
