#pragma once

#include "song/tempo_insert.h"
#include "ui/dialog_base.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class SpinEdit;

// "Insert tempo change...": one tempo at a position or a ramp across the
// song's time selection, typed in beats per minute or µs per quarter,
// stepped, averaged from the range or tapped on the dialog's background.
// Changes nothing; result() is what OK leaves. GUI thread.
class CInsertTempoDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 138;
    // A tap more than this after the oldest kept one no longer counts, ms.
    static constexpr uint32_t kTapWindowMs = 10'000;

    explicit CInsertTempoDlg(CSongDoc& song, QWidget* parent = nullptr);

    // Start at or before end; equal tempos for an empty range.
    TempoInsert result() const;

    // One tap at the program clock's reading; what a press on the
    // background does.
    void tap();


    void accept() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Tempo {
        int32_t micros = 500000;
        int32_t bpm = 12000; // hundredths
    };
    struct Fields {
        SpinEdit* bpm = nullptr;
        SpinEdit* micros = nullptr;
    };

    void build();
    void refresh();
    void updateControlStates();
    void updateAverage();
    void parseBpm(bool end);
    void parseMicros(bool end);
    void step(bool end, bool bpm, bool up);
    void startMoved();
    void endMoved();
    void useAverage();
    bool tapSetsEnd() const;
    bool rangeEmpty() const;
    Tempo tempoAt(int32_t tick) const;
    int clocksPerClick() const;
    void readDefaults();
    void writeDefaults();

    CSongDoc& m_song;
    CTimePosCtrl* m_startPos = nullptr;
    CTimePosCtrl* m_endPos = nullptr;
    Tempo m_start;
    Tempo m_end;
    // A BPM or µs edit was typed in since the last parse; shared by start and end.
    bool m_bpmMark = false;
    bool m_microsMark = false;
    std::deque<uint32_t> m_taps; // program-clock readings, ms
    Fields m_startFields;
    Fields m_endFields;
    QLineEdit* m_average = nullptr;
    QPushButton* m_useAverage = nullptr;
    QButtonGroup* m_smoothing = nullptr;
    QCheckBox* m_return = nullptr;
};

} // namespace rz
