// "Chord properties" over a temporary synthesizer database: what a chord's
// stored data opens on, the table's Add and Remove, the grid's rules, the
// notes it answers and the audition on a recording port.

#include "core/settings.h"
#include "staff/chord_dlg.h"
#include "staff/chord_grid.h"
#include "tests/staff/dialogs/notation_dialogs_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace rz {
namespace {

using namespace chord_grid;

TEST_F(NotationDialogs, ChordDataNotSixBytesLongOpensWithNoGrid)
{
    for (const char* chord : {"C", "Am"}) {
        SCOPED_TRACE(chord);
        ChordParams start = newChord();
        start.text = "Standard";
        start.name = chord;
        start.chord = {0x90, 0x90, 0x90, 0x90, 0x90, 0x90};
        CChordDlg dialog(*song, m_book.get(), start);
        EXPECT_EQ(dialog.chordList()->currentText().toStdString(), chord);
        EXPECT_EQ(dialog.gridButton()->text(), "Show grid");
        EXPECT_TRUE(isHidden(dialog.grid()));
        EXPECT_FALSE(dialog.clearButton()->isEnabled());
        EXPECT_FALSE(dialog.playButton()->isEnabled());
        EXPECT_FALSE(dialog.fretUpButton()->isEnabled());
        EXPECT_FALSE(dialog.trackList()->isEnabled());
        dialog.gridButton()->click();
        EXPECT_EQ(dialog.grid(), filled(kClearedByte));
        EXPECT_EQ(dialog.gridButton()->text(), "Hide grid");
    }
}

TEST_F(NotationDialogs, AddedChordsKeepTheirGroupAndGridWhenOpenedAgain)
{
    ChordGrid drawn{};
    {
        CChordDlg dialog(*song, m_book.get(), newChord());
        type(dialog.groupList(), "Bob's");
        type(dialog.chordList(), "G7");
        dialog.gridButton()->click();
        clickString(dialog, 0, 2); // first finger
        clickString(dialog, 1, 1); // second finger
        dialog.markButton(kOpen)->click();
        clickString(dialog, 2, 0);
        dialog.markButton(kNotPlayed)->click();
        clickString(dialog, 5, 3);
        drawn = dialog.grid();
        EXPECT_EQ(drawn, (ChordGrid{gridByte(2, 0), gridByte(1, 1), gridByte(0, kOpen), kClearedByte,
                                    kClearedByte, gridByte(0, kNotPlayed)}));
        ASSERT_TRUE(dialog.addButton()->isEnabled());
        dialog.addButton()->click();
        EXPECT_FALSE(dialog.addButton()->isEnabled());
        EXPECT_TRUE(dialog.removeButton()->isEnabled());
        EXPECT_TRUE(fixture.prompt.prompts().empty());
    }
    ChordParams start = newChord();
    start.text = "Bob's";
    start.name = "G7";
    start.chord = {0x86, 0x86, 0x86, 0x86, 0x86, 0x86};
    CChordDlg dialog(*song, m_book.get(), start);
    EXPECT_EQ(dialog.groupList()->currentText(), "Bob's");
    EXPECT_GE(dialog.groupList()->findText("Bob's"), 0);
    EXPECT_EQ(dialog.grid(), drawn);
    dialog.accept();
    const ChordParams p = dialog.params();
    EXPECT_EQ(p.text, "Bob's");
    EXPECT_EQ(p.name, "G7");
    for (size_t s = 0; s < drawn.size(); ++s)
        EXPECT_EQ(p.chord[s], int32_t(drawn[s]));
}

TEST_F(NotationDialogs, ANewNameInAnExistingGroupCanBeAddedButNotRemoved)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    EXPECT_EQ(dialog.groupList()->currentText(), "Standard");
    type(dialog.chordList(), "Cmaj9");
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.removeButton()->isEnabled());
    type(dialog.chordList(), "C");
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_TRUE(dialog.removeButton()->isEnabled());
    type(dialog.chordList(), "C|7");
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    type(dialog.chordList(), "C7");
    type(dialog.groupList(), "My|group");
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST_F(NotationDialogs, RemovingAChordAsksFirst)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    type(dialog.chordList(), "Am");
    fixture.prompt.expectYesNo("Are you sure that you want to remove 'Standard/Am'?", PromptAnswer::No);
    dialog.removeButton()->click();
    EXPECT_GE(dialog.chordList()->findText("Am"), 0);
    fixture.prompt.expectYesNo("remove 'Standard/Am'", PromptAnswer::Yes);
    dialog.removeButton()->click();
    EXPECT_LT(dialog.chordList()->findText("Am"), 0);
    ASSERT_EQ(m_book->chords("Standard").value.size(), 1u);
}

TEST_F(NotationDialogs, DatabaseFailuresShowOneMessageAndChangeNothing)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    type(dialog.chordList(), "E");
    dialog.gridButton()->click();
    m_db->connection().exec(R"(DROP TABLE "chords")");
    fixture.prompt.expectMessage("chord table could not take the chord");
    dialog.addButton()->click();
    EXPECT_EQ(fixture.prompt.prompts().size(), 1u);
    EXPECT_LT(dialog.chordList()->findText("E"), 0);
}

TEST_F(NotationDialogs, FretMovesAreRefusedWholeAtEitherEndOfTheNeck)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    dialog.gridButton()->click();
    clickString(dialog, 0, 3);
    dialog.markButton(kOpen)->click();
    clickString(dialog, 1, 0);
    ASSERT_EQ(fretOf(dialog.grid()[0]), 3);
    for (int step = 0; step < 12; ++step)
        dialog.fretDownButton()->click(); // up the neck
    EXPECT_EQ(fretOf(dialog.grid()[0]), 15);
    const ChordGrid atTop = dialog.grid();
    dialog.fretDownButton()->click();
    EXPECT_EQ(dialog.grid(), atTop);
    for (int step = 0; step < 16; ++step)
        dialog.fretUpButton()->click();
    EXPECT_EQ(fretOf(dialog.grid()[0]), 0);
    EXPECT_EQ(dialog.grid()[1], gridByte(0, kOpen));
}

