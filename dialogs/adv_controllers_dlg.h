#pragma once

#include "dialogs/adv_controllers_model.h"
#include "ui/dialog_base.h"

#include <array>
#include <functional>
#include <string_view>

class QLayout;
class QLineEdit;
class QRadioButton;

namespace rz {

class CoolSlider;
class CTrackPropsDlg;
class SpinEdit;
struct TrackPropsParams;

// "Advanced controllers...": a track's initial controllers, four registered
// parameters and the controller destination settings, edited on the track
// properties dialog's fields. Every change is heard at once on its preview
// port. Parameter and destination edits reach the fields as they are made;
// the sliders only on OK. GUI thread.
class CAdvControllersDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 363;

    explicit CAdvControllersDlg(CTrackPropsDlg& parent);


    CoolSlider* slider(size_t row) const { return m_sliders[row]; }
    QLineEdit* sliderEdit(size_t row) const { return m_sliderEdits[row]; }
    SpinEdit* parameterEdit(RpnField field) const { return m_parameterEdits[size_t(field)]; }
    SpinEdit* destinationEdit(size_t index) const { return m_destinationEdits[index]; }
    QLineEdit* controllerNumberEdit() const { return m_controllerNumber; }
    QRadioButton* pressureButton() const { return m_pressure; }
    QRadioButton* controllerButton() const { return m_controller; }

    // What a slider's drag reports: its edit shows the value and the port hears it.
    void sliderChanged(size_t row);
    // The edits' texts are read, as when they lose the focus.
    void commitSliderEdit(size_t row);
    void commitParameter(RpnField field);
    void stepParameter(RpnField field, bool up);
    void commitDestination(size_t index);
    void stepDestination(size_t index, bool up);
    // False when the number was refused with its message.
    bool commitControllerNumber();
    // 0 channel pressure, 1 the control change.
    void chooseSource(int source);

    void accept() override;

private:
    QLayout* buildSliders();
    QLayout* buildParameters();
    QLayout* buildDestinations();
    void fillDestinations();
    void showParameter(RpnField field);
    void sendParameter(RpnField field);
    void sendDestinations();
    // Reads every edit the user changed; false when one was refused.
    bool commitTyped();
    std::array<int32_t, kDestinationCount>& group();
    int32_t& rpnValue(RpnField field);

    CTrackPropsDlg& m_parent;
    TrackPropsParams& m_p;
    int m_source = 0;
    bool m_refusing = false;
    std::array<CoolSlider*, 14> m_sliders{};
    std::array<QLineEdit*, 14> m_sliderEdits{};
    std::array<SpinEdit*, 4> m_parameterEdits{};
    std::array<SpinEdit*, kDestinationCount> m_destinationEdits{};
    QLineEdit* m_controllerNumber = nullptr;
    QRadioButton* m_pressure = nullptr;
    QRadioButton* m_controller = nullptr;
};

} // namespace rz
