// "Waveform Properties": the duration, the two position edits kept in step,
// the track list and the repeat count's range.

#include "engine/ui/wave_props_dlg.h"

#include "engine/ui/time_entry_edits.h"
#include "song/track.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/song/song_builder.h"

#include <QComboBox>
#include <QSpinBox>

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
    EXPECT_EQ(dialog.smpteEdit()->text(), "0:00:02:00"); // tick 480: four quarters
    dialog.positionEdit()->setText("3:1:000");
    emit dialog.positionEdit()->textEdited("3:1:000");
    EXPECT_EQ(dialog.positionEdit()->tick(), 960);
    EXPECT_EQ(dialog.smpteEdit()->text(), "0:00:04:00");
    emit dialog.smpteEdit()->textEdited("0:00:01:00");
    EXPECT_EQ(dialog.positionEdit()->tick(), 240);
    EXPECT_EQ(dialog.positionEdit()->text(), "1:3:000");
    EXPECT_EQ(dialog.params().tick, 240);
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
