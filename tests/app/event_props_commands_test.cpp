// Insert > Event and Edit > Properties on events in the whole program: the
// event dialog opens over the main frame, and what it answers is one edit
// of the song.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "app/engine_dialogs.h"
#include "dialogs/event_props_dlg.h"
#include "dialogs/spin_edit.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <QComboBox>
#include <QTest>

namespace rz {
namespace {

// The program's dialogs and track list, and a current song whose first
// track, the current row, holds two notes.
class EventPropsCommands : public AppFixture {
protected:
    void startWithSong()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        registerEngineDialogs(*app);
        song = &addSong("A");
        test::addUserTrack(*song).events = {test::note(0, 60, 90, 40), test::note(240, 62, 80, 40)};
        song->endTick = 4 * 480;
        song->ExtendMeasureMap();
        app->SetCurrentSong(song);
        app->trackView()->SelectRow(1, true);
    }

    void select(std::initializer_list<size_t> events)
    {
        ++song->selectionStamp;
        song->selectionKind = kSelectEvents;
        for (const size_t e : events)
            song->tracks[1]->events[e].selectionStamp = song->selectionStamp;
    }

    static void typeValue(CEventPropsDlg& dialog, const char* text)
    {
        SpinEdit* value = dialog.valueEdit();
        value->selectAll();
        QTest::keyClick(value, Qt::Key_Backspace);
        QTest::keyClicks(value, text);
    }

    CSongDoc* song = nullptr;
};

TEST_F(EventPropsCommands, InsertEventAddsTheOfferedControllerAsOneUndoStep)
{
    startWithSong();
    song->setPosition(480);
    ASSERT_TRUE(app->router().update(kIdInsertEvent).enabled);
    bool overFrame = false;
    ASSERT_TRUE(answerModal<CEventPropsDlg>([&] { app->router().execute(kIdInsertEvent); },
                                            [&](CEventPropsDlg& dialog) {
                                                overFrame = dialog.parentWidget() == app->frame();
                                                dialog.accept();
                                            }));
    EXPECT_TRUE(overFrame);
    const std::vector<CMidiEvent>& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].tick, 480);
    EXPECT_EQ(events[2].message & 0xFFFFF0, 0x7F0BB0u);
    EXPECT_NE(app->router().update(kIdEditUndo).text.value_or("").find("Insert Event"), std::string::npos);
    EXPECT_TRUE(app->router().execute(kIdEditUndo));
    EXPECT_EQ(song->tracks[1]->events.size(), 2u);
}

TEST_F(EventPropsCommands, PropertiesOnANoteChangesItsVelocity)
{
    startWithSong();
    select({1});
    ASSERT_TRUE(app->router().update(kIdProperties).enabled);
    QString shown;
    ASSERT_TRUE(answerModal<CEventPropsDlg>([&] { app->router().execute(kIdProperties); },
                                            [&](CEventPropsDlg& dialog) {
                                                shown = dialog.valueEdit()->text();
                                                typeValue(dialog, "77");
                                                dialog.accept();
                                            }));
    EXPECT_EQ(shown, "80");
    const CMidiEvent& note = song->tracks[1]->events[1];
    EXPECT_EQ(note.data1(), 62);
    EXPECT_EQ(note.data2(), 77);
    EXPECT_EQ(note.tick, 240);
    EXPECT_EQ(note.value2, 40);
    EXPECT_EQ(song->undoList.size(), 1u);
}

TEST_F(EventPropsCommands, PropertiesOnTwoNotesAppliesOnlyTheFieldsSet)
{
    startWithSong();
    select({0, 1});
    ASSERT_TRUE(answerModal<CEventPropsDlg>([&] { app->router().execute(kIdProperties); },
                                            [&](CEventPropsDlg& dialog) {
                                                EXPECT_EQ(dialog.numberCombo()->currentText(), "");
                                                EXPECT_EQ(dialog.valueEdit()->text(), "");
                                                typeValue(dialog, "50");
                                                dialog.accept();
                                            }));
    const std::vector<CMidiEvent>& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].data1(), 60);
    EXPECT_EQ(events[1].data1(), 62);
    EXPECT_EQ(events[0].data2(), 50);
    EXPECT_EQ(events[1].data2(), 50);
    EXPECT_EQ(events[0].tick, 0);
    EXPECT_EQ(events[1].tick, 240);
    EXPECT_EQ(song->undoList.size(), 1u);
}

} // namespace
} // namespace rz
