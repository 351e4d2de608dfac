#pragma once

// One song with two tracks ("Guitar" on a recording port, "Bass" on none),
// and a temporary synthesizer database whose chord table holds "Standard"
// chords "C" (five bytes of data) and "Am" (none).

#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_chords.h"
#include "staff/chord_dlg.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {

class NotationDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        m_db = SynthDatabase::open(m_folder.file("chords.sqlite"), fixture.prompt);
        ASSERT_TRUE(m_db);
        m_db->connection().exec(R"(DELETE FROM "chords";
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Standard', 'C', 'abcde');
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Standard', 'Am', NULL);)");
        m_book = std::make_unique<SynthDbChordTable>(*m_db);
        for (const char* name : {"Guitar", "Bass"}) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            track->channel = 2;
            song->tracks.insert(song->tracks.end() - 1, std::move(track));
        }
        song->tracks[1]->outputPort = &port;
    }

    static ChordParams newChord(int track = 1)
    {
        ChordParams start;
        start.tick = 480;
        start.track = track;
        return start;
    }

    // Types a measure number into a position control and leaves the field.
    static void typeMeasure(CTimePosCtrl* ctrl, const char* measure)
    {
        SpinEdit* field = ctrl->field(TimeField::Measure);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, measure);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    static void type(QComboBox* combo, const char* text)
    {
        combo->setEditText(text);
    }

    // A grid byte per string, as the click on that string would set it.
    // Clicks string `string` at fret row `row` (0 the top row shown).
    static void clickString(CChordDlg& dialog, int string, int row)
    {
        const QRect r = dialog.gridRect();
        const QPoint at(r.left() + string * r.width() / 5, r.top() + row * r.height() / 4 + r.height() / 8);
        QTest::mouseClick(dialog.picture(), Qt::LeftButton, {}, at);
    }

    TempFolder m_folder{"rz_chord_dlg_"};
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    FakeMidiOut port;
    std::unique_ptr<SynthDatabase> m_db;
    std::unique_ptr<SynthDbChordTable> m_book;
};

} // namespace rz
