#include "dialogs/adv_controllers_dlg.h"

#include "core/edit_dialogs.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/prompt.h"
#include "dialogs/small_controls.h"
#include "dialogs/spin_edit.h"
#include "dialogs/track_props_dlg.h"
#include "song/song_doc.h"
#include "ui/cool_slider.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kAdvControllersHelpTopic = "::/Tracks.htm#advanced";
constexpr int kSliderWidth = 150;
constexpr int kSliderHeight = 16;
constexpr int kEditWidth = 60;

QString idName(const char* kind, int id)
{
    return QString("%1%2").arg(kind).arg(id);
}

} // namespace

CAdvControllersDlg::CAdvControllersDlg(CTrackPropsDlg& parent)
    : DialogBase(&parent, kAdvControllersHelpTopic), m_parent(parent), m_p(parent.members())
{
    setWindowTitle("Advanced controllers...");
    auto* columns = new QHBoxLayout;
    columns->addLayout(buildSliders());
    auto* right = new QVBoxLayout;
    right->addLayout(buildParameters());
    right->addLayout(buildDestinations());
    right->addStretch();
    columns->addLayout(right);

    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    for (const RpnFieldRow& row : kRpnFieldRows)
        showParameter(row.field);
    fillDestinations();
    for (size_t row = 0; row < kAdvControllerRows.size(); ++row)
        sliderChanged(row);
}

QLayout* CAdvControllersDlg::buildSliders()
{
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < kAdvControllerRows.size(); ++i) {
        const AdvControllerRow& row = kAdvControllerRows[i];
        const int value = m_p.initialControllers[initialControllerSlot(row.controller)];
        m_sliders[i] = new CoolSlider(this, row.sliderId, value);
        m_sliders[i]->setObjectName(idName("slider", row.sliderId));
        m_sliders[i]->setFixedSize(kSliderWidth, kSliderHeight);
        m_sliderEdits[i] = new QLineEdit(this);
        m_sliderEdits[i]->setObjectName(idName("edit", row.editId));
        m_sliderEdits[i]->setFixedWidth(kEditWidth);
        grid->addWidget(new QLabel(row.label, this), int(i), 0);
        grid->addWidget(m_sliders[i], int(i), 1);
        grid->addWidget(m_sliderEdits[i], int(i), 2);
        connect(m_sliders[i], &CoolSlider::dragStep, this, [this, i] { sliderChanged(i); });
        connect(m_sliderEdits[i], &QLineEdit::editingFinished, this, [this, i] { commitSliderEdit(i); });
    }
    return grid;
}

QLayout* CAdvControllersDlg::buildParameters()
{
    auto* grid = new QGridLayout;
    for (const RpnFieldRow& row : kRpnFieldRows) {
        auto* edit = new SpinEdit(this);
        edit->setObjectName(idName("edit", row.editId));
        edit->setFixedWidth(kEditWidth + 20);
        m_parameterEdits[size_t(row.field)] = edit;
        const int at = int(&row - kRpnFieldRows.data());
        grid->addWidget(new QLabel(row.label, this), at, 0);
        grid->addWidget(edit, at, 1);
        const RpnField field = row.field;
        connect(edit, &QLineEdit::editingFinished, this, [this, field] { commitParameter(field); });
        connect(edit, &SpinEdit::stepRequested, this, [this, field](bool up) { stepParameter(field, up); });
    }
    return grid;
}

QLayout* CAdvControllersDlg::buildDestinations()
{
    auto* box = new QGroupBox("Controller destination", this);
    auto* grid = new QGridLayout(box);
    m_pressure = new QRadioButton("Ch Pressure", box);
    m_pressure->setObjectName("source1296");
    m_controller = new QRadioButton("Controller:", box);
    m_controller->setObjectName("source1297");
    m_controllerNumber = new QLineEdit(box);
    m_controllerNumber->setObjectName("controller1079");
    m_controllerNumber->setFixedWidth(kEditWidth);
    m_pressure->setChecked(true);
    grid->addWidget(m_pressure, 0, 0);
    auto* controllerRow = new QHBoxLayout;
    controllerRow->addWidget(m_controller);
    controllerRow->addWidget(m_controllerNumber);
    controllerRow->addStretch();
    grid->addLayout(controllerRow, 0, 1);
    for (size_t i = 0; i < kDestinationCount; ++i) {
        auto* edit = new SpinEdit(box);
        edit->setObjectName(idName("edit", kDestinationRows[i].editId));
        edit->setFixedWidth(kEditWidth + 20);
        m_destinationEdits[i] = edit;
        grid->addWidget(new QLabel(kDestinationRows[i].label, box), int(i) + 1, 0);
        grid->addWidget(edit, int(i) + 1, 1);
        connect(edit, &QLineEdit::editingFinished, this, [this, i] { commitDestination(i); });
        connect(edit, &SpinEdit::stepRequested, this, [this, i](bool up) { stepDestination(i, up); });
    }
    connect(m_pressure, &QRadioButton::clicked, this, [this] { chooseSource(0); });
    connect(m_controller, &QRadioButton::clicked, this, [this] { chooseSource(1); });
    connect(m_controllerNumber, &QLineEdit::editingFinished, this, &CAdvControllersDlg::commitControllerNumber);
    auto* layout = new QVBoxLayout;
    layout->addWidget(box);
    return layout;
}

void CAdvControllersDlg::sliderChanged(size_t row)
{
    const AdvControllerRow& r = kAdvControllerRows[row];
    const int32_t value = m_sliders[row]->pos();
    m_sliderEdits[row]->setText(qtext(controllerValueText(r, value)));
    if (IMidiOut* port = m_parent.previewPort()) {
        const int32_t sent = value >= 0 && value <= CoolSlider::kMaxValue ? value : r.unsetValue;
        port->SendShort(midi::controlChange(m_parent.previewChannel(), r.controller, sent));
    }
}

