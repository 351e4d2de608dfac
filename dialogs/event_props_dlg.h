#pragma once

#include "core/input_capture_sinks.h"
#include "dialogs/event_props_model.h"
#include "ui/dialog_base.h"

#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class CTimePosCtrl;
class SpinEdit;

// What the event dialog asks of the program; every member may be null.
struct EventPropsServices {
    std::function<void(std::string_view topic)> help;
    // Registers the dialog's capture of MIDI input (null unregisters).
    std::function<void(std::shared_ptr<IEventCaptureSink>)> setEventCapture;
    // The notice shown while a captured message arrives, counting the bytes
    // in `received`; the event dialog closes and deletes it.
    std::function<QDialog*(const std::atomic<int>& received, QWidget* parent)> receiveNotice;
};

// "Event Properties...": one event of any kind, new or existing, or the
// set fields of several at once; takes a system-exclusive message played
// into MIDI input while it shows. GUI thread.
class CEventPropsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 359;
    static constexpr int kDataPointSize = 10;

    CEventPropsDlg(CSongDoc& song, const EventPropsRequest& request, EventPropsServices services = {},
                   QWidget* parent = nullptr);
    ~CEventPropsDlg() override;

    // A Meta block too large to edit is refused before the dialog shows.
    int exec() override;
    void accept() override;

    EventPropsResult answer() const;
    const EventPropsModel& model() const { return m_model; }

    // What MIDI input hands a capture to: any thread; each piece reaches the
    // GUI thread in the order it came.
    std::shared_ptr<IEventCaptureSink> captureSink() const;
    // The receive notice while a message arrives; null otherwise.
    QDialog* receiveNotice() const { return m_notice; }

    QComboBox* kindCombo() const { return m_kind; }
    QComboBox* numberCombo() const { return m_number; }
    SpinEdit* valueEdit() const { return m_value; }
    QLabel* valueLabel() const { return m_valueLabel; }
    QPlainTextEdit* dataEdit() const { return m_data; }
    QComboBox* trackCombo() const { return m_track; }
    SpinEdit* durationEdit() const { return m_duration; }
    CTimePosCtrl* positionCtrl() const { return m_position; }
    CSmpteEdit* smpteEdit() const { return m_smpte; }

private:
    class CaptureSink;

    void build(const EventPropsRequest& request);
    void makeEventControls();
    void makePlaceControls(const EventPropsRequest& request);
    void layOut();
    void connectEventControls();
    void connectPlaceControls();
    void fillTracks();
    void kindChanged();
    void refresh();
    void showNumber();
    void numberFocusLost();
    void valueFocusLost();
    void durationFocusLost();
    void trackChosen();
    void trackFocusLost();
    void positionChanged();
    void smpteChanged();
    void takeSysExPiece(const std::vector<uint8_t>& piece, bool last);
    void endCapture();
    void closeNotice();
    int32_t channel() const;
    int32_t keySignature() const;
    int32_t beat() const;
    bool checkData();

    CSongDoc& m_song;
    EventPropsServices m_services;
    EventPropsModel m_model;
    EventTrackInfo m_trackInfo;
    int32_t m_requestTick = 0;
    bool m_dataUnchanged = true;
    bool m_dataShown = false;
    bool m_numberTyped = false;
    bool m_valueTyped = false;
    bool m_durationTyped = false;
    bool m_filling = false;
    bool m_capturing = false;
    std::atomic<int> m_received{0};
    QPointer<QDialog> m_notice;
    std::shared_ptr<CaptureSink> m_sink;

    QComboBox* m_kind = nullptr;
    QComboBox* m_number = nullptr;
    QLabel* m_valueLabel = nullptr;
    SpinEdit* m_value = nullptr;
    QPlainTextEdit* m_data = nullptr;
    QComboBox* m_track = nullptr;
    CTimePosCtrl* m_position = nullptr;
    CSmpteEdit* m_smpte = nullptr;
    SpinEdit* m_duration = nullptr;
};

} // namespace rz
