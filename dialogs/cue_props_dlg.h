#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/song_props_model.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string_view>

class QLabel;
class QLineEdit;
class QSpinBox;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class CTimePosCtrl;
class CueTypeCombo;

// "Cue properties..." / "Insert cue...": a cue's kind, label, repeat counts
// and its two positions, as song positions or, in time code form, as times
// with the song's offset. It answers ticks either way and changes nothing
// in the song. GUI thread.
class CCuePropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 134;

    // timeCode: positions as time code (while a clock-time view is open).
    CCuePropsDlg(CSongDoc& song, const CuePropsParams& cue, bool timeCode, QWidget* parent = nullptr);

    // The values after OK.
    CuePropsParams params() const;

    CueTypeCombo* kindList() const { return m_kind; }
    QLineEdit* labelEdit() const { return m_label; }
    QSpinBox* playTimesEdit() const { return m_playTimes; }
    QSpinBox* endingBarsEdit() const { return m_endingBars; }
    // One pair exists: the song positions, or the time codes.
    CTimePosCtrl* stopPosition() const { return m_stopPos; }
    CTimePosCtrl* restartPosition() const { return m_restartPos; }
    CSmpteEdit* stopTime() const { return m_stopTime; }
    CSmpteEdit* restartTime() const { return m_restartTime; }
    QLabel* stopLabel() const { return m_stopLabel; }

    void accept() override;

private:
    int selectedKind() const;
    // Tick, or time in time code form.
    double stopValue() const;
    double restartValue() const;
    void UpdateControls();
    void swapPositions();
    int32_t stopTick() const;
    int32_t restartTick() const;

    CSongDoc& m_song;
    CuePropsParams m_cue;
    SongText m_labelText;
    int m_startKind = 0;
    CueTypeCombo* m_kind = nullptr;
    QLineEdit* m_label = nullptr;
    QSpinBox* m_playTimes = nullptr;
    QSpinBox* m_endingBars = nullptr;
    QLabel* m_stopLabel = nullptr;
    CTimePosCtrl* m_stopPos = nullptr;
    CTimePosCtrl* m_restartPos = nullptr;
    CSmpteEdit* m_stopTime = nullptr;
    CSmpteEdit* m_restartTime = nullptr;
    QWidget* m_stop = nullptr;
    int m_result = -1;
};

} // namespace rz