void CAdvControllersDlg::commitSliderEdit(size_t row)
{
    QLineEdit* edit = m_sliderEdits[row];
    if (!edit->isModified())
        return;
    edit->setModified(false);
    const int32_t typed = parseControllerValue(kAdvControllerRows[row], edit->text().toStdString());
    CoolSlider* slider = m_sliders[row];
    const bool wasUnset = slider->pos() < 0 || slider->pos() > CoolSlider::kMaxValue;
    if (typed < 0 && wasUnset) {
        edit->setText(QString());
        return;
    }
    slider->setPos(typed);
    sliderChanged(row);
}

int32_t& CAdvControllersDlg::rpnValue(RpnField field)
{
    return m_p.rpnValues[rpnSlot(kRpnFieldRows[size_t(field)].rpn)];
}

void CAdvControllersDlg::showParameter(RpnField field)
{
    m_parameterEdits[size_t(field)]->setText(qtext(rpnFieldText(field, rpnValue(field))));
}

void CAdvControllersDlg::sendParameter(RpnField field)
{
    IMidiOut* port = m_parent.previewPort();
    if (port == nullptr)
        return;
    const int channel = m_parent.previewChannel();
    const int rpn = kRpnFieldRows[size_t(field)].rpn;
    const int32_t value = rpnValueToSend(rpnValue(field));
    port->SendShort(midi::controlChange(channel, cc::kRpnMsb, rpn / 128));
    port->SendShort(midi::controlChange(channel, cc::kRpnLsb, rpn % 128));
    port->SendShort(midi::controlChange(channel, cc::kDataEntryMsb, value / 128));
    port->SendShort(midi::controlChange(channel, cc::kDataEntryLsb, value % 128));
}

void CAdvControllersDlg::commitParameter(RpnField field)
{
    SpinEdit* edit = m_parameterEdits[size_t(field)];
    if (!edit->isModified())
        return;
    edit->setModified(false);
    rpnValue(field) = parseRpnField(field, edit->text().toStdString());
    showParameter(field);
    sendParameter(field);
}

void CAdvControllersDlg::stepParameter(RpnField field, bool up)
{
    SpinEdit* edit = m_parameterEdits[size_t(field)];
    rpnValue(field) = spinRpnField(field, rpnValue(field), edit->text().toStdString(), up ? 1 : -1);
    showParameter(field);
    sendParameter(field);
    edit->focusSelected();
}

std::array<int32_t, kDestinationCount>& CAdvControllersDlg::group()
{
    return m_source == 0 ? m_p.channelPressureDest : m_p.controllerDest;
}

void CAdvControllersDlg::fillDestinations()
{
    for (size_t i = 0; i < kDestinationCount; ++i)
        m_destinationEdits[i]->setText(qtext(destinationText(i, group()[i])));
    m_controllerNumber->setText(m_p.destController >= 0 ? QString::number(m_p.destController) : QString());
    m_controllerNumber->setEnabled(m_source == 1);
}

void CAdvControllersDlg::sendDestinations()
{
    IMidiOut* port = m_parent.previewPort();
    if (port == nullptr)
        return;
    const int channel = m_parent.previewChannel();
    const auto message = m_source == 0 ? channelPressureDestinationMessage(channel, group())
                                       : controllerDestinationMessage(channel, m_p.destController, group());
    if (message)
        port->SendSysEx(message->data(), message->size());
}

void CAdvControllersDlg::commitDestination(size_t index)
{
    SpinEdit* edit = m_destinationEdits[index];
    if (!edit->isModified())
        return;
    edit->setModified(false);
    group()[index] = parseDestination(index, edit->text().toStdString());
    edit->setText(qtext(destinationText(index, group()[index])));
    sendDestinations();
}

void CAdvControllersDlg::stepDestination(size_t index, bool up)
{
    group()[index] = spinDestination(index, group()[index], up ? 1 : -1);
    m_destinationEdits[index]->setText(qtext(destinationText(index, group()[index])));
    m_destinationEdits[index]->focusSelected();
    sendDestinations();
}

bool CAdvControllersDlg::commitControllerNumber()
{
    if (!m_controllerNumber->isModified() || m_refusing)
        return true;
    m_controllerNumber->setModified(false);
    const QString text = m_controllerNumber->text().trimmed();
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (text.isEmpty()) {
        m_p.destController = -1;
        return true;
    }
    if (!isNumber || !validDestinationController(number)) {
        // The message takes the focus, which must not read the edit again.
        m_refusing = true;
        m_p.destController = -1;
        m_controllerNumber->clear();
        m_parent.song().context().prompt.message(kDestinationControllerMessage, PromptIcon::Warning);
        m_controllerNumber->setFocus();
        m_refusing = false;
        return false;
    }
    m_p.destController = number;
    sendDestinations();
    return true;
}

void CAdvControllersDlg::chooseSource(int source)
{
    commitTyped();
    m_source = source;
    fillDestinations();
}

bool CAdvControllersDlg::commitTyped()
{
    for (size_t row = 0; row < m_sliderEdits.size(); ++row)
        commitSliderEdit(row);
    for (const RpnFieldRow& row : kRpnFieldRows)
        commitParameter(row.field);
    for (size_t i = 0; i < kDestinationCount; ++i)
        commitDestination(i);
    return commitControllerNumber();
}

void CAdvControllersDlg::accept()
{
    if (!commitTyped())
        return;
    for (size_t row = 0; row < kAdvControllerRows.size(); ++row)
        m_p.initialControllers[initialControllerSlot(kAdvControllerRows[row].controller)] = m_sliders[row]->pos();
    QDialog::accept();
}

} // namespace rz
