#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/track_props_model.h"
#include "ui/dialog_base.h"

#include <functional>
#include <optional>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSlider;

namespace rz {

class CSongDoc;
class CTrack;
class IMidiOut;
class MusicFont;
class SpinEdit;

// "Track properties...": one track's settings, or those several tracks
// share (a field they do not share arrives mixed and stays so unless
// edited). Bank and patch choices come from the port's synthesizer and are
// heard at once on the preview track's port. It changes nothing in the
// song: the caller reads params() after OK. GUI thread.
class CTrackPropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 172;

    // font: the music font for the clef preview; null draws none.
    CTrackPropsDlg(CSongDoc& song, const TrackPropsParams& preset, const MusicFont* font,
                   QWidget* parent = nullptr);
    ~CTrackPropsDlg() override;

    // The dialog open now, if any.
    static CTrackPropsDlg* openDialog();

    // The fields as they stand; after OK, the answer.
    TrackPropsParams params() const;
    CSongDoc& song() const { return m_song; }
    // The fields the advanced dialog edits in place.
    TrackPropsParams& members() { return m_p; }

    // Where previews go: the preview track's port, null when there is none.
    IMidiOut* previewPort() const;
    int previewChannel() const;
    const CTrack* previewTrack() const { return m_preview; }

    QLineEdit* nameEdit() const { return m_name; }
    SpinEdit* keyEdit() const { return m_key; }
    SpinEdit* timeEdit() const { return m_time; }
    SpinEdit* velocityEdit() const { return m_velocity; }
    QComboBox* kindCombo() const { return m_kind; }
    QCheckBox* playBox() const { return m_play; }
    QComboBox* clefCombo() const { return m_clef; }
    QComboBox* splitCombo() const { return m_split; }
    QComboBox* portCombo() const { return m_port; }
    QComboBox* channelCombo() const { return m_channel; }
    QComboBox* inputPortCombo() const { return m_inputPort; }
    QComboBox* inputChannelCombo() const { return m_inputChannel; }
    QComboBox* bankCombo() const { return m_bank; }
    QComboBox* patchCombo() const { return m_patch; }
    QComboBox* allPatchesCombo() const { return m_allPatches; }
    QCheckBox* sortedBox() const { return m_sorted; }
    QCheckBox* filteredBox() const { return m_filtered; }
    QSlider* volumeSlider() const { return m_volumeSlider; }
    QSlider* panSlider() const { return m_panSlider; }
    QLineEdit* volumeEdit() const { return m_volumeEdit; }
    QLineEdit* panEdit() const { return m_panEdit; }
    QPushButton* colorButton() const { return m_colorButton; }
    QLabel* colorSample() const { return m_colorSample; }
    QLabel* clefPreview() const { return m_clefPreview; }
    QPushButton* advancedButton() const { return m_advanced; }

    // The typed bank or patch text is read, as when its box loses the focus.
    void commitBankText();
    void commitPatchText();
    void commitVolumeText();
    void commitPanText();
    // Runs the advanced controllers dialog on these fields.
    void runAdvanced();

    void accept() override;

private:
    void buildControls();
    void layOut();
    QLayout* generalRows();
    QWidget* portsBox();
    QWidget* patchBox();
    QWidget* notationBox();
    void connectControls();
    void fillCombos();
    void fillDeviceCombos();
    void fillChannelCombo();
    // Rebuilds the bank and all-patches lists when the synth or the drum
    // channel changed, or when forced.
    void refreshPatchLists(bool force);
    void fillPatchCombo();
    void selectAllPatches();
    void showVolumeAndPan();
    void enableByKind();
    void drawColorSample();
    void drawClefPreview();
    void chooseColor();
    void stepOffset(SpinEdit* edit, int limit, bool up);
    static void holdOffset(SpinEdit* edit, int limit);
    void onPlayClicked();
    void onSlider(QSlider* slider);
    void previewPatch();
    bool drumChannel() const;

    CSongDoc& m_song;
    TrackPropsParams m_p;
    const MusicFont* m_font;
    CTrack* m_preview = nullptr;
    OutPortInfo m_outPort;
    SynthPatches m_synthPatches;
    std::optional<std::pair<bool, int>> m_listedFor; // (drum channel, synth) of the last build
    bool m_bankTyped = false;
    bool m_patchTyped = false;
    int m_playState = 2;
    std::string m_filter;

    QLineEdit* m_name = nullptr;
    SpinEdit* m_key = nullptr;
    SpinEdit* m_time = nullptr;
    SpinEdit* m_velocity = nullptr;
    QComboBox* m_kind = nullptr;
    QCheckBox* m_play = nullptr;
    QComboBox* m_clef = nullptr;
    QComboBox* m_split = nullptr;
    QComboBox* m_port = nullptr;
    QComboBox* m_channel = nullptr;
    QComboBox* m_inputPort = nullptr;
    QComboBox* m_inputChannel = nullptr;
    QComboBox* m_bank = nullptr;
    QComboBox* m_patch = nullptr;
    QComboBox* m_allPatches = nullptr;
    QCheckBox* m_sorted = nullptr;
    QCheckBox* m_filtered = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QSlider* m_panSlider = nullptr;
    QLineEdit* m_volumeEdit = nullptr;
    QLineEdit* m_panEdit = nullptr;
    QPushButton* m_colorButton = nullptr;
    QLabel* m_colorSample = nullptr;
    QLabel* m_clefPreview = nullptr;
    QPushButton* m_advanced = nullptr;
};

} // namespace rz
