// The notation dialogs in the whole program: Insert > Chord and Properties
// on the staff's chord, expression and wedge markers open the program's
// dialogs over the main frame and their OK is one edit; Adjust > Harp
// pedals reaches every track that echoes input.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "app/harp_pedals_command.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "res/command_ids.h"
#include "song/describe_song.h"
#include "song/selection.h"
#include "song/track.h"
#include "staff/chord_dlg.h"
#include "staff/expression_text_dlg.h"
#include "staff/harp_pedals_dlg.h"
#include "staff/wedge_dlg.h"
#include "tests/support/lock_holder.h"
#include "ui/command_router.h"
#include "views/slider/harp_pedal_wnd.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>
#include <sstream>

namespace rz {
namespace {

class StaffDialogsApp : public AppFixture {
protected:
    // The current song with tracks "Harp" and "Flute" (a text at tick 1920);
    // a marker text event at tick 480 on "Harp" when `marker` is given,
    // selected.
    CSongDoc& song(const std::string& marker = {})
    {
        start();
        CSongDoc& song = addSong("A");
        for (const char* name : {"Harp", "Flute"}) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            song.tracks.insert(song.tracks.end() - 1, std::move(track));
        }
        if (!marker.empty()) {
            CMidiEvent event;
            event.tick = 480;
            event.SetMetaText(1, marker);
            ++song.selectionStamp;
            event.selectionStamp = song.selectionStamp;
            song.selectionKind = kSelectEvents;
            song.tracks[1]->events.push_back(std::move(event));
        }
        // The song runs on past the markers' ends.
        CMidiEvent last;
        last.tick = 1920;
        last.SetMetaText(1, "end");
        song.tracks[2]->events.push_back(std::move(last));
        song.endTick = 1920;
        song.ExtendMeasureMap();
        app->SetCurrentSong(&song);
        return song;
    }

    static std::string markerOn(const CSongDoc& song, size_t track)
    {
        for (const CMidiEvent& event : song.tracks[track]->events) {
            const auto bytes = event.data.bytes();
            const std::string text(bytes.begin(), bytes.end());
            if (text.starts_with("@DR;"))
                return text;
        }
        return {};
    }

public:
    // Runs `id` while `answer` works the modal dialog once it shows; false
    // when it never showed.
    template <class Dialog>
    bool run(CommandId id, const std::function<void(Dialog&)>& answer)
    {
        return answerModal<Dialog>([&] { app->router().execute(id); }, [&](Dialog& dialog) {
            EXPECT_EQ(dialog.parentWidget(), app->frame());
            answer(dialog);
        });
    }

protected:
    // The track's events as the song describes them.
    static std::string eventsOf(const CSongDoc& song)
    {
        const std::string all = DescribeSong(song);
        std::string events;
        std::istringstream lines(all);
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("  event"))
                events += line + "\n";
        return events;
    }

    // One record was added, and undoing it gives back the events.
    static void expectOneEdit(CSongDoc& song, const std::string& before, size_t records)
    {
        EXPECT_EQ(song.undoList.size(), records + 1);
        ASSERT_TRUE(song.Undo());
        EXPECT_EQ(eventsOf(song), before);
    }
};

TEST_F(StaffDialogsApp, InsertChordPlacesTheChosenChordAsOneEdit)
{
    CSongDoc& s = song();
    s.setPosition(960);
    const std::string before = eventsOf(s);
    const size_t records = s.undoList.size();
    ASSERT_TRUE(app->router().update(kIdInsertChord).enabled);
    ASSERT_TRUE(run<CChordDlg>(kIdInsertChord, [](CChordDlg& dialog) {
        dialog.groupList()->setEditText("Standard");
        dialog.chordList()->setEditText("Zz9");
        dialog.okButton()->click();
    }));
    EXPECT_EQ(markerOn(s, 1), "@DR;1;134;134;134;134;134;134;Standard|Zz9");
    expectOneEdit(s, before, records);
}

