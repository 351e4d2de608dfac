#pragma once

#include "core/edit_dialogs.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string_view>

class QComboBox;
class QLabel;
class QSpinBox;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class CTimePosCtrl;

// "Waveform Properties": a clip's file, its repeat count, its position (as
// a song position and as time code, kept in step) and its track.
class CWavePropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 483;
    static constexpr int kMaxRepeats = 99;

    CWavePropsDlg(CSongDoc& song, const WavePropsParams& clip, QWidget* parent = nullptr);

    // The values after OK.
    WavePropsParams params() const;
    QString durationText() const;
    CTimePosCtrl* positionCtrl() const { return m_position; }
    CSmpteEdit* smpteEdit() const { return m_smpte; }
    QSpinBox* repeatEdit() const { return m_repeat; }
    QComboBox* trackCombo() const { return m_track; }

    void accept() override;

private:
    void fillTracks();
    void showDuration();
    void onTickChanged();
    void onSmpteChanged();

    CSongDoc& m_song;
    WavePropsParams m_clip;
    CTimePosCtrl* m_position = nullptr;
    CSmpteEdit* m_smpte = nullptr;
    QSpinBox* m_repeat = nullptr;
    QLabel* m_duration = nullptr;
    QComboBox* m_track = nullptr;
};

} // namespace rz
