#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/time_edit_dialog.h"

#include <utility>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QSlider;

namespace rz {

class CSongDoc;
class NoteValueBox;

// What the event transform dialogs share: the time-selection options
// ("Offset event selection by", "Selected tracks only"), sliders with their
// numbers, linked percent and ticks fields, and edits whose arrows follow a
// range that changes. They read "Defaults" when they open and write it at
// OK. GUI thread.
class TransformDialog : public TimeEditDialog {
    Q_OBJECT
protected:
    TransformDialog(CSongDoc& song, const char* title, const char* helpTopic, QWidget* parent);

    // The options under `layout`; "Selected tracks only" too when asked.
    void addSelectionOptions(QBoxLayout* layout, bool selectedTracks);
    // Greys what a selection without a time range leaves unused.
    void updateSelectionOptions();
    // Ticks; 0 with the box off or greyed.
    int32_t selectionOffset() const;
    // False while the box is greyed, whatever it shows.
    bool selectedTracksOnly() const;
    void saveSelectionOptions() const;

    // A slider 0..100 with a tick every 5 and its number (position + shift)
    // in `number`, rewritten as it moves.
    QSlider* numberSlider(const char* name, int value, QLabel* number, int shift = 0);
    // An edit whose arrows step within *range, read when they are pressed.
    SpinEdit* rangedEdit(const char* name, const QString& text, const std::pair<int32_t, int32_t>* range);
    // Typing in either field rewrites the other; the ticks are worked out
    // from the percent once, when `finishLinking` ends the opening.
    void linkPercentTicks(SpinEdit* percent, SpinEdit* ticks);
    void finishLinking();
    QAbstractButton* okButton() const;
    int timeBase() const;
    // The amounts of the checked boxes lie in their ranges; else the range
    // message of the first that does not.
    bool amountsInRange(const QCheckBox* byTime, QLineEdit* percent, QLineEdit* ticks, const QCheckBox* byValue,
                        QLineEdit* value) const;

    CSongDoc& m_song;

private:
    bool m_timeRange;
    bool m_rowsUsable;
    bool m_linking = true; // until the opening ends
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
    SpinEdit* m_linkedPercent = nullptr;
    SpinEdit* m_linkedTicks = nullptr;
};

// "Quantize events...".
class CQuantizeDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 266;
    explicit CQuantizeDlg(CSongDoc& song, QWidget* parent = nullptr);
    // Valid after OK.
    QuantizeParams params() const { return m_params; }
    NoteValueBox* resolutionBox() const { return m_resolution; }
    SpinEdit* gridOffsetEdit() const { return m_gridOffset; }
    void accept() override;

private:
    void changed() override { updateSelectionOptions(); }

    QuantizeParams m_params;
    NoteValueBox* m_resolution = nullptr;
    QCheckBox* m_startTimes = nullptr;
    QCheckBox* m_endTimes = nullptr;
    QCheckBox* m_controllers = nullptr;
    QSlider* m_strength = nullptr;
    QSlider* m_swing = nullptr;
    QSlider* m_window = nullptr;
    SpinEdit* m_gridOffset = nullptr;
};

// "Transpose notes...".
class CTransposeDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 265;
    explicit CTransposeDlg(CSongDoc& song, QWidget* parent = nullptr);
    TransposeParams params() const { return m_params; }
    SpinEdit* halfStepsEdit() const { return m_halfSteps; }
    void accept() override;

private:
    void changed() override { updateSelectionOptions(); }

    TransposeParams m_params;
    SpinEdit* m_halfSteps = nullptr;
    QCheckBox* m_keys = nullptr;
    QCheckBox* m_skipDrums = nullptr;
};

// "Note velocities...". `extent` is the tick span of the notes to change;
// a ramp ("through") needs one.
class CVelocityDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 268;
    CVelocityDlg(CSongDoc& song, int64_t extent, QWidget* parent = nullptr);
    VelocityParams params() const { return m_params; }
    void accept() override;

private:
    void changed() override;
    // Sets the ranges of the method and holds both values in them.
    void methodChosen();

    VelocityParams m_params;
    std::pair<int32_t, int32_t> m_range{-127, 127};
    QButtonGroup* m_method = nullptr;
    SpinEdit* m_value = nullptr;
    QCheckBox* m_through = nullptr;
    SpinEdit* m_value2 = nullptr;
    QLabel* m_strengthLabel = nullptr;
    QSlider* m_strength = nullptr;
    QLabel* m_strengthNumber = nullptr;
};

// "Note durations...": the value stays text for the song to read.
class CNoteDurationsDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 269;
    explicit CNoteDurationsDlg(CSongDoc& song, QWidget* parent = nullptr);
    DurationParams params() const { return m_params; }
    std::pair<int32_t, int32_t> valueRange() const { return m_range; }
    void accept() override;

private:
    void changed() override;
    bool valueReads() const;

    DurationParams m_params;
    std::pair<int32_t, int32_t> m_range{-15360, 15360};
    SpinEdit* m_value = nullptr;
    QButtonGroup* m_method = nullptr;
    QComboBox* m_units = nullptr;
};

// "Randomize".
class CRandomizeDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 486;
    explicit CRandomizeDlg(CSongDoc& song, QWidget* parent = nullptr);
    RandomizeParams params() const { return m_params; }
    void accept() override;

private:
    void changed() override;

    RandomizeParams m_params;
    QButtonGroup* m_events = nullptr;
    QCheckBox* m_byTime = nullptr;
    SpinEdit* m_percent = nullptr;
    SpinEdit* m_ticks = nullptr;
    QCheckBox* m_byValue = nullptr;
    SpinEdit* m_value = nullptr;
    QCheckBox* m_preserve = nullptr;
};

// "Thin".
class CThinDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 485;
    explicit CThinDlg(CSongDoc& song, QWidget* parent = nullptr);
    ThinParams params() const { return m_params; }
    QComboBox* controllerBox() const { return m_controller; }
    void accept() override;

private:
    void changed() override;

    ThinParams m_params;
    QComboBox* m_controller = nullptr;
    QCheckBox* m_byValue = nullptr;
    SpinEdit* m_value = nullptr;
    QCheckBox* m_byTime = nullptr;
    SpinEdit* m_percent = nullptr;
    SpinEdit* m_ticks = nullptr;
};

} // namespace rz