TEST_F(StaffDialogsApp, PropertiesOnEachMarkerOpensItsDialogAndOkIsOneEdit)
{
    struct Case {
        const char* marker;
        std::function<bool(StaffDialogsApp&)> answer;
        const char* result;
    };
    const Case cases[] = {
        {"@DR;2;0;6",
         [](StaffDialogsApp& test) {
             return test.run<CExpressionTextDlg>(kIdProperties, [](CExpressionTextDlg& dialog) {
                 EXPECT_EQ(dialog.textEdit()->text(), "mf");
                 dialog.textEdit()->setText("pp");
                 dialog.okButton()->click();
             });
         },
         "@DR;2;0;8"},
        {"@DR;3;240",
         [](StaffDialogsApp& test) {
             return test.run<CWedgeDlg>(kIdProperties, [](CWedgeDlg& dialog) {
                 EXPECT_TRUE(dialog.crescendoButton()->isChecked());
                 EXPECT_EQ(dialog.endCtrl()->tick(), 720);
                 dialog.decrescendoButton()->click();
                 dialog.accept();
             });
         },
         "@DR;3;-240"},
        {"@DR;1;134;134;134;134;134;134;Standard|Q7",
         [](StaffDialogsApp& test) {
             return test.run<CChordDlg>(kIdProperties, [](CChordDlg& dialog) {
                 EXPECT_EQ(dialog.chordList()->currentText(), "Q7");
                 EXPECT_FALSE(dialog.trackList()->isEnabled());
                 dialog.gridButton()->click();
                 dialog.okButton()->click();
             });
         },
         "@DR;1;135;135;135;135;135;135;Standard|Q7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker);
        CSongDoc& s = song(c.marker);
        const std::string before = eventsOf(s);
    const size_t records = s.undoList.size();
        ASSERT_TRUE(app->router().update(kIdProperties).enabled);
        ASSERT_TRUE(c.answer(*this));
        EXPECT_EQ(markerOn(s, 1), c.result);
        expectOneEdit(s, before, records);
        app.reset();
    }
}

TEST_F(StaffDialogsApp, HarpPedalsAreGreyWithoutAThruTrack)
{
    CSongDoc& s = song();
    registerHarpPedalsDialog(*app);
    EXPECT_FALSE(app->router().update(kIdHarpPedals).enabled);
    engine.thruKeys = {{1, 0}};
    EXPECT_TRUE(app->router().update(kIdHarpPedals).enabled);
    engine.state = TransportState::Playing;
    EXPECT_FALSE(app->router().update(kIdHarpPedals).enabled);
    engine.state = TransportState::Stopped;
    engine.thruKeys = {{int(s.tracks.size()) - 1, 0}}; // the empty last track
    EXPECT_FALSE(app->router().update(kIdHarpPedals).enabled);
}

TEST_F(StaffDialogsApp, HarpPedalsOkReachesEveryThruTrack)
{
    CSongDoc& s = song();
    registerHarpPedalsDialog(*app);
    s.tracks[2]->pitchClassCorrection = 33;
    s.tracks[1]->pitchClassCorrection = 7;
    engine.thruKeys = {{2, 0}, {1, 0}};
    uint32_t shown = 0;
    ASSERT_TRUE(run<CHarpPedalsDlg>(kIdHarpPedals, [&](CHarpPedalsDlg& dialog) {
        shown = dialog.pedals();
        dialog.resetButton()->click();
        dialog.pedalWnd()->setState(harp_pedals::withPosition(0, 0, harp_pedals::kSharp));
        dialog.accept();
    }));
    EXPECT_EQ(shown, 33u);
    const uint32_t word = harp_pedals::withPosition(0, 0, harp_pedals::kSharp);
    EXPECT_EQ(s.tracks[1]->pitchClassCorrection, word);
    EXPECT_EQ(s.tracks[2]->pitchClassCorrection, word);
    EXPECT_EQ(engine.log.count("RebuildThruTracks"), 1u);
}

TEST_F(StaffDialogsApp, HarpPedalsOkOnABusySongSaysSoAndChangesNothing)
{
    CSongDoc& s = song();
    registerHarpPedalsDialog(*app);
    s.tracks[1]->pitchClassCorrection = 5;
    engine.thruKeys = {{1, 0}};
    std::optional<LockHolder> view;
    prompt.expectMessage("the harp pedals were not changed");
    ASSERT_TRUE(run<CHarpPedalsDlg>(kIdHarpPedals, [&](CHarpPedalsDlg& dialog) {
        dialog.resetButton()->click();
        view.emplace(SongMutex());
        dialog.accept();
    }));
    view.reset();
    prompt.verifyAllUsed();
    EXPECT_EQ(s.tracks[1]->pitchClassCorrection, 5u);
    EXPECT_EQ(engine.log.count("RebuildThruTracks"), 0u);
}

TEST_F(StaffDialogsApp, HarpPedalsCancelChangesNothing)
{
    CSongDoc& s = song();
    registerHarpPedalsDialog(*app);
    s.tracks[1]->pitchClassCorrection = 5;
    engine.thruKeys = {{1, 0}};
    ASSERT_TRUE(run<CHarpPedalsDlg>(kIdHarpPedals, [](CHarpPedalsDlg& dialog) {
        dialog.resetButton()->click();
        EXPECT_EQ(dialog.pedals(), 0u);
        dialog.reject();
    }));
    EXPECT_EQ(s.tracks[1]->pitchClassCorrection, 5u);
    EXPECT_EQ(engine.log.count("RebuildThruTracks"), 0u);
}

} // namespace
} // namespace rz
