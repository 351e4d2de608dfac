// "Waveform Properties": the duration, the two position edits kept in step,
// the track list and the repeat count's range.

#include "engine/ui/wave_props_dlg.h"

#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/track.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/song/song_builder.h"

#include <QComboBox>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

class WaveProps : public SequencerTest {
protected:
    // A song of 120 per quarter at 120 ticks per quarter (a quarter is
    // 0.5 s) with user tracks 1 "Drums" (MIDI), 2 "Vocals" and 3 "Choir"
    // (waveform).
    CSongDoc& waveSong()
    {
        make().Init();
        CSongDoc& made = makeSong();
        made.measureMapEnd = ExtendMeasureMap(made.measureMap, 16 * 480);
        const std::pair<const char*, int32_t> tracks[] = {{"Drums", kMidiTrack}, {"Vocals", kWaveTrack},
                                                          {"Choir", kWaveTrack}};
        for (const auto& [name, type] : tracks) {
            CTrack& track = test::addUserTrack(made);
            track.name = name;
            track.type = type;
        }
        return made;
    }
    static WavePropsParams clip()
    {
        // 1 min 2 s a pass.
        return {"WaveData\\take.wav", 1, 480, 3, 620'000'000};
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // Types into a field over its text and leaves it with Tab.
    static void typeInto(SpinEdit* field, const char* text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    static QString positionText(const CWavePropsDlg& dialog)
    {
        const CTimePosCtrl* c = dialog.positionCtrl();
        return c->field(TimeField::Measure)->text() + ":" + c->field(TimeField::Beat)->text() + ":"
               + c->field(TimeField::Tick)->text();
    }
    static QString smpteText(const CWavePropsDlg& dialog)
    {
        const CSmpteEdit* e = dialog.smpteEdit();
        return e->field(SmpteField::Hours)->text() + ":" + e->field(SmpteField::Minutes)->text() + ":"
               + e->field(SmpteField::Seconds)->text() + ":" + e->field(SmpteField::Frames)->text();
    }
};

TEST_F(WaveProps, TheDurationIsOnePassTimesTheRepeatCount)
{
    CWavePropsDlg dialog(waveSong(), clip());
    EXPECT_EQ(dialog.durationText(), "0:01:02:00");
    dialog.repeatEdit()->setValue(3);
    EXPECT_EQ(dialog.durationText(), "0:03:06:00");
}

TEST_F(WaveProps, APositionChangeMovesTheTimeCodeAndBack)
{
    CWavePropsDlg dialog(waveSong(), clip());
    showActive(dialog);
    EXPECT_EQ(positionText(dialog), "2:1:0");
    EXPECT_EQ(smpteText(dialog), "0:0:2:0"); // tick 480: four quarters
    typeInto(dialog.positionCtrl()->field(TimeField::Measure), "3");
    EXPECT_EQ(dialog.positionCtrl()->tick(), 960);
    EXPECT_EQ(smpteText(dialog), "0:0:4:0");
    typeInto(dialog.smpteEdit()->field(SmpteField::Seconds), "1");
    EXPECT_EQ(dialog.positionCtrl()->tick(), 240);
    EXPECT_EQ(positionText(dialog), "1:3:0");
    EXPECT_EQ(dialog.params().tick, 240);
}

TEST_F(WaveProps, EnterInAFieldBeingTypedTakesItsText)
{
    CWavePropsDlg dialog(waveSong(), clip());
    showActive(dialog);
    SpinEdit* measure = dialog.positionCtrl()->field(TimeField::Measure);
    measure->setFocus();
    measure->selectAll();
    QTest::keyClicks(measure, "4");
    QTest::keyClick(measure, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().tick, 1440);
}

TEST_F(WaveProps, ATimeBeforeTheSongsOffsetPlacesTheClipAtTheStart)
{
    CSongDoc& song = waveSong();
    song.smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 0, 0, 10, 0, 0);
    CWavePropsDlg dialog(song, clip());
    showActive(dialog);
    EXPECT_EQ(smpteText(dialog), "0:0:12:0");
    typeInto(dialog.smpteEdit()->field(SmpteField::Seconds), "3");
    EXPECT_EQ(dialog.positionCtrl()->tick(), 0);
    EXPECT_EQ(positionText(dialog), "1:1:0");
    EXPECT_EQ(smpteText(dialog), "0:0:10:0") << "the song's start is shown";
    EXPECT_EQ(dialog.params().tick, 0);
}

TEST_F(WaveProps, OnlyWaveformTracksAreOfferedAndTheClipsIsChosen)
{
    CWavePropsDlg dialog(waveSong(), clip());
    QComboBox* tracks = dialog.trackCombo();
    ASSERT_EQ(tracks->count(), 2);
    EXPECT_EQ(tracks->itemText(0), "2: Vocals");
    EXPECT_EQ(tracks->currentText(), "3: Choir");
    tracks->setCurrentIndex(0);
    EXPECT_EQ(dialog.params().track, 2);
}

TEST_F(WaveProps, ARepeatCountOutsideItsRangeIsRefusedAndTheDialogStays)
{
    CWavePropsDlg dialog(waveSong(), clip());
    dialog.show();
    prompt.expectMessage("between 1 and 99");
    dialog.repeatEdit()->setValue(100);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    dialog.repeatEdit()->setValue(99);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.params().repeatCount, 99);
}

} // namespace
} // namespace rz
