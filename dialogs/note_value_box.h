#pragma once

#include <QComboBox>

#include <array>
#include <cstdint>

namespace rz {

// One row of the note-value list: its name and its length in MIDI clocks
// (24 per quarter note).
struct NoteValueRow {
    const char* name;
    int32_t clocks;
};
inline constexpr std::array<NoteValueRow, 15> kNoteValueRows = {{
    {"Whole", 96},
    {"Dotted half", 72},
    {"Half", 48},
    {"Dotted quarter", 36},
    {"Half triplet", 32},
    {"Quarter", 24},
    {"Dotted eighth", 18},
    {"Quarter triplet", 16},
    {"Eighth", 12},
    {"Dotted sixteenth", 9},
    {"Eighth triplet", 8},
    {"Sixteenth", 6},
    {"Sixteenth triplet", 4},
    {"Thirty-second", 3},
    {"Thirty-second triplet", 2},
}};
inline constexpr int kNoteValueWhole = 0;

// The row a typed character picks from `row`: "." or D steps through the
// dotted values, W H Q E S T pick a value and, typed again, its triplet (or
// the next shorter one). -1 for a character that picks nothing.
int noteValueRowForKey(int row, char32_t key);

// The note-value list with its images. Letter keys pick rows by the text
// they type, so the keyboard layout applies; other keys keep their usual
// meaning. GUI thread.
class NoteValueBox : public QComboBox {
    Q_OBJECT
public:
    explicit NoteValueBox(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rz