TEST_F(NotationDialogs, TheNotesAnOpenStringAndTheFirstRowSound)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    type(dialog.chordList(), "Em?");
    dialog.gridButton()->click();
    dialog.markButton(kOpen)->click();
    clickString(dialog, 0, 0);
    dialog.markButton(kFirstFinger)->click();
    clickString(dialog, 1, 0);
    clickString(dialog, 2, 1);
    dialog.insertList()->setCurrentIndex(2);
    dialog.accept();
    const ChordParams p = dialog.params();
    EXPECT_EQ(p.notes, (std::vector<uint32_t>{0x640090 | 52 << 8, 0x640090 | 58 << 8, 0x640090 | 64 << 8}));
    EXPECT_EQ(p.insertMode, 2);
    EXPECT_EQ(p.track, 1);
    EXPECT_EQ(p.tick, 480);
    EXPECT_EQ(readSetting(fixture.profile, settings::kDefaultsInsertChordNotes), 2);
    CChordDlg again(*song, m_book.get(), newChord());
    EXPECT_EQ(again.insertList()->currentIndex(), 2);
}

TEST_F(NotationDialogs, PlayNeedsATrackWithAPort)
{
    CChordDlg dialog(*song, m_book.get(), newChord(2));
    dialog.gridButton()->click();
    dialog.markButton(kOpen)->click();
    clickString(dialog, 0, 0);
    EXPECT_FALSE(dialog.playButton()->isEnabled());
    dialog.trackList()->setEditText("1");
    dialog.trackList()->lineEdit()->editingFinished();
    EXPECT_EQ(dialog.trackList()->currentIndex(), 0);
    EXPECT_TRUE(dialog.playButton()->isEnabled());
}

TEST_F(NotationDialogs, TheAuditionSoundsEachStringThenEndsEveryNote)
{
    CChordDlg dialog(*song, m_book.get(), newChord());
    type(dialog.chordList(), "A7sus");
    dialog.gridButton()->click();
    dialog.markButton(kOpen)->click();
    clickString(dialog, 1, 0);
    clickString(dialog, 3, 0);
    dialog.playButton()->click();
    EXPECT_TRUE(dialog.auditioning());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    dialog.tick();
    dialog.tick();
    EXPECT_EQ(port.shortMessages,
              (std::vector<uint32_t>{0xFF000000 | 0x640092 | 57 << 8, 0xFF000000 | 0x640092 | 67 << 8}));
    for (int step = 0; step < 4; ++step)
        dialog.tick();
    EXPECT_FALSE(dialog.auditioning());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_TRUE(dialog.playButton()->isEnabled());
    EXPECT_EQ(port.shortMessages.size(), 4u);
    EXPECT_EQ(port.shortMessages[2], 0xFF000000 | 0x82 | 57 << 8);
    EXPECT_EQ(port.shortMessages[3], 0xFF000000 | 0x82 | 67 << 8);
}

TEST_F(NotationDialogs, ClosingMidAuditionEndsEveryNoteItSounded)
{
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close button");
        port.shortMessages.clear();
        CChordDlg dialog(*song, m_book.get(), newChord());
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.gridButton()->click();
        dialog.markButton(kOpen)->click();
        for (int string = 0; string < 6; ++string)
            clickString(dialog, string, 0);
        dialog.playButton()->click();
        dialog.tick();
        dialog.tick();
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.auditioning());
        EXPECT_EQ(port.shortMessages,
                  (std::vector<uint32_t>{0xFF640092 | 52 << 8, 0xFF640092 | 57 << 8, 0xFF000082 | 52 << 8,
                                         0xFF000082 | 57 << 8}));
    }
}

TEST(ChordGrid, ClicksLandOnTheStringAndRowUnderThem)
{
    struct Case {
        int x, y, firstFret, mark;
        std::optional<std::pair<int, uint8_t>> placed;
    };
    // A 100 x 80 grid: strings every 20 pixels, rows every 20.
    const Case cases[] = {
        {0, 10, 0, 0, std::pair{0, gridByte(0, 0)}},
        {-9, 10, 0, 1, std::pair{0, gridByte(0, 1)}},
        {-11, 10, 0, 1, std::nullopt},
        {100, 79, 0, 2, std::pair{5, gridByte(3, 2)}},
        {111, 10, 0, 2, std::nullopt},
        {40, 30, 5, 3, std::pair{2, gridByte(6, 3)}},
        {40, 80, 5, 3, std::nullopt},
        {40, -1, 5, 4, std::nullopt},
        {40, 70, 13, 0, std::nullopt}, // row 16 is off the neck
        {40, -50, 7, kNotPlayed, std::pair{2, gridByte(0, kNotPlayed)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const std::optional<Placement> p = placeAt(c.x, c.y, 100, 80, c.firstFret, c.mark);
        ASSERT_EQ(p.has_value(), c.placed.has_value());
        if (p) {
            EXPECT_EQ(p->string, c.placed->first);
            EXPECT_EQ(p->byte, c.placed->second);
        }
    }
    EXPECT_EQ(markAfter(0), 1);
    EXPECT_EQ(markAfter(3), 0);
    EXPECT_EQ(markAfter(kThumb), 0);
}

} // namespace
} // namespace rz
