// Edit > Properties on a selected waveform clip in the whole program: the
// program's own dialog opens over the main frame and its OK is one edit.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "engine/ui/wave_props_dlg.h"
#include "res/command_ids.h"
#include "song/audio_clip.h"
#include "song/selection.h"
#include "song/track.h"
#include "ui/command_router.h"
#include "ui/help_opener.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace rz {
namespace {

class WavePropertiesCommand : public AppFixture {
protected:
    // The current song with one waveform track "Vocals" holding one clip at
    // tick 480, played once; nothing selected.
    CSongDoc& songWithClip()
    {
        start();
        CSongDoc& song = addSong("A");
        auto track = std::make_unique<CTrack>();
        track->name = "Vocals";
        track->type = kWaveTrack;
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = "WaveData\\take.wav";
        clip->number = 1;
        clip->length = 20'000'000; // 2 s a pass
        CMidiEvent event;
        event.tick = 480;
        event.SetClip(std::move(clip));
        track->events.push_back(std::move(event));
        song.tracks.insert(song.tracks.end() - 1, std::move(track));
        song.ExtendMeasureMap();
        app->SetCurrentSong(&song);
        return song;
    }

    static void select(CSongDoc& song, uint32_t kind)
    {
        ++song.selectionStamp;
        song.selectionKind = kind;
        song.tracks[1]->events[0].selectionStamp = song.selectionStamp;
    }

    // Runs Edit > Properties while `answer` works the modal dialog once it shows.
    void runProperties(const std::function<void(CWavePropsDlg&)>& answer)
    {
        answerModal<CWavePropsDlg>([&] { app->router().execute(kIdProperties); }, answer);
    }

    static QPushButton* button(CWavePropsDlg& dialog, QDialogButtonBox::StandardButton which)
    {
        return dialog.findChild<QDialogButtonBox*>()->button(which);
    }

    // Types into a field of the active dialog over its text and leaves it with Tab.
    static void typeInto(CWavePropsDlg& dialog, SpinEdit* field, const char* text)
    {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
};

TEST_F(WavePropertiesCommand, OnlyTheDialogsTheProgramHasEnableProperties)
{
    CSongDoc& song = songWithClip();
    select(song, kSelectAudioClip);
    EXPECT_TRUE(app->router().update(kIdProperties).enabled);
    select(song, kSelectEvents); // the event dialog is in the program too
    EXPECT_TRUE(app->router().update(kIdProperties).enabled);
}

TEST_F(WavePropertiesCommand, OkAppliesTheRepeatCountAndPositionAsOneUndoStep)
{
    CSongDoc& song = songWithClip();
    select(song, kSelectAudioClip);
    QTemporaryDir help;
    QFile page(help.filePath("Audio2.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    app->help().setFolder(help.path().toStdString());
    std::vector<std::string> opened;
    app->help().setUrlOpener([&](const QUrl& url) {
        opened.push_back(url.fileName().toStdString() + "#" + url.fragment().toStdString());
        return true;
    });
    bool overFrame = false;
    QString shownPosition;
    double shownTime = -1.0;
    double movedTime = -1.0;
    runProperties([&](CWavePropsDlg& dialog) {
        overFrame = dialog.parentWidget() == app->frame();
        button(dialog, QDialogButtonBox::Help)->click();
        dialog.repeatEdit()->setValue(3);
        const CTimePosCtrl* position = dialog.positionCtrl();
        shownPosition = position->field(TimeField::Measure)->text() + ":"
                        + position->field(TimeField::Beat)->text() + ":" + position->field(TimeField::Tick)->text();
        shownTime = dialog.smpteEdit()->time();
        typeInto(dialog, position->field(TimeField::Measure), "1");
        movedTime = dialog.smpteEdit()->time();
        button(dialog, QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(overFrame);
    ASSERT_EQ(song.timeBase, 120);
    EXPECT_EQ(shownPosition, "2:1:0"); // tick 480: measure 2 in 4/4
    EXPECT_DOUBLE_EQ(shownTime, smpteTimeOfTick(song, 480));
    EXPECT_DOUBLE_EQ(movedTime, smpteTimeOfTick(song, 0));
    EXPECT_EQ(opened, std::vector<std::string>{"Audio2.htm#props"});
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.undoList.back()->label, "Waveform properties");
    const CMidiEvent& moved = song.tracks[1]->events.at(0);
    EXPECT_EQ(moved.tick, 0);
    EXPECT_EQ(moved.clip()->number, 3);

    ASSERT_TRUE(song.Undo());
    EXPECT_EQ(song.tracks[1]->events.at(0).tick, 480);
    EXPECT_EQ(song.tracks[1]->events.at(0).clip()->number, 1);
}

TEST_F(WavePropertiesCommand, ATimeBeforeTheSongsOffsetMovesTheClipToTheStart)
{
    CSongDoc& song = songWithClip();
    song.smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 0, 0, 10, 0, 0);
    select(song, kSelectAudioClip);
    int32_t shownTick = -1;
    runProperties([&](CWavePropsDlg& dialog) {
        typeInto(dialog, dialog.smpteEdit()->field(SmpteField::Seconds), "3");
        shownTick = dialog.positionCtrl()->tick();
        button(dialog, QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(shownTick, 0);
    ASSERT_EQ(song.undoList.size(), 1u);
    EXPECT_EQ(song.tracks[1]->events.at(0).tick, 0);
}

TEST_F(WavePropertiesCommand, CancelChangesNothing)
{
    CSongDoc& song = songWithClip();
    select(song, kSelectAudioClip);
    bool shown = false;
    runProperties([&](CWavePropsDlg& dialog) {
        shown = true;
        dialog.repeatEdit()->setValue(5);
        dialog.reject();
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(song.undoList.empty());
    EXPECT_EQ(song.tracks[1]->events.at(0).clip()->number, 1);
}

} // namespace
} // namespace rz
