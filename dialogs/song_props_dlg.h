#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/song_props_model.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string_view>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class SpinEdit;

// "Song properties...": the song's texts, format, time base, initial tempo,
// relative volume and time code offset, and the values new songs take. It
// changes nothing in the song; the caller applies what it answers. A song
// without content is only shown. GUI thread.
class CSongPropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 144;

    explicit CSongPropsDlg(CSongDoc& song, QWidget* parent = nullptr);

    // The values after OK.
    SongPropsParams params() const;

    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* copyrightEdit() const { return m_copyright; }
    QComboBox* timeBaseList() const { return m_timeBase; }
    QComboBox* formatList() const { return m_format; }
    QCheckBox* specifyTempoBox() const { return m_specifyTempo; }
    SpinEdit* tempoEdit() const { return m_tempoEdit; }
    QSlider* volumeSlider() const { return m_volume; }
    CSmpteEdit* offsetEdit() const { return m_offset; }
    QComboBox* rateList() const { return m_rate; }
    QPushButton* defaultButton() const { return m_setDefault; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    void addTextRows(QFormLayout* form);
    void addFileRows(QFormLayout* form);
    void addTempoRows(QFormLayout* form);
    void addOffsetRow(QFormLayout* form);
    QBoxLayout* bottomRow();
    void connectControls();
    QLineEdit* textEdit(const SongText& text, int maxLength, const char* name);
    void commitTempo();
    void showTempo();
    void setAsDefault();
    void showOnly();

    CSongDoc& m_song;
    SongText m_titleText, m_subtitleText, m_authorText, m_copyrightText, m_memoText;
    TempoField m_tempo;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_subtitle = nullptr;
    QLineEdit* m_author = nullptr;
    QLineEdit* m_copyright = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QComboBox* m_timeBase = nullptr;
    QComboBox* m_format = nullptr;
    QCheckBox* m_specifyTempo = nullptr;
    SpinEdit* m_tempoEdit = nullptr;
    QSlider* m_volume = nullptr;
    CSmpteEdit* m_offset = nullptr;
    QComboBox* m_rate = nullptr;
    QPushButton* m_setDefault = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace rz
