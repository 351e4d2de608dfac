#pragma once

#include "core/chord_book.h"
#include "core/edit_dialogs.h"
#include "ui/dialog_base.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QBoxLayout;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class IMidiOut;

// "Chord properties": picks a chord of the chord table or edits one (its
// group, name and guitar grid), where it goes, and whether it goes in as a
// symbol, as notes or both. It also adds chords to the table and removes
// them, and can play the fingered chord on the track's port. It changes
// nothing in the song. GUI thread.
class CChordDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 291;
    // One string of the audition per step, ms.
    static constexpr int kAuditionStepMs = 250;

    // `book` may be null: the table then offers nothing and takes nothing.
    CChordDlg(CSongDoc& song, IChordBook* book, const ChordParams& start, QWidget* parent = nullptr);
    ~CChordDlg() override;

    // The values after OK.
    ChordParams params() const { return m_result; }

    const ChordGrid& grid() const { return m_grid; }
    QComboBox* trackList() const { return m_track; }
    QComboBox* groupList() const { return m_group; }
    QComboBox* chordList() const { return m_chord; }
    QComboBox* insertList() const { return m_insert; }
    CTimePosCtrl* positionCtrl() const { return m_position; }
    QLabel* picture() const { return m_picture; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* gridButton() const { return m_showGrid; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* playButton() const { return m_play; }
    QToolButton* fretUpButton() const { return m_fretUp; }
    QToolButton* fretDownButton() const { return m_fretDown; }
    QRadioButton* markButton(int mark) const;
    // The grid's rectangle in the picture, for clicks.
    QRect gridRect() const;

    // One step of the audition, as its timer runs it.
    void tick();
    bool auditioning() const;

    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void makeChordFields();
    QBoxLayout* makeGridControls();
    void layOut(QBoxLayout* marks);
    void connectControls();
    void fillTracks(int track);
    void fillGroups();
    void fillChords();
    void refresh();
    void drawPicture();
    void clickGrid(QPoint at);
    void toggleGrid();
    void clearGrid();
    void moveFrets(int frets);
    void addChord();
    void removeChord();
    void play();
    void stopAudition();
    void endNotes();
    void trackChosen();

    int selectedMark() const;
    int64_t chordId() const;
    std::string groupText() const;
    std::string chordText() const;
    IMidiOut* port() const;
    // A failure's one message; false when there was one.
    bool report(const std::string& error);

    CSongDoc& m_song;
    IChordBook* m_book;
    ChordParams m_start;
    ChordParams m_result;
    bool m_editing = false;
    int m_trackIndex = 1;
    ChordGrid m_grid{};
    ChordGrid m_saved{};
    bool m_reload = true;
    bool m_readFailed = false; // a failed read was reported once already
    int m_firstFret = 0;
    // The string the audition plays next, then 6 while the chord sounds on.
    int m_playString = -1;
    int m_highlight = -1;
    int m_ticksAfter = 0;
    std::vector<uint32_t> m_sounding; // the tagged note-ons the audition sent
    IMidiOut* m_playPort = nullptr;

    QComboBox* m_track = nullptr;
    QComboBox* m_group = nullptr;
    QComboBox* m_chord = nullptr;
    QComboBox* m_insert = nullptr;
    CTimePosCtrl* m_position = nullptr;
    QLabel* m_picture = nullptr;
    QButtonGroup* m_marks = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_showGrid = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_play = nullptr;
    QToolButton* m_fretUp = nullptr;
    QToolButton* m_fretDown = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace rz
