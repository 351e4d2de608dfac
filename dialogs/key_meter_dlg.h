#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/time_edit_dialog.h"

#include <QImage>

class QButtonGroup;
class QComboBox;
class QLabel;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class MusicFont;
class NoteValueBox;
struct MeasureRec;

// The 64 x 40 picture of a treble staff's start in a meter and key; white
// only when there is no usable font.
QImage staffHeaderPreview(const MusicFont* font, const MeasureRec& measure);

// What the key and meter dialogs share: the measure range and the preview.
class MeasureChangeDialog : public TimeEditDialog {
    Q_OBJECT
public:
    CTimePosCtrl* fromCtrl() const { return m_from; }
    CTimePosCtrl* throughCtrl() const { return m_through; }
    QLabel* preview() const { return m_preview; }

protected:
    MeasureChangeDialog(CSongDoc& song, const MusicFont* font, const char* title, const char* helpTopic,
                        QWidget* parent);
    // The range rows and the preview under `layout`.
    void addRange(QBoxLayout* layout, const char* fromLabel, const char* throughLabel, bool keyRun);
    void showPreview(const MeasureRec& measure);

    CSongDoc& m_song;

private:
    const MusicFont* m_font;
    CTimePosCtrl* m_from = nullptr;
    CTimePosCtrl* m_through = nullptr;
    QLabel* m_preview = nullptr;
};

// "Insert Key Signature...".
class CKeySigDlg : public MeasureChangeDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 208;
    // A null font leaves the preview blank.
    CKeySigDlg(CSongDoc& song, const MusicFont* font, QWidget* parent = nullptr);
    // Valid after OK.
    KeySignatureParams params() const { return m_params; }
    QComboBox* keyBox() const { return m_key; }
    void accept() override;

private:
    void changed() override;

    KeySignatureParams m_params;
    QComboBox* m_key = nullptr;
};

// "Insert Meter...".
class CMeterDlg : public MeasureChangeDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 210;
    CMeterDlg(CSongDoc& song, const MusicFont* font, QWidget* parent = nullptr);
    MeterParams params() const { return m_params; }
    SpinEdit* numeratorEdit() const { return m_numerator; }
    QComboBox* beatValueBox() const { return m_beatValue; }
    NoteValueBox* clickBox() const { return m_click; }
    void accept() override;

private:
    void changed() override;
    // A new meter starts with its default click.
    void meterChanged();

    MeterParams m_params;
    SpinEdit* m_numerator = nullptr;
    QComboBox* m_beatValue = nullptr;
    NoteValueBox* m_click = nullptr;
    QButtonGroup* m_method = nullptr;
};

} // namespace rz
