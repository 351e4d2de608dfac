#pragma once

#include "song/lyric_codec.h"
#include "song/lyric_edit_session.h"
#include "song/undo_record.h"
#include "ui/dialog_base.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;

// "Edit Lyrics": the syllables of one track, one at a time: position, text,
// the break before it and, after a line, paragraph or page break, the font
// and background the lyric view takes from there on. It edits copies; after
// OK the caller applies record(). GUI thread.
class CEditLyricsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 290;

    // Opens on the syllable of `event` of `track`; on a new one at the song
    // position when that is none.
    CEditLyricsDlg(CSongDoc& song, int32_t track, int32_t event, QWidget* parent = nullptr);
    ~CEditLyricsDlg() override;

    // The "Edit Lyric" edit after OK; null after Cancel or when nothing
    // changed.
    std::unique_ptr<CUndoRecord> takeRecord() { return std::move(m_record); }
    const LyricEditSession& session() const { return m_session; }

    CTimePosCtrl* position() const { return m_position; }
    QLineEdit* textEdit() const { return m_text; }
    QComboBox* breakCombo() const { return m_break; }
    QCheckBox* useDefaultsBox() const { return m_useDefaults; }
    QLineEdit* fontEdit() const { return m_font; }
    QLineEdit* sizeEdit() const { return m_size; }
    QComboBox* alignCombo() const { return m_align; }
    QCheckBox* boldBox() const { return m_bold; }
    QCheckBox* italicsBox() const { return m_italics; }
    QCheckBox* underlineBox() const { return m_underline; }
    QCheckBox* highlightingBox() const { return m_highlighting; }
    QCheckBox* resetBox() const { return m_reset; }
    QLineEdit* backgroundEdit() const { return m_background; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* insertButton() const { return m_insert; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* prevButton() const { return m_prev; }
    QPushButton* nextButton() const { return m_next; }

    void accept() override;

private:
    void buildControls();
    void makeControls();
    void layOut();
    void connectControls();
    void showSyllable();
    // What the controls show, as the syllable's bytes.
    std::string shownBytes() const;
    void store();
    void updateEnables();
    void chooseBackground();

    CSongDoc& m_song;
    LyricEditSession m_session;
    LyricFields m_shown; // the current syllable as read, before any change
    std::string m_shownBytes;
    std::unique_ptr<CUndoRecord> m_record;
    CTimePosCtrl* m_position = nullptr;
    QLineEdit* m_text = nullptr;
    QComboBox* m_break = nullptr;
    QCheckBox* m_useDefaults = nullptr;
    QLineEdit* m_font = nullptr;
    QLineEdit* m_size = nullptr;
    QComboBox* m_align = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italics = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_highlighting = nullptr;
    QCheckBox* m_reset = nullptr;
    QLineEdit* m_background = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_prev = nullptr;
    QPushButton* m_next = nullptr;
};

} // namespace rz
