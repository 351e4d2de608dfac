#pragma once

#include "dialogs/find_presets.h"
#include "dialogs/time_edit_dialog.h"
#include "song/find_criteria.h"
#include "ui/command_target.h"

#include <array>
#include <span>
#include <string>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class DlgToolBar;
class SpinEdit;

// The kinds of event Find looks at, each with its check box.
enum class FindKind {
    Aftertouch, Controllers, Meta, Notes, Patches, PitchWheel,
    Pressure, Sysex, Chords, Rpn, Nrpn, Wedges,
};
inline constexpr size_t kFindKindCount = 12;

// The ranges, each a from and a to field and a "not" box.
enum class FindField {
    Note, Velocity, Duration, Controller, ControllerValue, Program, Bank,
    AftertouchNote, AftertouchValue, Pressure, PitchWheel,
    RpnNumber, RpnValue, NrpnNumber, NrpnValue,
};
inline constexpr size_t kFindFieldCount = 15;

// "Find": the criteria of an event search, kept as named presets in the
// profile. The record it answers after OK is the shown preset's, with the
// time range of the dialog. GUI thread.
class CFindDlg : public TimeEditDialog, public CommandTable<CFindDlg> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 487;

    CFindDlg(CSongDoc& song, QWidget* parent = nullptr);

    // The criteria after OK.
    const FindCriteria& criteria() const { return m_record; }

    QComboBox* presetCombo() const { return m_presets; }
    DlgToolBar* toolBar() const { return m_tools; }
    QCheckBox* kindBox(FindKind kind) const { return m_kinds[size_t(kind)]; }
    SpinEdit* fromEdit(FindField field) const { return m_rows[size_t(field)].from; }
    SpinEdit* toEdit(FindField field) const { return m_rows[size_t(field)].to; }
    QCheckBox* notBox(FindField field) const { return m_rows[size_t(field)].outside; }
    QLineEdit* metaText() const { return m_text; }
    QCheckBox* metaNot() const { return m_textNot; }
    QLineEdit* chordText() const { return m_chord; }
    QCheckBox* chordNot() const { return m_chordNot; }
    QCheckBox* selectAllBox() const { return m_findAll; }
    QCheckBox* selectedTracksBox() const { return m_selectedTracks; }
    QCheckBox* timeBox() const { return m_time; }
    CTimePosCtrl* timeFrom() const { return m_timeFrom; }
    CTimePosCtrl* timeTo() const { return m_timeTo; }
    QPushButton* setAllButton() const { return m_setAll; }
    QPushButton* setNoneButton() const { return m_setNone; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

    static std::span<const CommandRow<CFindDlg>> commandTable();
    bool onSavePreset(CommandId);
    bool onDeletePreset(CommandId);
    void onUpdatePreset(CommandId id, CmdUi& ui);

protected:
    void changed() override;

private:
    struct Row {
        SpinEdit* from = nullptr;
        SpinEdit* to = nullptr;
        QCheckBox* outside = nullptr;
    };

    void buildControls();
    QBoxLayout* presetRow();
    QGridLayout* kindGrid();
    int addFieldRows(QGridLayout* grid, FindKind kind, int line);
    QBoxLayout* timeRow();
    void listPresets();
    SpinEdit* fieldEdit(FindField field);
    void stepField(FindField field, SpinEdit* edit, bool up);
    void tidyField(FindField field, SpinEdit* edit);
    QString fieldText(FindField field, int32_t value) const;
    int32_t fieldValue(FindField field, const SpinEdit* edit, int32_t previous) const;

    // The combo's text, trailing blanks removed.
    std::string typedName() const;
    bool isListed(const std::string& name) const;
    // Reads the typed preset when it is another listed one, then refreshes.
    void loadPreset(bool showAnyway = false);
    void showRecord();
    void readControls();
    void savePreset();
    void setAll();
    void setNone();
    void updateEnables();
    int32_t beatTicks() const;

    CSongDoc& m_song;
    PresetStore m_store;
    FindCriteria m_record;
    std::string m_loaded = "~~~~"; // a name no preset bears, so the first load reads
    QComboBox* m_presets = nullptr;
    DlgToolBar* m_tools = nullptr;
    std::array<QCheckBox*, kFindKindCount> m_kinds{};
    std::array<Row, kFindFieldCount> m_rows{};
    QLineEdit* m_text = nullptr;
    QCheckBox* m_textNot = nullptr;
    QLineEdit* m_chord = nullptr;
    QCheckBox* m_chordNot = nullptr;
    QCheckBox* m_findAll = nullptr;
    QCheckBox* m_selectedTracks = nullptr;
    QCheckBox* m_time = nullptr;
    CTimePosCtrl* m_timeFrom = nullptr;
    CTimePosCtrl* m_timeTo = nullptr;
    QPushButton* m_setAll = nullptr;
    QPushButton* m_setNone = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace rz
